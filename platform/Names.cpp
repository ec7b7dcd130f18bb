#include "platform/Names.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace dosarium {

QString loginName()
{
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

QString computerName()
{
    return QSysInfo::machineHostName();
}

QString accountTag()
{
    return QString::number(getuid());
}

} // namespace dosarium
