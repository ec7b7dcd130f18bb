#include "store/TableFile.h"

#include "platform/LargeBuffer.h"
#include "platform/ReplacementFile.h"
#include "store/Error.h"
#include "store/FileLock.h"
#include "store/FilePath.h"
#include "store/IoCount.h"
#include "store/PlainFile.h"

#include <QDate>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <new>

namespace dosarium {

namespace {

using namespace std::chrono_literals;

constexpr auto kSharedOpenWait = 10s;
constexpr auto kExclusiveOpenWait = 300ms;
constexpr auto kHeaderWait = 15s;

QString systemError(int error)
{
    return systemErrorText(error);
}

// Whole records past the header's count beyond the one a stop between a record and its
// header leaves.
bool holdsUncounted(const TableLayout &layout, qint64 fileSize)
{
    return quint64(recordsInFile(layout, fileSize)) > quint64(layout.declaredCount) + 1;
}

DamagedTableError uncountedError(const QString &path, const TableLayout &layout, qint64 fileSize)
{
    return DamagedTableError(
        QStringLiteral("Tabelul %1 numara in antet %2 randuri, dar fisierul cuprinde %3: nu il "
                       "modific, ca sa nu scriu peste randurile pe care antetul nu le numara. "
                       "Reporniti programul: pornirea pastreaza o copie a tabelului si ii "
                       "repara antetul.")
            .arg(path)
            .arg(layout.declaredCount)
            .arg(recordsInFile(layout, fileSize)));
}

} // namespace

std::unique_ptr<TableFile> TableFile::open(const QString &path, Mode mode)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QString resolved = resolveFileName(path);
        // Never through a link, never waiting on a pipe or a device.
        int fd = openPlainFile(resolved, FileAccess::ReadWrite);
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
            fd = openPlainFile(resolved, FileAccess::Read);
        if (fd < 0) {
            const int error = errno;
            if (error == ENOENT)
                throw Error(QStringLiteral("Tabelul %1 nu exista.").arg(resolved));
            if (error == ELOOP || error == EINVAL || error == EISDIR)
                throw Error(QStringLiteral("Nu pot deschide tabelul: %1")
                                .arg(notPlainFileText(resolved, entryKind(resolved))));
            throw Error(QStringLiteral("Nu pot deschide tabelul %1: %2.")
                            .arg(resolved, systemError(error)));
        }
        std::unique_ptr<TableFile> file(new TableFile(resolved, fd, mode));
        const bool exclusive = mode == Mode::Exclusive;
        if (!lockRange(fd, TableLocks::kOpen, 1, exclusive ? LockMode::Exclusive : LockMode::Shared,
                       exclusive ? kExclusiveOpenWait : kSharedOpenWait, resolved)) {
            if (exclusive)
                throw TableInUseError(
                    QStringLiteral("Tabelul %1 este folosit de alt program sau de alta statie; "
                                   "nu poate fi deschis doar pentru acest program.")
                        .arg(resolved));
            throw TableInUseError(
                QStringLiteral("Tabelul %1 este ocupat de alt program (se reface sau se "
                               "modifica structura); incercati din nou.")
                    .arg(resolved));
        }
        // The table may have been replaced (packed elsewhere) while we waited for the lock.
        if (isFileAt(fd, resolved))
            return file;
    }
    throw TableInUseError(
        QStringLiteral("Tabelul %1 se schimba mereu sub ochii programului; incercati din nou.")
            .arg(path));
}

void TableFile::create(const QString &path, const TableLayout &layout)
{
    const QString resolved = resolveFileName(path);
    // A folder, a link or a special file under the table's name is named as what it is.
    if (const QString refused = notPlainFileText(resolved, entryKind(resolved)); !refused.isEmpty())
        throw Error(QStringLiteral("Nu pot crea tabelul: ") + refused);
    if (QFileInfo::exists(resolved))
        throw Error(QStringLiteral("Tabelul %1 exista deja.").arg(resolved));
    QByteArray content = buildHeader(layout, 0, QDate::currentDate());
    content.append('\x1A');

    // Written under a temporary name and linked in place, so that a crash never leaves a
    // half-written table and two workstations creating it at once do not both succeed.
    try {
        ReplacementFile out(resolved);
        out.write(content);
        countTableWritten(content.size());
        if (!out.commitIfAbsent())
            throw Error(QStringLiteral("Tabelul %1 exista deja.").arg(resolved));
    } catch (const ReplacementError &e) {
        throw Error(QStringLiteral("Nu pot crea tabelul %1: %2.").arg(resolved, e.reason()));
    }
}

TableFile::~TableFile()
{
    if (m_fd >= 0)
        closeFile(m_fd);
}

void TableFile::preadFully(qint64 offset, char *into, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = readFileAt(m_fd, into + done, size - done, offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Error(
                QStringLiteral("Nu pot citi tabelul %1: %2.").arg(m_path, systemError(errno)));
        if (n == 0)
            throw DamagedTableError(
                QStringLiteral("Tabelul %1 s-a scurtat in timpul citirii.").arg(m_path));
        done += n;
    }
    countTableRead(size);
}

void TableFile::pwriteFully(qint64 offset, const char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = writeFileAt(m_fd, data + done, size - done, offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            throw Error(
                QStringLiteral("Nu pot scrie in tabelul %1: %2.").arg(m_path, systemError(error)));
        }
        done += n;
    }
    countTableWritten(size);
}

TableLayout TableFile::readLayout(qint64 *fileSize)
{
    const std::optional<FileStatus> st = statusOf(m_fd);
    if (!st)
        throw Error(QStringLiteral("Nu pot citi tabelul %1: %2.").arg(m_path, systemError(errno)));
    *fileSize = st->size;
    QByteArray first(std::min<qint64>(32, st->size), Qt::Uninitialized);
    preadFully(0, first.data(), first.size());
    const int headerLength = std::min<qint64>(declaredHeaderLength(first), st->size);
    QByteArray head(std::max<qsizetype>(headerLength, first.size()), Qt::Uninitialized);
    preadFully(0, head.data(), head.size());
    return parseTableHeader(head, st->size, m_path);
}

TableLayout TableFile::readHeader()
{
    qint64 size = 0;
    return readLayout(&size);
}

void TableFile::lockForReading(TableLayout *layout, quint32 *count, QString *notice)
{
    if (!lockRange(m_fd, TableLocks::kHeader, 1, LockMode::Shared, kHeaderWait, m_path))
        throw TableInUseError(
            QStringLiteral("Tabelul %1 este ocupat de alta statie; incercati din nou.")
                .arg(m_path));
    try {
        qint64 size = 0;
        *layout = readLayout(&size);
        // Rows past a hole are empty space, never written: they are not read, nor given room.
        const quint32 inFile =
            recordsInFile(*layout, dataEndFrom(m_fd, layout->headerLength, size));
        *count = std::min(layout->declaredCount, inFile);
        if (layout->declaredCount > inFile)
            *notice = QStringLiteral("Tabelul %1 declara %2 inregistrari, dar fisierul cuprinde "
                                     "doar %3; se citesc %3.")
                          .arg(m_path)
                          .arg(layout->declaredCount)
                          .arg(inFile);
    } catch (...) {
        unlockRange(m_fd, TableLocks::kHeader, 1);
        throw;
    }
}

TableSnapshot TableFile::readSnapshot()
{
    TableSnapshot snap;
    lockForReading(&snap.layout, &snap.count, &snap.notice);
    RangeLock held(m_fd, TableLocks::kHeader, 1);
    try {
        snap.records =
            QByteArray(qsizetype(snap.count) * snap.layout.recordLength, Qt::Uninitialized);
    } catch (const std::bad_alloc &) {
        throw DamagedTableError(QStringLiteral("Tabelul %1 are %2 randuri, prea multe pentru "
                                               "memoria acestui calculator; daca nu are atatea "
                                               "acte, este deteriorat. Puneti in locul lui o "
                                               "copie buna.")
                                    .arg(m_path)
                                    .arg(snap.count));
    }
    preferLargePages(snap.records.data(), snap.records.size());
    preadFully(snap.layout.headerLength, snap.records.data(), snap.records.size());
    return snap;
}

QString TableFile::scanRecords(const std::function<void(const TableLayout &)> &begin,
                               const std::function<void(const char *record)> &each)
{
    return scanCountedRecords([&begin](const TableLayout &layout, quint32) { begin(layout); },
                              each);
}

QString
TableFile::scanCountedRecords(const std::function<void(const TableLayout &, quint32)> &begin,
                              const std::function<void(const char *record)> &each)
{
    TableLayout layout;
    quint32 count = 0;
    QString notice;
    lockForReading(&layout, &count, &notice);
    RangeLock held(m_fd, TableLocks::kHeader, 1);
    begin(layout, count);
    constexpr qsizetype kBlockBytes = 1 << 20;
    const qsizetype length = layout.recordLength;
    const quint32 perBlock = quint32(std::max<qsizetype>(1, kBlockBytes / length));
    QByteArray block(qsizetype(std::min(perBlock, count)) * length, Qt::Uninitialized);
    for (quint32 first = 0; first < count;) {
        const quint32 n = std::min(perBlock, count - first);
        preadFully(layout.headerLength + qint64(first) * length, block.data(), qint64(n) * length);
        for (quint32 i = 0; i < n; ++i)
            each(block.constData() + qsizetype(i) * length);
        first += n;
    }
    return notice;
}

void TableFile::readLocked(
    const std::function<void(const TableLayout &, quint32 count, const QString &notice)> &read)
{
    TableLayout layout;
    quint32 count = 0;
    QString notice;
    lockForReading(&layout, &count, &notice);
    RangeLock held(m_fd, TableLocks::kHeader, 1);
    read(layout, count, notice);
}

TableStamp TableFile::stamp() const
{
    const std::optional<FileStatus> st = statusOf(m_fd);
    if (!st)
        throw Error(QStringLiteral("Nu pot citi tabelul %1: %2.").arg(m_path, systemError(errno)));
    return {st->size, st->modified};
}

bool TableFile::standsAtPath() const
{
    return isFileAt(m_fd, m_path);
}

void TableFile::rereadRecords(const TableLayout &expected, const quint32 *numbers, int n,
                              char *into)
{
    readLocked([&](const TableLayout &layout, quint32 count, const QString &) {
        if (!layout.sameShape(expected))
            throw DamagedTableError(
                QStringLiteral("Structura tabelului %1 s-a schimbat de cand a fost "
                               "citit; inchideti fereastra si deschideti-o din nou.")
                    .arg(m_path));
        for (int i = 0; i < n; ++i) {
            if (numbers[i] >= count)
                throw DamagedTableError(QStringLiteral("Tabelul %1 nu mai cuprinde randul %2: "
                                                       "s-a scurtat de cand a fost citit.")
                                            .arg(m_path)
                                            .arg(qint64(numbers[i]) + 1));
            readRecords(layout, numbers[i], 1, into + qsizetype(i) * layout.recordLength);
        }
    });
}

void TableFile::refuseUncountedRecords()
{
    qint64 size = 0;
    const TableLayout layout = readLayout(&size);
    if (holdsUncounted(layout, size))
        throw uncountedError(m_path, layout, size);
}

void TableFile::lockHeaderToWrite(const QString &done)
{
    if (isOpenForReadingOnly(m_fd))
        throw Error(QStringLiteral("Tabelul %1 nu poate fi %2: fisierul este doar pentru citire.")
                        .arg(m_path, done));
    if (!lockRange(m_fd, TableLocks::kHeader, 1, LockMode::Exclusive, kHeaderWait, m_path))
        throw TableInUseError(
            QStringLiteral("Tabelul %1 este ocupat de alta statie; incercati din nou.")
                .arg(m_path));
}

std::optional<quint32> TableFile::countUncountedRecords()
{
    lockHeaderToWrite(QStringLiteral("reparat"));
    RangeLock held(m_fd, TableLocks::kHeader, 1);
    qint64 size = 0;
    const TableLayout layout = readLayout(&size);
    if (!holdsUncounted(layout, size))
        return std::nullopt;
    finishChange(layout, recordsInFile(layout, size));
    syncFileData(m_fd);
    return layout.declaredCount;
}

void TableFile::beginChange()
{
    lockHeaderToWrite(QStringLiteral("modificat"));
    try {
        qint64 size = 0;
        m_changeLayout = readLayout(&size);
        if (holdsUncounted(m_changeLayout, size))
            throw uncountedError(m_path, m_changeLayout, size);
        m_changeCount = std::min(m_changeLayout.declaredCount, recordsInFile(m_changeLayout, size));
        m_changeBefore = stamp();
        m_changed.clear();
    } catch (...) {
        unlockRange(m_fd, TableLocks::kHeader, 1);
        throw;
    }
}

void TableFile::recordChange()
{
    if (m_changed.empty())
        return;
    try {
        ChangeTrail::record(m_path, m_changeBefore, stamp(), std::move(m_changed), false);
    } catch (...) {
        // The trail is a help: without its entry, readers read the whole table.
    }
    m_changed.clear();
}

void TableFile::endChange()
{
    unlockRange(m_fd, TableLocks::kHeader, 1);
}

void TableFile::appendRecord(const TableLayout &layout, quint32 &count, const QByteArray &record)
{
    // The record first, then the header: a crash in between loses only this record.
    QByteArray data = record;
    data.append('\x1A');
    const qint64 at = layout.headerLength + qint64(count) * layout.recordLength;
    if (at + data.size() > TableLocks::kLargestTable)
        throw Error(QStringLiteral("Tabelul %1 a atins marimea cea mai mare permisa (%2 octeti); "
                                   "randul nu a fost adaugat.")
                        .arg(m_path)
                        .arg(TableLocks::kLargestTable));
    // The bytes the record goes over (the end mark, or a record a crash left uncounted), put
    // back when the disk refuses the record part-way, so that no piece of it stays behind.
    const std::optional<FileStatus> st = statusOf(m_fd);
    const qint64 oldSize = st ? st->size : -1;
    QByteArray overwritten(std::clamp<qint64>(oldSize - at, 0, data.size()), Qt::Uninitialized);
    preadFully(at, overwritten.data(), overwritten.size());
    try {
        pwriteFully(at, data.constData(), data.size());
        finishChange(layout, count + 1);
        m_changed.push_back(count);
    } catch (...) {
        if (oldSize >= 0 && truncateFile(m_fd, oldSize) && !overwritten.isEmpty() &&
            writeFileAt(m_fd, overwritten.constData(), overwritten.size(), at) < 0) {
            // Nothing more can be done; the header still counts only the old records.
        }
        throw;
    }
    ++count;
}

void TableFile::readRecords(const TableLayout &layout, quint32 first, quint32 n, char *into)
{
    preadFully(layout.headerLength + qint64(first) * layout.recordLength, into,
               qint64(n) * layout.recordLength);
}

void TableFile::writeRecord(const TableLayout &layout, quint32 index, const char *record)
{
    m_changed.push_back(index);
    pwriteFully(layout.headerLength + qint64(index) * layout.recordLength, record,
                layout.recordLength);
}

void TableFile::finishChange(const TableLayout &layout, quint32 count)
{
    char head[8];
    memcpy(head, layout.headerBytes.constData(), 8);
    stampHeader(head, count, QDate::currentDate());
    pwriteFully(0, head, 8);
}

void TableFile::flush()
{
    syncFileData(m_fd);
}

void TableFile::replace(const QByteArray &header, const QByteArray &records)
{
    const TableStamp before = stamp();
    try {
        ReplacementFile out(m_path);
        out.write(header);
        out.write(records);
        out.write(QByteArrayLiteral("\x1A"));
        out.commit();
        countTableWritten(header.size() + records.size() + 1);
    } catch (const ReplacementError &e) {
        throw Error(QStringLiteral("Nu pot rescrie tabelul %1: %2. Tabelul vechi a ramas "
                                   "neschimbat.")
                        .arg(m_path, e.reason()));
    }
    // Continue on the new file; the old descriptor (and its locks) go with the old file.
    const int fd = openFile(m_path, FileAccess::ReadWrite, {.noFollow = true});
    if (fd < 0)
        throw Error(
            QStringLiteral("Nu pot redeschide tabelul %1: %2.").arg(m_path, systemError(errno)));
    const bool exclusive =
        m_mode == Mode::Exclusive &&
        lockRange(fd, TableLocks::kOpen, 1, LockMode::Exclusive, kExclusiveOpenWait, m_path);
    if (!exclusive) {
        lockRange(fd, TableLocks::kOpen, 1, LockMode::Shared, kSharedOpenWait, m_path);
        m_mode = Mode::Shared;
    }
    closeFile(m_fd);
    m_fd = fd;
    try {
        ChangeTrail::record(m_path, before, stamp(), {}, true);
    } catch (...) {
        // Without the entry, the trail's links break all the same.
    }
}

} // namespace dosarium
