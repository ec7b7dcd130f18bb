// The files of a shared folder as a stranger may have left them: whatever stands at a path is
// looked at without following a symbolic link, and a file is read only when it is a plain file
// (the opening itself: platform/PlainFiles.h).
#pragma once

#include "platform/PlainFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace dosarium {

// Why the entry at `path` cannot be used as a plain file, in the words the user reads; empty for
// a plain file or nothing at all.
QString notPlainFileText(const QString &path, EntryKind kind);

// The whole content of a plain file; nothing when no file is there. Throws Error naming the file
// when it is a link, a folder or a special file, or cannot be read.
std::optional<QByteArray> readPlainFile(const QString &path);

// The first of `levels` below `base` (each a folder, the last one possibly a file) that is a link
// or something else than a folder or plain file, as a path; empty when there is none. A missing
// level ends the walk: nothing stands below it.
QString firstForeignLevel(const QString &base, const QStringList &levels);

} // namespace dosarium
