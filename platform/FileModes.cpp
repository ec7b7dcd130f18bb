#include "platform/FileModes.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace dosarium {

void useOfficeFileMode()
{
    const mode_t inherited = ::umask(0);
    ::umask((inherited & ~mode_t(S_IWGRP | S_IRGRP)) | S_IRWXO);
}

bool setPermissions(const QString &path, unsigned permissions)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(permissions)) == 0;
}

bool setPermissionsOf(int fd, unsigned permissions)
{
    return ::fchmod(fd, mode_t(permissions)) == 0;
}

int writeRefusal(const QString &path)
{
    if (::access(QFile::encodeName(path).constData(), W_OK) == 0 || errno == ENOENT)
        return 0;
    return errno;
}

} // namespace dosarium
