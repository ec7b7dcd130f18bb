#include "platform/FileModes.h"

#include <QFile>

#include <sys/stat.h>

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

} // namespace dosarium
