#include "platform/FileModes.h"

#include "platform/win32/Win32.h"

#include <cerrno>

namespace dosarium {

void useOfficeFileMode()
{
    // On Windows the folder's own permissions (its access list) decide who reads what is made
    // in it; every new file inherits them.
}

bool setPermissions(const QString &path, unsigned permissions)
{
    // Windows knows only "read-only" among these bits: a file no one may write gets it.
    const std::wstring wide = win32::widePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        win32::setErrnoFromLastError();
        return false;
    }
    const DWORD wanted = (permissions & 0222) ? attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)
                                              : attributes | FILE_ATTRIBUTE_READONLY;
    if (wanted == attributes || SetFileAttributesW(wide.c_str(), wanted))
        return true;
    win32::setErrnoFromLastError();
    return false;
}

bool setPermissionsOf(int, unsigned)
{
    // A file being written keeps its attributes until it is in place.
    return true;
}

int writeRefusal(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(win32::widePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY) ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return EACCES;
}

} // namespace dosarium
