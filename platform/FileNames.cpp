#include "platform/FileNames.h"

#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace dosarium {

bool renameFile(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool renameWithoutReplacing(const QString &from, const QString &to)
{
    return ::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                       QFile::encodeName(to).constData(), RENAME_NOREPLACE) == 0;
}

bool removeEntry(const QString &path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

bool removeEmptyFolder(const QString &path)
{
    return ::rmdir(QFile::encodeName(path).constData()) == 0;
}

} // namespace dosarium
