#include "app/FingerprintsTable.h"

#include "app/ActIds.h"
#include "platform/FileStatus.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/TableFile.h"

#include <QDir>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace dosarium {

namespace {

const QString kNewFileName = QStringLiteral("Amprente.dbf");

QStringList createStatement(const QString &dataDir)
{
    using T = FingerprintsTable;
    return {QStringLiteral("CREATE TABLE ") + quoteText(joinPath(dataDir, kNewFileName)),
            QStringLiteral("("),
            T::kId + QStringLiteral(" DECIMAL(10,0),"),
            T::kSha256 + QStringLiteral(" CHAR(64),"),
            T::kSize + QStringLiteral(" DECIMAL(15,0),"),
            T::kDate + QStringLiteral(" DATE,"),
            T::kTime + QStringLiteral(" CHAR(8),"),
            T::kWorkstation + QStringLiteral(" CHAR(40),"),
            T::kCodedSize + QStringLiteral(" DECIMAL(15,0),"),
            T::kCodedModified + QStringLiteral(" DECIMAL(15,0) )")};
}

std::optional<qint64> wholeNumber(const TableLayout &layout, const QString &column,
                                  const char *record)
{
    const int index = layout.fieldIndex(column);
    if (index < 0)
        return std::nullopt;
    const std::optional<double> n = fieldNumber(layout.fields.at(index), record);
    if (!n || !std::isfinite(*n) || *n < 0 || *n > 9.0e15 || std::floor(*n) != *n)
        return std::nullopt;
    return qint64(*n);
}

QString text(const TableLayout &layout, const QString &column, const char *record)
{
    const int index = layout.fieldIndex(column);
    return index < 0 ? QString() : fieldText(layout, layout.fields.at(index), record).trimmed();
}

void runStatement(const QStringList &lines)
{
    Engine::execute(lines.join(QLatin1Char('\n')));
}

} // namespace

QString FingerprintsTable::path(const QString &dataDir)
{
    return joinPath(dataDir, kFileName);
}

bool FingerprintsTable::exists(const QString &dataDir)
{
    return fileExistsAnyCase(path(dataDir));
}

void FingerprintsTable::create(Query &sx, const QString &dataDir,
                               const std::function<void()> &yield)
{
    if (exists(dataDir))
        return;
    sx.execSql(createStatement(dataDir));
    yield();
}

void FingerprintsTable::create(const QString &dataDir)
{
    if (!exists(dataDir))
        runStatement(createStatement(dataDir));
}

QStringList FingerprintsTable::deleteStatement(const QString &dataDir, qint64 id)
{
    return {QStringLiteral("DELETE FROM ") + quoteText(path(dataDir)),
            QStringLiteral("WHERE ") + kId + QLatin1Char('=') + QString::number(id)};
}

QStringList FingerprintsTable::insertStatement(const QString &dataDir, qint64 id,
                                               const DocumentFingerprint &print,
                                               const QString &codedFile, const QDateTime &now,
                                               const QString &workstation)
{
    const std::optional<FileStatus> coded = statusAt(codedFile);
    if (!coded)
        throw Error(QStringLiteral("Nu pot citi fisierul %1: %2.")
                        .arg(QDir::toNativeSeparators(codedFile), systemErrorText(errno)));
    return {QStringLiteral("INSERT INTO ") + quoteText(path(dataDir)),
            QStringLiteral("(%1,%2,%3,%4,%5,%6,%7,%8)")
                .arg(kId, kSha256, kSize, kDate, kTime, kWorkstation, kCodedSize, kCodedModified),
            QStringLiteral("VALUES (%1,%2,%3,%4,%5,%6,%7,%8)")
                .arg(QString::number(id), quoteText(QString::fromLatin1(print.sha256)),
                     QString::number(print.size),
                     quoteText(now.date().toString(QStringLiteral("dd.MM.yyyy"))),
                     quoteText(now.time().toString(QStringLiteral("HH:mm:ss"))),
                     quoteText(workstation.left(40)), QString::number(coded->size),
                     QString::number(coded->modified / 1000000))};
}

void FingerprintsTable::replace(const QString &dataDir, qint64 id, const DocumentFingerprint &print,
                                const QString &codedFile, const QDateTime &now,
                                const QString &workstation)
{
    create(dataDir);
    const QStringList insert = insertStatement(dataDir, id, print, codedFile, now, workstation);
    runStatement(deleteStatement(dataDir, id));
    runStatement(insert);
}

void FingerprintsTable::add(const QString &dataDir, qint64 id, const DocumentFingerprint &print,
                            const QString &codedFile, const QDateTime &now,
                            const QString &workstation)
{
    runStatement(insertStatement(dataDir, id, print, codedFile, now, workstation));
}

void FingerprintsTable::remove(const QString &dataDir, qint64 id)
{
    if (exists(dataDir))
        runStatement(deleteStatement(dataDir, id));
}

void FingerprintsTable::recordCodedFile(const QString &dataDir, qint64 id, const QString &codedFile)
{
    const std::optional<FileStatus> coded = statusAt(codedFile);
    if (!coded)
        throw Error(QStringLiteral("Nu pot citi fisierul %1: %2.")
                        .arg(QDir::toNativeSeparators(codedFile), systemErrorText(errno)));
    runStatement({QStringLiteral("UPDATE ") + quoteText(path(dataDir)),
                  QStringLiteral("SET %1=%2, %3=%4")
                      .arg(kCodedSize, QString::number(coded->size), kCodedModified,
                           QString::number(coded->modified / 1000000)),
                  QStringLiteral("WHERE ") + kId + QLatin1Char('=') + QString::number(id)});
}

std::optional<StoredFingerprint> FingerprintsTable::read(const TableLayout &layout,
                                                         const char *record)
{
    const int idIndex = layout.fieldIndex(kId);
    if (idIndex < 0)
        return std::nullopt;
    const std::optional<qint64> id =
        actIdNumber(storedActIdText(layout.fields.at(idIndex), record));
    const QByteArray sha = text(layout, kSha256, record).toLatin1();
    const std::optional<qint64> size = wholeNumber(layout, kSize, record);
    const std::optional<qint64> codedSize = wholeNumber(layout, kCodedSize, record);
    if (!id || !isFingerprintText(sha) || !size || !codedSize)
        return std::nullopt;
    StoredFingerprint print;
    print.id = *id;
    print.sha256 = sha;
    print.size = *size;
    print.codedSize = *codedSize;
    print.codedModified = wholeNumber(layout, kCodedModified, record).value_or(-1);
    print.workstation = text(layout, kWorkstation, record);
    const int dateIndex = layout.fieldIndex(kDate);
    if (dateIndex >= 0)
        print.taken =
            QDateTime(fieldDate(layout.fields.at(dateIndex), record),
                      QTime::fromString(text(layout, kTime, record), QStringLiteral("HH:mm:ss")));
    return print;
}

FingerprintSet FingerprintsTable::readAll(const QString &dataDir)
{
    FingerprintSet set;
    if (!exists(dataDir))
        return set;
    const TableSnapshot table =
        TableFile::open(resolveFileName(path(dataDir)), TableFile::Mode::Shared)->readSnapshot();
    const qsizetype length = table.layout.recordLength;
    for (quint32 r = 0; r < table.count; ++r) {
        const char *record = table.records.constData() + qsizetype(r) * length;
        if (record[0] == '*')
            continue;
        const std::optional<StoredFingerprint> print = read(table.layout, record);
        if (!print) {
            ++set.unusable;
            continue;
        }
        const auto found = set.byAct.constFind(print->id);
        if (found == set.byAct.cend()) {
            if (!set.torn.contains(print->id))
                set.byAct.insert(print->id, *print);
        } else if (found->sha256 != print->sha256 || found->size != print->size) {
            set.byAct.remove(print->id);
            set.torn.append(print->id);
        }
    }
    return set;
}

QList<StoredFingerprint> FingerprintsTable::withSha(const QString &dataDir,
                                                    const QByteArray &sha256)
{
    QList<StoredFingerprint> found;
    if (!exists(dataDir) || !isFingerprintText(sha256))
        return found;
    const TableSnapshot table =
        TableFile::open(resolveFileName(path(dataDir)), TableFile::Mode::Shared)->readSnapshot();
    const int column = table.layout.fieldIndex(kSha256);
    if (column < 0 || table.layout.fields.at(column).length < sha256.size())
        return found;
    const int offset = table.layout.fields.at(column).offset;
    const qsizetype length = table.layout.recordLength;
    for (quint32 r = 0; r < table.count; ++r) {
        const char *record = table.records.constData() + qsizetype(r) * length;
        if (record[0] == '*' || std::memcmp(record + offset, sha256.constData(), 64) != 0)
            continue;
        if (const std::optional<StoredFingerprint> print = read(table.layout, record))
            found << *print;
    }
    return found;
}

} // namespace dosarium
