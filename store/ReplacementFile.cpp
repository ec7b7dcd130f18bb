#include "store/ReplacementFile.h"

#include "store/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace dosarium {

namespace {

// Marks every temporary file of the program: "<name>.~dsm-<host>-<pid>-<random>".
const QString kMarker = QStringLiteral(".~dsm-");

QString systemError(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString uniqueSuffix()
{
    QString host = QSysInfo::machineHostName();
    host.replace(QLatin1Char('-'), QLatin1Char('_'));
    return QStringLiteral("%1-%2-%3")
        .arg(host.left(15))
        .arg(getpid())
        .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

} // namespace

ReplacementFile::ReplacementFile(QString target) : m_target(std::move(target))
{
    for (int attempt = 0; attempt < 8 && m_fd < 0; ++attempt) {
        m_temp = temporaryPrefix(m_target) + uniqueSuffix();
        m_fd =
            ::open(nativePath(m_temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        const int error = errno;
        m_temp.clear();
        throw Error(
            QStringLiteral("Nu pot scrie fisierul %1: %2.").arg(m_target, systemError(error)));
    }
}

ReplacementFile::~ReplacementFile()
{
    discard();
}

QString ReplacementFile::temporaryPrefix(const QString &target)
{
    return target + kMarker;
}

bool ReplacementFile::isTemporaryName(const QString &fileName)
{
    return fileName.contains(kMarker);
}

void ReplacementFile::write(const char *data, qint64 size)
{
    if (m_fd < 0)
        throw Error(QStringLiteral("Fisierul %1 nu mai poate fi scris.").arg(m_target));
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(QStringLiteral("scrie"), n < 0 ? errno : ENOSPC);
        done += n;
    }
}

void ReplacementFile::syncAndClose()
{
    if (fsync(m_fd) != 0 && errno != EINVAL)
        fail(QStringLiteral("scrie"), errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        fail(QStringLiteral("scrie"), errno);
}

void ReplacementFile::commit()
{
    syncAndClose();
    if (::rename(nativePath(m_temp).constData(), nativePath(m_target).constData()) != 0)
        fail(QStringLiteral("inlocui"), errno);
    m_temp.clear();
}

bool ReplacementFile::commitIfAbsent()
{
    syncAndClose();
    const QByteArray temp = nativePath(m_temp);
    const QByteArray target = nativePath(m_target);
    if (::link(temp.constData(), target.constData()) == 0) {
        discard();
        return true;
    }
    const int error = errno;
    if (error == EEXIST) {
        discard();
        return false;
    }
    // Folders that know no hard links: rename, after a last check.
    if (!QFileInfo::exists(m_target) && ::rename(temp.constData(), target.constData()) == 0) {
        m_temp.clear();
        return true;
    }
    fail(QStringLiteral("crea"), error);
}

void ReplacementFile::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temp.isEmpty())
        ::unlink(nativePath(std::exchange(m_temp, QString())).constData());
}

void ReplacementFile::fail(const QString &what, int error)
{
    discard();
    throw Error(QStringLiteral("Nu pot %1 fisierul %2: %3. Fisierul vechi a ramas neschimbat.")
                    .arg(what, m_target, systemError(error)));
}

} // namespace dosarium
