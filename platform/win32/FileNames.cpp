#include "platform/FileNames.h"

#include "platform/win32/Win32.h"

#include <cerrno>
#include <chrono>
#include <thread>

namespace dosarium {

using win32::widePath;

namespace {

// A virus scanner or an indexer that opens a file for a moment makes a rename fail with a
// sharing violation; such a rename is tried again for this long.
constexpr auto kBusyWait = std::chrono::milliseconds(2000);

bool busy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// Puts `from` in the place of `to`: ReplaceFileW keeps the target's access list and works while
// other workstations hold the target open (they opened it sharing deletion, as this program
// does); MoveFileExW covers a missing target. Both write the names through to the disk.
DWORD replaceOnce(const std::wstring &from, const std::wstring &to)
{
    if (ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                     REPLACEFILE_WRITE_THROUGH | REPLACEFILE_IGNORE_MERGE_ERRORS |
                         REPLACEFILE_IGNORE_ACL_ERRORS,
                     nullptr, nullptr))
        return ERROR_SUCCESS;
    const DWORD replaceError = GetLastError();
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return ERROR_SUCCESS;
    const DWORD moveError = GetLastError();
    if (!busy(moveError))
        return replaceError == ERROR_FILE_NOT_FOUND ? moveError : replaceError;
    // The old file is held open: its name is moved aside (allowed while it is open sharing
    // deletion), the new file takes the name, and the old one goes once its readers close it.
    const std::wstring aside = from + L".old";
    if (!MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH))
        return moveError;
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(aside.c_str());
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    MoveFileExW(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
    return error;
}

bool failed(DWORD error)
{
    errno = win32::errnoFor(error);
    return false;
}

} // namespace

bool renameFile(const QString &from, const QString &to)
{
    const std::wstring source = widePath(from);
    const std::wstring target = widePath(to);
    const auto deadline = std::chrono::steady_clock::now() + kBusyWait;
    for (;;) {
        const DWORD error = replaceOnce(source, target);
        if (error == ERROR_SUCCESS)
            return true;
        if (!busy(error) || std::chrono::steady_clock::now() >= deadline)
            return failed(error);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool renameWithoutReplacing(const QString &from, const QString &to)
{
    if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    return failed(GetLastError());
}

bool moveWithoutReplacing(const QString &from, const QString &to)
{
    return renameWithoutReplacing(from, to);
}

bool removeEntry(const QString &path)
{
    const std::wstring wide = widePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    // A link to a folder is removed as a folder entry, never through to its target.
    const bool folderLink = attributes != INVALID_FILE_ATTRIBUTES &&
                            (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                            (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !folderLink) {
        errno = EISDIR;
        return false;
    }
    if (folderLink ? RemoveDirectoryW(wide.c_str()) : DeleteFileW(wide.c_str()))
        return true;
    return failed(GetLastError());
}

bool removeEmptyFolder(const QString &path)
{
    if (RemoveDirectoryW(widePath(path).c_str()))
        return true;
    return failed(GetLastError());
}

} // namespace dosarium
