#include "platform/PlainFiles.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dosarium {

int openPlainFile(const QString &path, FileAccess access, bool create, unsigned mode)
{
    // No waiting on a pipe's other end or a device: the descriptor is checked before any read.
    const int fd =
        openFile(path, access, {.create = create, .noFollow = true, .noBlock = true}, mode);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return -1;
    }
    stopNonBlocking(fd);
    return fd;
}

} // namespace dosarium
