#include "platform/win32/Win32.h"

#include <QDir>

#include <cerrno>
#include <io.h>

namespace dosarium::win32 {

std::wstring widePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

HANDLE handleOf(int fd)
{
    return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

int errnoFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_DEV_NOT_EXIST:
        return ENETUNREACH;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    default:
        return EIO;
    }
}

int setErrnoFromLastError()
{
    errno = errnoFor(GetLastError());
    return errno;
}

// File times count 100-nanosecond steps from 1601.
constexpr qint64 kEpochSteps = 116'444'736'000'000'000;

qint64 nanosecondsFrom(const FILETIME &time)
{
    const qint64 steps = (qint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (steps - kEpochSteps) * 100;
}

FILETIME fileTimeFrom(qint64 nanoseconds)
{
    const quint64 steps = quint64(nanoseconds / 100 + kEpochSteps);
    FILETIME time;
    time.dwLowDateTime = DWORD(steps & 0xffffffffu);
    time.dwHighDateTime = DWORD(steps >> 32);
    return time;
}

} // namespace dosarium::win32
