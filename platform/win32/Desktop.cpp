#include "platform/Desktop.h"

#include "platform/win32/Win32.h"

#include <QFileInfo>

#include <shellapi.h>

namespace dosarium {

namespace {

struct Search {
    std::wstring caption;
    HWND found = nullptr;
};

// The program's windows are the window library's top-level windows ("Qt<version>QWindow...").
bool isProgramWindow(HWND window, const std::wstring &caption)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() || !IsWindowVisible(window))
        return false;
    wchar_t className[128];
    const int classLength = GetClassNameW(window, className, int(std::size(className)));
    const std::wstring_view name(className, size_t(std::max(classLength, 0)));
    if (!name.starts_with(L"Qt") || name.find(L"QWindow") == std::wstring_view::npos)
        return false;
    wchar_t title[256];
    const int titleLength = GetWindowTextW(window, title, int(std::size(title)));
    return std::wstring_view(title, size_t(std::max(titleLength, 0))).starts_with(caption);
}

BOOL CALLBACK visit(HWND window, LPARAM data)
{
    auto *search = reinterpret_cast<Search *>(data);
    if (!isProgramWindow(window, search->caption))
        return TRUE;
    search->found = window; // the first is the frontmost
    return FALSE;
}

} // namespace

bool openWithAssociatedProgram(const QString &path)
{
    const std::wstring file = win32::widePath(path);
    const std::wstring folder = win32::widePath(QFileInfo(path).absolutePath());
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL));
    return result > 32;
}

void passForegroundToOtherCopy(const QString &caption)
{
    AllowSetForegroundWindow(ASFW_ANY);
    Search search{caption.toStdWString()};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return;
    if (IsIconic(search.found))
        ShowWindow(search.found, SW_RESTORE);
    else
        SetForegroundWindow(search.found);
}

} // namespace dosarium
