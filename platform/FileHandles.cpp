#include "platform/FileHandles.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dosarium {

namespace {

int openFlags(FileAccess access, OpenOptions options)
{
    int flags = access == FileAccess::Read    ? O_RDONLY
                : access == FileAccess::Write ? O_WRONLY
                                              : O_RDWR;
    flags |= O_CLOEXEC;
    if (options.create)
        flags |= O_CREAT;
    if (options.exclusive)
        flags |= O_EXCL;
    if (options.noFollow)
        flags |= O_NOFOLLOW;
    if (options.noBlock)
        flags |= O_NONBLOCK;
    if (options.folder)
        flags |= O_DIRECTORY;
    return flags;
}

} // namespace

int openFile(const QString &path, FileAccess access, OpenOptions options, unsigned mode)
{
    return ::open(QFile::encodeName(path).constData(), openFlags(access, options), mode_t(mode));
}

void stopNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
}

int closeFile(int fd)
{
    return ::close(fd);
}

qint64 readFile(int fd, void *into, qint64 size)
{
    return ::read(fd, into, size_t(size));
}

qint64 readFileAt(int fd, void *into, qint64 size, qint64 offset)
{
    return ::pread(fd, into, size_t(size), off_t(offset));
}

qint64 writeFile(int fd, const void *data, qint64 size)
{
    return ::write(fd, data, size_t(size));
}

qint64 writeFileAt(int fd, const void *data, qint64 size, qint64 offset)
{
    return ::pwrite(fd, data, size_t(size), off_t(offset));
}

bool truncateFile(int fd, qint64 size)
{
    return ::ftruncate(fd, off_t(size)) == 0;
}

bool isOpenForReadingOnly(int fd)
{
    return (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY;
}

int syncFile(int fd)
{
    return ::fsync(fd);
}

int syncFileData(int fd)
{
    return ::fdatasync(fd);
}

void syncFolder(const QString &path)
{
    const int folder = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void syncAllFiles()
{
    ::sync();
}

qint64 dataEndFrom(int fd, qint64 from, qint64 size)
{
    if (from >= size)
        return size;
    const off_t hole = ::lseek(fd, off_t(from), SEEK_HOLE);
    return hole < 0 ? size : std::min(size, qint64(hole));
}

void adviseSequentialRead(int fd)
{
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

void setModificationTime(int fd, qint64 nanoseconds)
{
    constexpr qint64 kBillion = 1'000'000'000;
    qint64 seconds = nanoseconds / kBillion;
    qint64 rest = nanoseconds % kBillion;
    if (rest < 0) {
        rest += kBillion;
        --seconds;
    }
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(seconds), long(rest)}};
    ::futimens(fd, times);
}

} // namespace dosarium
