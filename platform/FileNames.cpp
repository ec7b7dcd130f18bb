#include "platform/FileNames.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
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

bool moveWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    // A hard link never replaces a file; the old name then goes.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return true;
    }
    const int error = errno;
    if (error == EEXIST)
        return false;
    // Folders that know no hard links: a rename that refuses to replace, where the folder's
    // file system offers one, else a rename after a last check.
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno == EEXIST)
        return false;
    struct stat info {};
    if (::lstat(target.constData(), &info) != 0 && errno == ENOENT &&
        ::rename(source.constData(), target.constData()) == 0)
        return true;
    if (::lstat(target.constData(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    errno = error;
    return false;
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
