// The files of a shared folder as a stranger may have left them: whatever stands at a path is
// looked at without following a symbolic link, and a file is opened only when it is a plain file,
// never through a link and never waiting on a named pipe or a device.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace dosarium {

// What stands at a path, the link itself when it is one.
enum class EntryKind { Missing, File, Folder, Link, Other };
EntryKind entryKind(const QString &path);

// Why the entry at `path` cannot be used as a plain file, in the words the user reads; empty for
// a plain file or nothing at all.
QString notPlainFileText(const QString &path, EntryKind kind);

// Opens a plain file for reading (O_RDONLY) or for reading and writing (O_RDWR, with O_CREAT
// when `create`), never through a link and without blocking on a pipe or a device. Returns the
// descriptor, or -1 with errno set: ELOOP for a link, EINVAL for anything but a plain file.
int openPlainFile(const QString &path, int access, bool create = false, unsigned mode = 0666);

// The whole content of a plain file; nothing when no file is there. Throws Error naming the file
// when it is a link, a folder or a special file, or cannot be read.
std::optional<QByteArray> readPlainFile(const QString &path);

// The first of `levels` below `base` (each a folder, the last one possibly a file) that is a link
// or something else than a folder or plain file, as a path; empty when there is none. A missing
// level ends the walk: nothing stands below it.
QString firstForeignLevel(const QString &base, const QStringList &levels);

// Where the written data that begins at `from` ends: the first hole at or after it (space never
// written, which the system reads as zeros without keeping it on the disk), or `size` when there
// is none or the file system cannot tell. A table with a hole among its rows is damaged: the rows
// past the hole are no one's.
qint64 dataEndFrom(int fd, qint64 from, qint64 size);

// Makes every file and folder this process creates readable and writable by the office group
// and by no other account of the computer (the process's file-creation mask): what one user
// stores the others may change, and the documents, the user file and the settings stay private.
void useOfficeFileMode();

} // namespace dosarium
