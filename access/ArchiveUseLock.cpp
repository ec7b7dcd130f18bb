#include "access/ArchiveUseLock.h"

#include "platform/FileHandles.h"
#include "platform/FileLocks.h"
#include "store/FilePath.h"

#include <chrono>

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
        closeFile(m_fd);
}

bool ArchiveUseLock::tryTake()
{
    if (m_held)
        return true;
    if (m_fd < 0) {
        m_fd = openFile(m_path, FileAccess::ReadWrite, {.create = true}, 0666);
        if (m_fd < 0 && m_holder == Holder::ActOperation)
            m_fd = openFile(m_path, FileAccess::Read);
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
