#include "platform/Names.h"

#include <windows.h>

namespace dosarium {

QString loginName()
{
    wchar_t name[257];
    DWORD size = DWORD(std::size(name));
    if (GetUserNameW(name, &size) && size > 1)
        return QString::fromWCharArray(name, int(size) - 1);
    return qEnvironmentVariable("USERNAME");
}

QString computerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = DWORD(std::size(name));
    if (GetComputerNameW(name, &size))
        return QString::fromWCharArray(name, int(size));
    return qEnvironmentVariable("COMPUTERNAME");
}

QString accountTag()
{
    // The account's name tells it apart on one computer (no two accounts share one); the
    // characters a file or pipe name cannot hold are left out.
    QString tag;
    for (const QChar c : loginName())
        if (c.isLetterOrNumber() || c == QLatin1Char('_'))
            tag += c;
    return tag.isEmpty() ? QStringLiteral("0") : tag;
}

} // namespace dosarium
