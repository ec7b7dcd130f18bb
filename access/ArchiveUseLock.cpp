#include "access/ArchiveUseLock.h"

#include "store/FileLock.h"
#include "store/FilePath.h"

#include <QFile>

#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace dosarium {

namespace {

// Far past the byte the settings' changes lock.
constexpr qint64 kArchiveUse = 1'000'000'000;

} // namespace

ArchiveUseLock::ArchiveUseLock(const QString &dataDir, Holder holder)
    : m_path(resolveFileName(joinPath(dataDir, QStringLiteral("Dsm.lck")))), m_holder(holder)
{}

ArchiveUseLock::~ArchiveUseLock()
{
    release();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ArchiveUseLock::tryTake()
{
    if (m_held)
        return true;
    if (m_fd < 0) {
        const QByteArray native = QFile::encodeName(m_path);
        m_fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0 && m_holder == Holder::ActOperation)
            m_fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            return true; // nothing in this folder can be written: there is nothing to keep apart
    }
    const LockMode mode = m_holder == Holder::Recoding ? LockMode::Exclusive : LockMode::Shared;
    m_held = lockRange(m_fd, kArchiveUse, 1, mode, std::chrono::milliseconds(0), m_path);
    return m_held;
}

void ArchiveUseLock::release()
{
    if (m_held && m_fd >= 0)
        unlockRange(m_fd, kArchiveUse, 1);
    m_held = false;
}

} // namespace dosarium
