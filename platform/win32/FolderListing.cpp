#include "platform/FolderListing.h"

#include "platform/FileHandles.h"
#include "platform/win32/Win32.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>

namespace dosarium {

namespace {

int openFolderAt(const std::wstring &path)
{
    // A link is never gone through: it opens as itself and is refused below.
    const HANDLE handle =
        CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        win32::setErrnoFromLastError();
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    int error = 0;
    if (!GetFileInformationByHandle(handle, &info))
        error = win32::errnoFor(GetLastError());
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        error = ELOOP;
    else if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        error = ENOTDIR;
    const int fd = error ? -1 : _open_osfhandle(intptr_t(handle), _O_RDONLY);
    if (fd < 0) {
        CloseHandle(handle);
        errno = error ? error : EMFILE;
    }
    return fd;
}

// The folder's full path as the system holds it ("\\?\C:\..."), which also reaches paths
// longer than 260 characters.
std::wstring pathOf(int folder)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(win32::handleOf(folder), path.data(),
                                                  DWORD(path.size()), FILE_NAME_NORMALIZED);
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n + 1);
    }
}

EntryKind kindOf(const WIN32_FIND_DATAW &entry)
{
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryKind::Link;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return EntryKind::Folder;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
        return EntryKind::Other;
    return EntryKind::File;
}

} // namespace

int FolderListing::openFolder(const QString &path)
{
    return openFolderAt(win32::widePath(path));
}

int FolderListing::openSubfolder(int parent, const QString &name)
{
    const std::wstring folder = pathOf(parent);
    if (folder.empty()) {
        win32::setErrnoFromLastError();
        return -1;
    }
    return openFolderAt(folder + L'\\' + name.toStdWString());
}

void FolderListing::closeFolder(int folder)
{
    closeFile(folder);
}

int FolderListing::list(int folder, const Visit &visit)
{
    // The system hands over the entries in large batches, without the short names.
    const std::wstring path = pathOf(folder);
    if (path.empty())
        return win32::errnoFor(GetLastError());
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : win32::errnoFor(GetLastError());
    do {
        const wchar_t *raw = entry.cFileName;
        if (raw[0] == L'.' && (raw[1] == 0 || (raw[1] == L'.' && raw[2] == 0)))
            continue;
        const EntryKind kind = kindOf(entry);
        const qint64 size =
            kind == EntryKind::File ? (qint64(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow : 0;
        visit(QString::fromWCharArray(raw), kind, size);
    } while (FindNextFileW(find, &entry));
    const DWORD error = GetLastError();
    FindClose(find);
    return error == ERROR_NO_MORE_FILES ? 0 : win32::errnoFor(error);
}

} // namespace dosarium
