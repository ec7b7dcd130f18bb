#include "platform/PrivateFolders.h"

#include "platform/win32/Win32.h"

#include <aclapi.h>
#include <sddl.h>

namespace dosarium {

namespace {

// Full control for the account alone, inherited by what is made inside; nothing inherited from
// the folder above.
constexpr wchar_t kOwnerOnly[] = L"D:P(A;OICI;FA;;;OW)";

bool ownedByUser(const std::wstring &path)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool ours = false;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::string buffer(size, '\0');
        if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
            ours = EqualSid(owner, reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid);
        CloseHandle(token);
    }
    LocalFree(descriptor);
    return ours;
}

} // namespace

bool isOwnPrivateFolder(const QString &path)
{
    const std::wstring wide = win32::widePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && ownedByUser(wide);
}

void makePrivateFolder(const QString &path)
{
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            kOwnerOnly, SDDL_REVISION_1, &security.lpSecurityDescriptor, nullptr))
        return;
    CreateDirectoryW(win32::widePath(path).c_str(), &security);
    LocalFree(security.lpSecurityDescriptor);
}

} // namespace dosarium
