#include "platform/FileLocks.h"

#include "platform/Error.h"
#include "platform/win32/Win32.h"

#include <thread>

namespace dosarium {

// Locks belong to the handle, as open-file locks do on Linux, and lie on exactly the same bytes,
// so that Linux and Windows workstations on one shared folder exclude each other. Windows locks
// are mandatory (a locked byte cannot be read through another handle), which is why every range
// the program locks lies past the bytes its files hold.
namespace {

OVERLAPPED rangeStart(qint64 start)
{
    OVERLAPPED position{};
    position.Offset = DWORD(quint64(start) & 0xffffffffu);
    position.OffsetHigh = DWORD(quint64(start) >> 32);
    return position;
}

bool tryLock(HANDLE handle, qint64 start, qint64 length, LockMode mode, DWORD *error)
{
    OVERLAPPED position = rangeStart(start);
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (mode == LockMode::Exclusive)
        flags |= LOCKFILE_EXCLUSIVE_LOCK;
    if (LockFileEx(handle, flags, 0, DWORD(quint64(length) & 0xffffffffu),
                   DWORD(quint64(length) >> 32), &position))
        return true;
    *error = GetLastError();
    return false;
}

} // namespace

bool lockRange(int fd, qint64 start, qint64 length, LockMode mode, std::chrono::milliseconds wait,
               const QString &fileName)
{
    const HANDLE handle = win32::handleOf(fd);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        DWORD error = 0;
        if (tryLock(handle, start, length, mode, &error))
            return true;
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING &&
            error != ERROR_SHARING_VIOLATION)
            throw Error(QStringLiteral("Nu pot bloca fisierul %1: %2.")
                            .arg(fileName, systemErrorText(win32::errnoFor(error))));
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pause);
        // Short pauses: a waiter that sleeps long keeps losing the lock to busier writers.
        pause = std::min(pause * 2, std::chrono::microseconds(2000));
    }
}

void unlockRange(int fd, qint64 start, qint64 length)
{
    OVERLAPPED position = rangeStart(start);
    UnlockFileEx(win32::handleOf(fd), 0, DWORD(quint64(length) & 0xffffffffu),
                 DWORD(quint64(length) >> 32), &position);
}

bool rangeLockedElsewhere(int fd, qint64 start, qint64 length)
{
    // Windows cannot ask who holds a lock; taking it for a moment tells whether anyone does.
    const HANDLE handle = win32::handleOf(fd);
    DWORD error = 0;
    if (!tryLock(handle, start, length, LockMode::Exclusive, &error))
        return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING;
    unlockRange(fd, start, length);
    return false;
}

} // namespace dosarium
