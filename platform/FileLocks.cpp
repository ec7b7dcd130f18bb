#include "platform/FileLocks.h"

#include "platform/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace dosarium {

namespace {

#ifdef F_OFD_SETLK
constexpr int kSetLock = F_OFD_SETLK;
#else
constexpr int kSetLock = F_SETLK;
#endif

struct flock lockRequest(qint64 start, qint64 length, short type)
{
    struct flock fl;
    memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(start);
    fl.l_len = off_t(length);
    fl.l_pid = 0;
    return fl;
}

bool tryLock(int fd, qint64 start, qint64 length, short type, int *error)
{
    struct flock fl = lockRequest(start, length, type);
    if (fcntl(fd, kSetLock, &fl) == 0)
        return true;
    *error = errno;
    return false;
}

} // namespace

bool lockRange(int fd, qint64 start, qint64 length, LockMode mode, std::chrono::milliseconds wait,
               const QString &fileName)
{
    const short type = mode == LockMode::Shared ? F_RDLCK : F_WRLCK;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        int error = 0;
        if (tryLock(fd, start, length, type, &error))
            return true;
        if (error != EAGAIN && error != EACCES && error != EINTR)
            throw Error(QStringLiteral("Nu pot bloca fisierul %1: %2.")
                            .arg(fileName, QString::fromLocal8Bit(strerror(error))));
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pause);
        // Short pauses: a waiter that sleeps long keeps losing the lock to busier writers.
        pause = std::min(pause * 2, std::chrono::microseconds(2000));
    }
}

void unlockRange(int fd, qint64 start, qint64 length)
{
    struct flock fl = lockRequest(start, length, F_UNLCK);
    fcntl(fd, kSetLock, &fl);
}

bool rangeLockedElsewhere(int fd, qint64 start, qint64 length)
{
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = off_t(start);
    probe.l_len = off_t(length);
#ifdef F_OFD_GETLK
    const int asked = ::fcntl(fd, F_OFD_GETLK, &probe);
#else
    const int asked = ::fcntl(fd, F_GETLK, &probe);
#endif
    return asked == 0 && probe.l_type != F_UNLCK;
}

} // namespace dosarium
