#include "platform/FileHandles.h"

#include "platform/win32/Win32.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <io.h>

namespace dosarium {

using win32::handleOf;
using win32::setErrnoFromLastError;

namespace {

DWORD desiredAccess(FileAccess access)
{
    return access == FileAccess::Read    ? GENERIC_READ
           : access == FileAccess::Write ? GENERIC_WRITE
                                         : GENERIC_READ | GENERIC_WRITE;
}

DWORD disposition(OpenOptions options)
{
    if (options.create)
        return options.exclusive ? CREATE_NEW : OPEN_ALWAYS;
    return OPEN_EXISTING;
}

// Refuses what the options forbid once the handle is open: a link, or anything but a folder.
bool acceptable(HANDLE handle, OpenOptions options)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return options.noBlock || !options.folder; // a pipe or a device; checked by the caller
    if (options.noFollow && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        errno = ELOOP;
        return false;
    }
    if (options.folder && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

DWORD chunk(qint64 size)
{
    return DWORD(std::min<qint64>(size, INT_MAX));
}

OVERLAPPED at(qint64 offset)
{
    OVERLAPPED position{};
    position.Offset = DWORD(quint64(offset) & 0xffffffffu);
    position.OffsetHigh = DWORD(quint64(offset) >> 32);
    return position;
}

} // namespace

int openFile(const QString &path, FileAccess access, OpenOptions options, unsigned mode)
{
    // Others may read, write, rename and replace the file while it is open here, as on Linux:
    // a table is replaced as a whole while other workstations still read it.
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    DWORD flags =
        (mode & 0222) || !options.create ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
    if (options.folder)
        flags |= FILE_FLAG_BACKUP_SEMANTICS;
    if (options.noFollow)
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    const std::wstring wide = win32::widePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), options.folder ? GENERIC_READ : desiredAccess(access),
                                kShareAll, nullptr, disposition(options), flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A folder opened as a file is refused with "access denied".
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        errno = error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY)
                    ? EISDIR
                    : win32::errnoFor(error);
        return -1;
    }
    if (!acceptable(handle, options)) {
        const int error = errno;
        CloseHandle(handle);
        errno = error;
        return -1;
    }
    const int fd = _open_osfhandle(intptr_t(handle), access == FileAccess::Read ? _O_RDONLY : 0);
    if (fd < 0) {
        CloseHandle(handle);
        errno = EMFILE;
    }
    return fd;
}

void stopNonBlocking(int)
{
    // Files on Windows never block this way.
}

int closeFile(int fd)
{
    return _close(fd);
}

qint64 readFile(int fd, void *into, qint64 size)
{
    DWORD done = 0;
    if (ReadFile(handleOf(fd), into, chunk(size), &done, nullptr))
        return done;
    if (GetLastError() == ERROR_HANDLE_EOF || GetLastError() == ERROR_BROKEN_PIPE)
        return 0;
    setErrnoFromLastError();
    return -1;
}

// Unlike pread, a positioned read moves the file's own position; the program never mixes
// positioned and sequential reads on one descriptor.
qint64 readFileAt(int fd, void *into, qint64 size, qint64 offset)
{
    OVERLAPPED position = at(offset);
    DWORD done = 0;
    if (ReadFile(handleOf(fd), into, chunk(size), &done, &position))
        return done;
    if (GetLastError() == ERROR_HANDLE_EOF)
        return 0;
    setErrnoFromLastError();
    return -1;
}

qint64 writeFile(int fd, const void *data, qint64 size)
{
    DWORD done = 0;
    if (WriteFile(handleOf(fd), data, chunk(size), &done, nullptr))
        return done;
    setErrnoFromLastError();
    return -1;
}

qint64 writeFileAt(int fd, const void *data, qint64 size, qint64 offset)
{
    OVERLAPPED position = at(offset);
    DWORD done = 0;
    if (WriteFile(handleOf(fd), data, chunk(size), &done, &position))
        return done;
    setErrnoFromLastError();
    return -1;
}

bool truncateFile(int fd, qint64 size)
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    if (SetFileInformationByHandle(handleOf(fd), FileEndOfFileInfo, &end, sizeof end))
        return true;
    setErrnoFromLastError();
    return false;
}

bool isOpenForReadingOnly(int fd)
{
    // A handle opened for reading alone cannot take a byte; an empty write tells without
    // changing anything.
    DWORD done = 0;
    OVERLAPPED position = at(0);
    return !WriteFile(handleOf(fd), "", 0, &done, &position) &&
           GetLastError() == ERROR_ACCESS_DENIED;
}

int syncFile(int fd)
{
    if (FlushFileBuffers(handleOf(fd)))
        return 0;
    setErrnoFromLastError();
    return -1;
}

int syncFileData(int fd)
{
    return syncFile(fd);
}

void syncFolder(const QString &)
{
    // Names are put on the disk by the renames themselves (write-through).
}

void syncAllFiles()
{
    // Only an administrator may flush a whole volume; nothing to do for the others.
}

qint64 dataEndFrom(int, qint64, qint64 size)
{
    // The program never makes sparse files, and other files on Windows are not sparse.
    return size;
}

void adviseSequentialRead(int)
{
    // Windows takes this advice only when the file is opened.
}

void setModificationTime(int fd, qint64 nanoseconds)
{
    const FILETIME written = win32::fileTimeFrom(nanoseconds);
    SetFileTime(handleOf(fd), nullptr, nullptr, &written);
}

} // namespace dosarium
