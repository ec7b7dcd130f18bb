#include "access/ArchiveRecoding.h"

#include "access/ArchiveUseLock.h"
#include "access/RecodingJournalCheck.h"
#include "access/UserFile.h"
#include "app/ActsTable.h"
#include "app/DamagedFiles.h"
#include "app/Workspace.h"
#include "archive/ArchivePath.h"
#include "archive/CodedCopy.h"
#include "archive/ProgressSink.h"
#include "platform/FileHandles.h"
#include "platform/FileNames.h"
#include "store/FileLock.h"
#include "store/FilePath.h"
#include "store/PlainFile.h"
#include "store/Query.h"
#include "store/Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <optional>
#include <thread>

namespace dosarium {

namespace {

using namespace std::chrono_literals;

// The byte every program that runs a pass holds alone, far past the journal's text.
constexpr qint64 kPassLock = 1'000'000'000;

const QByteArray kHeader = QByteArrayLiteral("DOSARIUM RECODARE 1");
const QByteArray kOldKey = QByteArrayLiteral("CHEIE_VECHE ");
const QByteArray kNewKey = QByteArrayLiteral("CHEIE_NOUA ");
const QByteArray kRows = QByteArrayLiteral("ACTE ");
const QByteArray kFile = QByteArrayLiteral("F ");
const QByteArray kEnd = QByteArrayLiteral("SFARSIT");

QString systemError(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

QString nativeText(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The byte at `offset` of the file; no value when the file is gone or shorter than that, or a
// link or special file stands in its place.
std::optional<quint8> byteAt(const QString &path, qint64 offset)
{
    const int fd = openPlainFile(path, FileAccess::Read);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == EINVAL ||
            errno == EISDIR)
            return std::nullopt;
        throw Error(QStringLiteral("Nu pot citi fisierul %1: %2.")
                        .arg(nativeText(path), systemError(errno)));
    }
    struct Close {
        int fd;
        ~Close() { closeFile(fd); }
    } close{fd};
    const std::optional<FileStatus> info = statusOf(fd);
    if (!info || info->kind != EntryKind::File || offset >= info->size)
        return std::nullopt;
    unsigned char byte = 0;
    qint64 n;
    do {
        n = readFileAt(fd, &byte, 1, offset);
    } while (n < 0 && errno == EINTR);
    if (n != 1)
        throw Error(QStringLiteral("Nu pot citi fisierul %1: %2.")
                        .arg(nativeText(path), systemError(n < 0 ? errno : EIO)));
    return byte;
}

// Whether a row's texts can name a file of the archive at all (see ArchivePath): a domain or
// subdomain the older program stored with separators names its nested folders.
bool namesArchiveFile(qint64 year, const QString &domain, const QString &subdomain, qint64 id)
{
    return year >= 0 && id >= 0 && !StoredFolderNames(domain).isEmpty() &&
           !StoredFolderNames(subdomain).isEmpty();
}

std::optional<qint64> number(const QByteArray &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

ArchiveRecoding::ArchiveRecoding(Workspace &workspace, std::function<QByteArray()> archiveKey)
    : m_workspace(workspace), m_archiveKey(std::move(archiveKey)), m_recodeStep(RecodeFile)
{}

ArchiveRecoding::~ArchiveRecoding()
{
    release();
}

QString ArchiveRecoding::journalPath(const QString &dataDir)
{
    return joinPath(dataDir, kJournalName);
}

bool ArchiveRecoding::isJournalHeld(const QString &dataDir)
{
    const int fd = openPlainFile(journalPath(dataDir), FileAccess::Read);
    if (fd < 0)
        return false;
    const bool held = rangeLockedElsewhere(fd, kPassLock, 1);
    closeFile(fd);
    return held;
}

QString ArchiveRecoding::dataDir() const
{
    return m_workspace.context().DataDir;
}

void ArchiveRecoding::setRecodeStep(RecodeStep step)
{
    m_recodeStep = step ? std::move(step) : RecodeStep(RecodeFile);
}

void ArchiveRecoding::setCrashPoint(std::function<bool(int)> point)
{
    m_crashPoint = std::move(point);
}

qint64 ArchiveRecoding::telltaleOffset(const QByteArray &oldKey, const QByteArray &newKey,
                                       qint64 size)
{
    // Both keys repeat, together, after the product of their lengths.
    const qint64 oldLength = oldKey.size();
    const qint64 newLength = newKey.size();
    const qint64 period = std::max<qint64>(oldLength, 1) * std::max<qint64>(newLength, 1);
    const qint64 end = std::min(size, period);
    for (qint64 i = 0; i < end; ++i) {
        const char a = oldLength ? oldKey.at(i % oldLength) : '\0';
        const char b = newLength ? newKey.at(i % newLength) : '\0';
        if (a != b)
            return i;
    }
    return -1;
}

QByteArray ArchiveRecoding::journalText(const Plan &plan)
{
    QByteArray text;
    text.reserve(128 + plan.files.size() * 64);
    text += kHeader + '\n';
    text += kOldKey + plan.oldKey.toHex() + '\n';
    text += kNewKey + plan.newKey.toHex() + '\n';
    text += kRows + QByteArray::number(plan.rows) + '\n';
    for (const PlannedFile &file : plan.files) {
        text += kFile + QByteArray::number(file.row) + ' ' + QByteArray::number(file.offset) + ' ' +
                QByteArray::number(file.oldByte) + ' ' +
                file.relativePath.toUtf8().toPercentEncoding("/") + '\n';
    }
    if (plan.complete)
        text += kEnd + '\n';
    return text;
}

ArchiveRecoding::Plan ArchiveRecoding::readJournal(const QByteArray &text, const QString &path)
{
    Plan plan;
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    // Written before anything changed and cut short by a crash: nothing to bring back.
    if (lines.isEmpty() || lines.constLast() != kEnd || !text.endsWith('\n'))
        return plan;
    const auto damaged = [&path] {
        return Error(QStringLiteral("Jurnalul recodarii arhivei %1 este deteriorat; arhiva poate "
                                    "avea fisiere codate cu doua parole.")
                         .arg(nativeText(path)));
    };
    if (lines.size() < 5 || lines.at(0) != kHeader || !lines.at(1).startsWith(kOldKey) ||
        !lines.at(2).startsWith(kNewKey) || !lines.at(3).startsWith(kRows))
        throw damaged();
    plan.oldKey = QByteArray::fromHex(lines.at(1).mid(kOldKey.size()));
    plan.newKey = QByteArray::fromHex(lines.at(2).mid(kNewKey.size()));
    const std::optional<qint64> rows = number(lines.at(3).mid(kRows.size()));
    if (!rows || *rows < 0 || plan.oldKey == plan.newKey)
        throw damaged();
    plan.rows = int(*rows);
    for (qsizetype i = 4; i + 1 < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const QList<QByteArray> parts = line.split(' ');
        if (!line.startsWith(kFile) || parts.size() != 5)
            throw damaged();
        const std::optional<qint64> row = number(parts.at(1));
        const std::optional<qint64> offset = number(parts.at(2));
        const std::optional<qint64> byte = number(parts.at(3));
        if (!row || !offset || !byte || *offset < 0 || *byte < 0 || *byte > 255)
            throw damaged();
        plan.files.append({int(*row),
                           QString::fromUtf8(QByteArray::fromPercentEncoding(parts.at(4))), *offset,
                           quint8(*byte)});
    }
    plan.complete = true;
    return plan;
}

bool ArchiveRecoding::take(bool create)
{
    m_journal = journalPath(dataDir());
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd = openPlainFile(m_journal, FileAccess::ReadWrite, create);
        if (fd < 0) {
            if (!create && errno == ENOENT)
                return false;
            // A link or a special file in the journal's place is never opened: it goes aside.
            if (errno == ELOOP || errno == EINVAL || errno == EISDIR)
                throw Error(setJournalAside(
                    m_journal, QStringLiteral("nu este un fisier obisnuit (este o legatura "
                                              "simbolica, un director sau un fisier special)")));
            throw Error(QStringLiteral("Nu pot deschide jurnalul recodarii arhivei %1: %2.")
                            .arg(nativeText(m_journal), systemError(errno)));
        }
        bool locked = false;
        try {
            locked = lockRange(fd, kPassLock, 1, LockMode::Exclusive, 0ms, m_journal);
        } catch (...) {
            closeFile(fd);
            throw;
        }
        if (!locked) {
            closeFile(fd);
            if (create)
                throw RecodingBusy(QStringLiteral("\rArhiva este recodata chiar acum de pe alt "
                                                  "calculator.\rIncercati din nou mai tarziu."));
            return false;
        }
        // The journal may have been removed, and another begun, while it was being opened.
        if (isFileAt(fd, m_journal)) {
            m_fd = fd;
            return true;
        }
        closeFile(fd);
    }
    if (create)
        throw RecodingBusy(QStringLiteral("\rJurnalul recodarii arhivei %1 se schimba mereu; "
                                          "incercati din nou.")
                               .arg(nativeText(m_journal)));
    return false;
}

void ArchiveRecoding::release()
{
    m_use.reset();
    if (m_fd >= 0)
        closeFile(std::exchange(m_fd, -1));
}

void ArchiveRecoding::leave()
{
    release();
    m_plan = Plan();
}

QByteArray ArchiveRecoding::readJournalFile() const
{
    QByteArray text;
    char buffer[64 * 1024];
    for (qint64 at = 0;;) {
        const qint64 n = readFileAt(m_fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Error(QStringLiteral("Nu pot citi jurnalul recodarii arhivei %1: %2.")
                            .arg(nativeText(m_journal), systemError(errno)));
        if (n == 0)
            return text;
        text.append(buffer, n);
        at += n;
    }
}

void ArchiveRecoding::writeJournalFile(const QByteArray &text)
{
    const auto fail = [this](int error) {
        throw Error(QStringLiteral("Nu pot scrie jurnalul recodarii arhivei %1: %2. Parola nu a "
                                   "fost schimbata.")
                        .arg(nativeText(m_journal), systemError(error)));
    };
    if (!truncateFile(m_fd, 0))
        fail(errno);
    for (qint64 done = 0; done < text.size();) {
        const qint64 n = writeFileAt(m_fd, text.constData() + done, text.size() - done, done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : ENOSPC);
        done += n;
    }
    // On the disk, name included, before the user file may take the new key.
    if (syncFile(m_fd) != 0 && errno != EINVAL)
        fail(errno);
    syncFolder(dataDir());
}

void ArchiveRecoding::recodeOne(const QString &path, const QByteArray &from, const QByteArray &to)
{
    m_recodeStep(path, from, to);
    ++m_recoded;
    if (m_crashPoint && m_crashPoint(m_recoded))
        throw SimulatedCrash();
}

void ArchiveRecoding::bringTo(const Plan &plan, const QByteArray &target, ProgressSink &progress)
{
    if (!plan.complete)
        return;
    const bool toNew = target == plan.newKey;
    if (!toNew && target != plan.oldKey)
        throw Error(QStringLiteral("\rRecodarea arhivei ramasa neterminata nu poate fi "
                                   "incheiata: parola administratorului a fost schimbata intre "
                                   "timp.\rFisierele recodate sunt scrise in %1.")
                        .arg(nativeText(m_journal)));
    FinishGuard guard(progress);
    progress.start(plan.files.size(), kDescription);
    QStringList failures;
    for (const PlannedFile &file : plan.files) {
        progress.step();
        const QString path = joinPath(dataDir(), file.relativePath);
        try {
            const std::optional<quint8> byte = byteAt(path, file.offset);
            if (!byte)
                continue; // gone, or no longer the file that was planned
            const bool old = *byte == file.oldByte;
            if (toNew && old)
                recodeOne(path, plan.oldKey, plan.newKey);
            else if (!toNew && !old)
                recodeOne(path, plan.newKey, plan.oldKey);
        } catch (const Error &e) {
            // The others are still brought, so that as few files as possible stay behind.
            failures << e.message();
        }
        m_workspace.yield();
    }
    guard.finish();
    if (!failures.isEmpty())
        throw Error(failures.constFirst() +
                    (failures.size() > 1
                         ? QStringLiteral("\r(si inca %1 fisiere)").arg(failures.size() - 1)
                         : QString()) +
                    QStringLiteral("\rJurnalul %1 a ramas; recodarea va fi reluata la urmatoarea "
                                   "pornire a programului.")
                        .arg(nativeText(m_journal)));
}

void ArchiveRecoding::open(ProgressSink &progress)
{
    release();
    take(true);
    // An act operation under way elsewhere may be writing a file the plan would not see.
    m_use = std::make_unique<ArchiveUseLock>(dataDir(), ArchiveUseLock::Holder::Recoding);
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!m_use->tryTake()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            release();
            throw RecodingBusy(QStringLiteral("\rPe alt calculator se lucreaza chiar acum cu "
                                              "actele arhivei.\rIncercati din nou mai tarziu."));
        }
        m_workspace.yield();
        std::this_thread::sleep_for(50ms);
    }
    m_plan = Plan();
    finishJournal(progress);
}

void ArchiveRecoding::finishJournal(ProgressSink &progress)
{
    try {
        const QByteArray text = readJournalFile();
        m_recoveredLog.clear();
        if (text.isEmpty())
            return;
        const Plan pending = readJournal(text, m_journal);
        // Files named outside the archive tree, or reached through a link: nothing is touched.
        if (const QString problem = RecodingJournalProblem(pending, dataDir()); !problem.isEmpty())
            throw Error(setJournalAside(m_journal, problem));
        const QByteArray target = m_archiveKey();
        bringTo(pending, target, progress);
        // A journal cut short planned a pass that never began: nothing to tell.
        if (pending.complete)
            m_recoveredLog = target == pending.newKey ? kFinishedLog : kUndoneLog;
    } catch (...) {
        release();
        throw;
    }
}

void ArchiveRecoding::plan(const QByteArray &oldKey, const QByteArray &newKey)
{
    if (m_fd < 0)
        throw Error(QStringLiteral("Jurnalul recodarii arhivei nu este deschis."));
    const QString folder = dataDir();
    // A query of the plan's own: whatever runs while the plan yields may reset the shared one.
    Query rows;
    const QString place = ActsTable::kYear + QStringLiteral(", ") + ActsTable::kDomain +
                          QStringLiteral(", ") + ActsTable::kSubdomain;
    rows.appendSql(QStringLiteral("SELECT ") + ActsTable::kId + QStringLiteral(", ") + place);
    rows.appendSql(QStringLiteral("FROM ") + quoteText(m_workspace.actePath()));
    rows.appendSql(QStringLiteral("ORDER BY ") + place);
    rows.open();
    m_workspace.yield();

    Plan plan;
    plan.oldKey = oldKey;
    plan.newKey = newKey;
    plan.rows = rows.recordCount();
    const int idact = rows.fieldIndex(ActsTable::kId);
    const int anul = rows.fieldIndex(ActsTable::kYear);
    const int domeniul = rows.fieldIndex(ActsTable::kDomain);
    const int subdom = rows.fieldIndex(ActsTable::kSubdomain);
    const QDir base(folder);
    QSet<QString> planned;
    for (int row = 0; row < plan.rows; ++row) {
        if (row % 256 == 255)
            m_workspace.yield();
        const qint64 year = rows.text(row, anul).toLongLong();
        const qint64 id = rows.text(row, idact).toLongLong();
        const QString domain = rows.text(row, domeniul);
        const QString subdomain = rows.text(row, subdom);
        if (!namesArchiveFile(year, domain, subdomain, id))
            continue; // the act's texts can name no file of the archive: it has none
        const QString path = ActsTable::archivedFile(folder, year, domain, subdomain, id);
        // Rows that share an id share its file, which is re-coded once: a second pass over it
        // would turn it back to the old key.
        if (planned.contains(path))
            continue;
        planned.insert(path);
        const QFileInfo info(path);
        if (!info.isFile())
            continue;
        const qint64 offset = telltaleOffset(oldKey, newKey, info.size());
        if (offset < 0)
            continue; // the same bytes under both keys
        const std::optional<quint8> byte = byteAt(path, offset);
        if (!byte)
            continue;
        plan.files.append({row, base.relativeFilePath(path), offset, *byte});
    }
    // A row lost on the way would leave its file under the old key: nothing changes then.
    if (!rows.isOpen() || rows.recordCount() != plan.rows)
        throw Error(QStringLiteral("\rLista actelor nu a putut fi citita pana la capat pentru "
                                   "recodarea arhivei.\rParola nu a fost schimbata."));
    plan.complete = true;
    writeJournalFile(journalText(plan));
    m_plan = std::move(plan);
}

void ArchiveRecoding::run(ProgressSink &progress)
{
    FinishGuard guard(progress);
    progress.start(m_plan.rows, kDescription);
    qsizetype next = 0;
    for (int row = 0; row < m_plan.rows; ++row) {
        progress.step();
        for (; next < m_plan.files.size() && m_plan.files.at(next).row == row; ++next) {
            const QString path = joinPath(dataDir(), m_plan.files.at(next).relativePath);
            if (!QFileInfo(path).isFile())
                continue;
            try {
                recodeOne(path, m_plan.oldKey, m_plan.newKey);
            } catch (const Error &e) {
                throw RecodeFailed(path, e.message());
            }
            m_workspace.yield();
        }
    }
    guard.finish();
}

void ArchiveRecoding::restore(ProgressSink &progress)
{
    bringTo(m_plan, m_archiveKey(), progress);
}

void ArchiveRecoding::close()
{
    if (m_fd < 0)
        return;
    // Emptied first: a journal that cannot be removed, or a crash in between, leaves nothing to
    // bring back.
    const bool emptied = truncateFile(m_fd, 0);
    const bool removed = removeEntry(m_journal);
    Q_UNUSED(emptied);
    Q_UNUSED(removed);
    release();
    m_plan = Plan();
}

bool ArchiveRecoding::finishPending(ProgressSink &progress)
{
    release();
    if (entryKind(journalPath(dataDir())) == EntryKind::Missing || !take(false))
        return false;
    finishJournal(progress);
    close();
    return true;
}

void finishInterruptedRecoding(Workspace &workspace)
{
    ArchiveRecoding recoding(workspace,
                             [&workspace] { return ReadArchiveKey(workspace.context().DataDir); });
    recoding.finishPending(workspace.progress());
    if (!recoding.recoveredLog().isEmpty())
        workspace.WriteLog(recoding.recoveredLog());
}

} // namespace dosarium
