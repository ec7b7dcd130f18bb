// What stands at a path or behind an open file, as the system tells it: a link is looked at as
// a link, never gone through.
#pragma once

#include <QString>

#include <optional>

namespace dosarium {

// What stands at a path, the link itself when it is one.
enum class EntryKind { Missing, File, Folder, Link, Other };
EntryKind entryKind(const QString &path);

struct FileStatus {
    EntryKind kind = EntryKind::Other;
    qint64 size = 0;
    unsigned permissions = 0; // the permission bits (07777)
    bool ownedByUser = false; // made by the account this program runs under
    qint64 modified = 0;      // nanoseconds since 1970
};

// Of the open file; nothing (errno set) when the system cannot tell.
std::optional<FileStatus> statusOf(int fd);
// Of what stands at `path`, a link as a link; nothing (errno set) when nothing is there or the
// system cannot tell.
std::optional<FileStatus> statusAt(const QString &path);
// Whether the open file is still the one that stands at `path` (not removed, nor replaced).
bool isFileAt(int fd, const QString &path);

} // namespace dosarium
