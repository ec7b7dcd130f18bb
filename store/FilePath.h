// File names as the program's data folders use them: one name for a file whatever the letter
// case it is written in, and paths written with either separator.
#pragma once

#include <QString>

namespace dosarium {

// Joins a folder (never ending in a separator) and a name with the native separator.
QString joinPath(const QString &folder, const QString &name);

// The path of an existing file that matches `path` with its last name compared without regard
// to letter case; when several entries match, the first in byte order wins, so that every
// spelling reaches the same file. When none matches, `path` itself (with native separators).
QString resolveFileName(const QString &path);

bool fileExistsAnyCase(const QString &path);

} // namespace dosarium
