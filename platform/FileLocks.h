// Byte-range locks that every process and workstation using a shared folder honours.
//
// Locks belong to the open file (not to the process), so two objects of one process that open the
// same file exclude each other just as two workstations do, and closing one descriptor never drops
// the locks of another.
#pragma once

#include <QString>
#include <chrono>

namespace dosarium {

enum class LockMode { Shared, Exclusive };

// Tries to lock [start, start + length) of the open file `fd`, retrying until `wait` has passed.
// Returns false when another holder kept the range; throws Error for any other failure.
bool lockRange(int fd, qint64 start, qint64 length, LockMode mode, std::chrono::milliseconds wait,
               const QString &fileName);
void unlockRange(int fd, qint64 start, qint64 length);

// Holds a lock for its lifetime.
class RangeLock {
public:
    RangeLock(int fd, qint64 start, qint64 length) : m_fd(fd), m_start(start), m_length(length) {}
    RangeLock(const RangeLock &) = delete;
    RangeLock &operator=(const RangeLock &) = delete;
    ~RangeLock() { unlockRange(m_fd, m_start, m_length); }

private:
    int m_fd;
    qint64 m_start;
    qint64 m_length;
};

// Whether another open file holds a lock that would keep an exclusive lock on the range out.
bool rangeLockedElsewhere(int fd, qint64 start, qint64 length);

} // namespace dosarium
