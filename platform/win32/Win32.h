// What the Windows implementation of the platform folder shares: wide paths, the system handle
// behind a descriptor, and the system's error codes turned into errno values, which the rest of
// the program reads as it does on Linux.
#pragma once

#include <QString>

#include <windows.h>

namespace dosarium::win32 {

// The path as the system takes it: backslashes, UTF-16.
std::wstring widePath(const QString &path);

// The handle behind a descriptor; INVALID_HANDLE_VALUE for a closed one.
HANDLE handleOf(int fd);

// The errno value closest to the system's error code.
int errnoFor(DWORD error);

// Sets errno from GetLastError(); returns the value set.
int setErrnoFromLastError();

// Nanoseconds since 1970 for a file time, and back.
qint64 nanosecondsFrom(const FILETIME &time);
FILETIME fileTimeFrom(qint64 nanoseconds);

} // namespace dosarium::win32
