#include "platform/FileStatus.h"

#include "platform/win32/Win32.h"

#include <cerrno>

namespace dosarium {

namespace {

EntryKind kindOf(DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryKind::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return EntryKind::Folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return EntryKind::Other;
    return EntryKind::File;
}

// Windows keeps no permission bits: a read-only file reads as one nobody may write, and every
// file as the user's own (its access list decides, and it lets the user open the file).
FileStatus statusFrom(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME &written)
{
    FileStatus status;
    status.kind = kindOf(attributes);
    status.size = status.kind == EntryKind::File ? (qint64(sizeHigh) << 32) | sizeLow : 0;
    status.permissions = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    if (status.kind == EntryKind::Folder)
        status.permissions |= 0111;
    status.ownedByUser = true;
    status.modified = win32::nanosecondsFrom(written);
    return status;
}

// The handle of what stands at `path`, a link as a link; nothing is read through it.
HANDLE openEntry(const std::wstring &path)
{
    return CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

} // namespace

EntryKind entryKind(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(win32::widePath(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? EntryKind::Missing : kindOf(attributes);
}

std::optional<FileStatus> statusOf(int fd)
{
    const HANDLE handle = win32::handleOf(fd);
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        FileStatus other;
        return other;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) {
        win32::setErrnoFromLastError();
        return std::nullopt;
    }
    return statusFrom(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow,
                      info.ftLastWriteTime);
}

std::optional<FileStatus> statusAt(const QString &path)
{
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExW(win32::widePath(path).c_str(), GetFileExInfoStandard, &info)) {
        win32::setErrnoFromLastError();
        return std::nullopt;
    }
    return statusFrom(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow,
                      info.ftLastWriteTime);
}

bool isFileAt(int fd, const QString &path)
{
    BY_HANDLE_FILE_INFORMATION byFd{}, byName{};
    if (!GetFileInformationByHandle(win32::handleOf(fd), &byFd))
        return false;
    const HANDLE named = openEntry(win32::widePath(path));
    if (named == INVALID_HANDLE_VALUE)
        return false;
    const bool read = GetFileInformationByHandle(named, &byName);
    CloseHandle(named);
    return read && byFd.dwVolumeSerialNumber == byName.dwVolumeSerialNumber &&
           byFd.nFileIndexHigh == byName.nFileIndexHigh &&
           byFd.nFileIndexLow == byName.nFileIndexLow;
}

} // namespace dosarium
