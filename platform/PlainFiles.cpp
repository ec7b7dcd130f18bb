#include "platform/PlainFiles.h"

#include <cerrno>

namespace dosarium {

int openPlainFile(const QString &path, FileAccess access, bool create, unsigned mode)
{
    // No waiting on a pipe's other end or a device: the descriptor is checked before any read.
    const int fd =
        openFile(path, access, {.create = create, .noFollow = true, .noBlock = true}, mode);
    if (fd < 0)
        return -1;
    const std::optional<FileStatus> status = statusOf(fd);
    if (!status || status->kind != EntryKind::File) {
        const int error = status && status->kind == EntryKind::Folder ? EISDIR : EINVAL;
        closeFile(fd);
        errno = error;
        return -1;
    }
    stopNonBlocking(fd);
    return fd;
}

} // namespace dosarium
