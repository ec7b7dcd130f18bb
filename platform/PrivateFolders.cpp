#include "platform/PrivateFolders.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace dosarium {

bool isOwnPrivateFolder(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

void makePrivateFolder(const QString &path)
{
    ::mkdir(QFile::encodeName(path).constData(), 0700);
}

} // namespace dosarium
