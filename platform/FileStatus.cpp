#include "platform/FileStatus.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace dosarium {

namespace {

EntryKind kindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return EntryKind::Link;
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

FileStatus statusFrom(const struct stat &info)
{
    FileStatus status;
    status.kind = kindOf(info.st_mode);
    status.size = qint64(info.st_size);
    status.permissions = unsigned(info.st_mode & 07777);
    status.ownedByUser = info.st_uid == ::getuid();
    status.modified = qint64(info.st_mtim.tv_sec) * 1'000'000'000 + qint64(info.st_mtim.tv_nsec);
    return status;
}

} // namespace

EntryKind entryKind(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return EntryKind::Missing;
    return kindOf(info.st_mode);
}

std::optional<FileStatus> statusOf(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return statusFrom(info);
}

std::optional<FileStatus> statusAt(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return statusFrom(info);
}

bool isFileAt(int fd, const QString &path)
{
    struct stat byFd {
    }, byName{};
    return ::fstat(fd, &byFd) == 0 && ::lstat(QFile::encodeName(path).constData(), &byName) == 0 &&
           byFd.st_ino == byName.st_ino && byFd.st_dev == byName.st_dev;
}

} // namespace dosarium
