#include "platform/ReplacementFile.h"

#include "platform/FileHandles.h"
#include "platform/FileModes.h"
#include "platform/FileNames.h"
#include "platform/FileStatus.h"
#include "platform/Names.h"
#include "platform/ProcessInfo.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
#include <chrono>
#include <mutex>

namespace dosarium {

namespace {

// Marks every temporary file of the program: "<name>.~dsm-<host>-<pid>-<random>".
const QString kMarker = QStringLiteral(".~dsm-");

// A leftover of this workstation is removed only when it has not been written for this long, so
// that a live temporary of another computer that happens to carry the same name stays.
constexpr auto kLeftoverAge = std::chrono::minutes(10);

// This workstation's part of a temporary name; "-" separates the parts, so it holds none.
QString workstationPart()
{
    QString host = computerName().left(15);
    host.replace(QLatin1Char('-'), QLatin1Char('_'));
    return host;
}

QString uniqueSuffix()
{
    return QStringLiteral("%1-%2-%3")
        .arg(workstationPart())
        .arg(currentProcessId())
        .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

// Removes the temporaries of this workstation's processes that ended without removing them
// (a crash, a power cut), once per folder and process.
void removeLeftovers(const QString &folder)
{
    static std::mutex mutex;
    static QSet<QString> swept;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (swept.contains(folder))
            return;
        swept.insert(folder);
    }
    const QString ours = workstationPart();
    const QDateTime oldest = QDateTime::currentDateTimeUtc().addSecs(
        -std::chrono::duration_cast<std::chrono::seconds>(kLeftoverAge).count());
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const qsizetype at = name.lastIndexOf(kMarker);
        if (at < 0)
            continue;
        const QStringList parts = name.mid(at + kMarker.size()).split(QLatin1Char('-'));
        if (parts.size() != 3 || parts.at(0) != ours || parts.at(2).size() != 16)
            continue;
        bool ok = false;
        const qint64 pid = parts.at(1).toLongLong(&ok);
        if (!ok || !processHasEnded(pid))
            continue;
        const QString path = dir.filePath(name);
        const QDateTime written =
            QFileInfo(path).fileTime(QFileDevice::FileModificationTime).toUTC();
        if (written.isValid() && written < oldest)
            removeEntry(path);
    }
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

} // namespace

ReplacementFile::ReplacementFile(QString target, std::optional<unsigned> mode)
    : m_target(std::move(target))
{
    // A file its owner made read-only is not replaced behind the owner's back.
    if (const int refused = writeRefusal(m_target)) {
        throw ReplacementError(
            QStringLiteral("Nu pot scrie fisierul %1: %2.").arg(m_target, systemErrorText(refused)),
            systemErrorText(refused));
    }
    removeLeftovers(folderOf(m_target));
    for (int attempt = 0; attempt < 8 && m_fd < 0; ++attempt) {
        m_temp = temporaryPrefix(m_target) + uniqueSuffix();
        m_fd = openFile(m_temp, FileAccess::Write, {.create = true, .exclusive = true},
                        mode ? *mode & 0666 : 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        const int error = errno;
        m_temp.clear();
        throw ReplacementError(
            QStringLiteral("Nu pot scrie fisierul %1: %2.").arg(m_target, systemErrorText(error)),
            systemErrorText(error));
    }
    // The new file keeps the permissions of the one it replaces (never those of a file a link
    // leads to), or takes the ones asked for.
    if (mode) {
        (void)setPermissionsOf(m_fd, *mode & 0777);
    } else if (const auto old = statusAt(m_target); old && old->kind == EntryKind::File) {
        (void)setPermissionsOf(m_fd, old->permissions & 07777);
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

bool ReplacementFile::isAbandoned(const QString &path, std::chrono::seconds idle)
{
    const QFileInfo info(path);
    const QDateTime written = info.fileTime(QFileDevice::FileModificationTime).toUTC();
    if (written.isValid() && written < QDateTime::currentDateTimeUtc().addSecs(-idle.count()))
        return true;
    const QString name = info.fileName();
    const qsizetype at = name.lastIndexOf(kMarker);
    if (at < 0)
        return false;
    const QStringList parts = name.mid(at + kMarker.size()).split(QLatin1Char('-'));
    if (parts.size() != 3 || parts.at(0) != workstationPart())
        return false;
    bool ok = false;
    const qint64 pid = parts.at(1).toLongLong(&ok);
    return ok && processHasEnded(pid);
}

void ReplacementFile::write(const char *data, qint64 size)
{
    if (m_fd < 0)
        throw ReplacementError(QStringLiteral("Fisierul %1 nu mai poate fi scris.").arg(m_target),
                               systemErrorText(EBADF));
    qint64 done = 0;
    while (done < size) {
        const qint64 n = writeFile(m_fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(QStringLiteral("Nu pot scrie fisierul %1: %2."), n < 0 ? errno : ENOSPC);
        done += n;
    }
}

void ReplacementFile::syncAndClose()
{
    if (m_fd < 0)
        fail(QStringLiteral("Nu pot scrie fisierul %1: %2."), EBADF);
    if (syncFileData(m_fd) != 0 && errno != EINVAL)
        fail(QStringLiteral("Nu pot scrie fisierul %1: %2."), errno);
    const int fd = std::exchange(m_fd, -1);
    if (closeFile(fd) != 0)
        fail(QStringLiteral("Nu pot scrie fisierul %1: %2."), errno);
}

void ReplacementFile::commit()
{
    syncAndClose();
    if (!renameFile(m_temp, m_target))
        fail(QStringLiteral("Nu pot inlocui fisierul %1: %2."), errno);
    m_temp.clear();
}

bool ReplacementFile::commitIfAbsent()
{
    syncAndClose();
    if (moveWithoutReplacing(m_temp, m_target)) {
        m_temp.clear();
        return true;
    }
    if (errno == EEXIST) {
        discard();
        return false;
    }
    fail(QStringLiteral("Nu pot crea fisierul %1: %2."), errno);
}

void ReplacementFile::discard()
{
    if (m_fd >= 0)
        closeFile(std::exchange(m_fd, -1));
    if (!m_temp.isEmpty())
        removeEntry(std::exchange(m_temp, QString()));
}

void ReplacementFile::fail(const QString &message, int error)
{
    discard();
    const QString reason = systemErrorText(error);
    QString text = message.arg(m_target, reason);
    if (QFileInfo::exists(m_target))
        text += QStringLiteral(" Fisierul vechi a ramas neschimbat.");
    throw ReplacementError(text, reason);
}

} // namespace dosarium
