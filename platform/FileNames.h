// Renaming and removing by name: one system call each, its answer as it is.
#pragma once

#include <QString>

namespace dosarium {

// Each returns false with errno set when the system refuses.
bool renameFile(const QString &from, const QString &to); // replaces a file at `to`
// Never over an existing entry (EEXIST then); a link is renamed as a link.
bool renameWithoutReplacing(const QString &from, const QString &to);
// Gives the file `from` the name `to` only when nothing stands there (EEXIST then), also on
// shared folders that know no rename of this kind; `from` is gone when it succeeds.
bool moveWithoutReplacing(const QString &from, const QString &to);
bool removeEntry(const QString &path); // a link itself, never its target
bool removeEmptyFolder(const QString &path);

} // namespace dosarium
