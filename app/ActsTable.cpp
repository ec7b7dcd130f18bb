#include "app/ActsTable.h"

#include "app/ActIds.h"
#include "archive/ArchivePath.h"
#include "store/ChangeTrail.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/RowSet.h"
#include "store/Statement.h"
#include "store/Table.h"

#include <cmath>

namespace dosarium {

namespace {

std::optional<qint64> wholeNumber(const Field &field, const char *record)
{
    const std::optional<double> n = fieldNumber(field, record);
    if (!n || !std::isfinite(*n) || std::fabs(*n) > 9.0e15)
        return std::nullopt;
    return qint64(std::llround(*n));
}

} // namespace

QString ActsTable::path(const QString &dataDir)
{
    return joinPath(dataDir, kFileName);
}

void ActsTable::create(Query &sx, const QString &dataDir, const std::function<void()> &yield)
{
    const QString acte = joinPath(dataDir, kNewFileName);
    if (!fileExistsAnyCase(acte))
        createTable(sx, acte, yield);
    // Beside the table, the trail that lets the register's refresh read only what changed.
    ChangeTrail::create(resolveFileName(acte));
}

void ActsTable::createTable(Query &sx, const QString &acte, const std::function<void()> &yield)
{
    sx.execSql(
        {QStringLiteral("CREATE TABLE ") + quoteText(acte), QStringLiteral("("),
         kId + QStringLiteral("      DECIMAL(10,0),"),
         kYear + QStringLiteral("       DECIMAL(6,0),"), kDate + QStringLiteral("    DATE,"),
         kDomain + QStringLiteral("   CHAR(60),"), kSubdomain + QStringLiteral("     CHAR(60),"),
         kTitle + QStringLiteral("      CHAR(60),"), kSeries + QStringLiteral("      CHAR(24),"),
         kNumber + QStringLiteral("         CHAR(24),"),
         kCode + QStringLiteral("        CHAR(16),"), kExtension + QStringLiteral("   CHAR(6),"),
         kNote + QStringLiteral("        CHAR(240) )")});
    yield();
}

void ActsTable::upgrade(Query &sx, Table &tx, const QString &dataDir,
                        const std::function<void()> &yield)
{
    const QString acte = path(dataDir);
    const QString quoted = quoteText(acte);
    // The columns come from the header alone: the check costs the same on any number of acts.
    const TableLayout layout = Engine::readLayout(acte);
    yield();
    const bool hasCod = layout.fieldIndex(kCode) >= 0;
    const bool hasLuna = layout.fieldIndex(kMonth) >= 0;
    if (!hasCod) {
        sx.execSql({QStringLiteral("ALTER TABLE ") + quoted,
                    QStringLiteral("ADD ") + kCode + QStringLiteral(" CHAR(16)")});
        yield();
    }
    if (hasLuna)
        return;
    sx.execSql({QStringLiteral("ALTER TABLE ") + quoted,
                QStringLiteral("ADD ") + kMonth + QStringLiteral(" DECIMAL(6,0)")});
    yield();

    tx.setTableName(acte);
    yield();
    tx.open();
    tx.first();
    yield();
    while (!tx.eof()) {
        const int month = tx.asDate(kDate).month();
        tx.edit();
        tx.setField(kMonth, qint64(month));
        tx.post();
        yield();
        tx.next();
    }
    tx.close();
    yield();
    tx.setTableName(QString());
}

StoredAct ActsTable::readAct(const Query &ox)
{
    StoredAct a;
    if (!ox.isOpen())
        return a;
    a.id = actIdText(ox.asStoredText(kId));
    a.year = ox.asInteger(kYear);
    if (!ox.asString(kDate).isEmpty())
        a.date = ox.asDate(kDate);
    a.seria = ox.asString(kSeries);
    a.nr = ox.asString(kNumber);
    a.cod = ox.asString(kCode);
    a.domeniul = ox.asString(kDomain);
    a.subdom = ox.asString(kSubdomain);
    a.titlu = ox.asString(kTitle);
    a.obs = ox.asString(kNote);
    a.extensie = ox.asString(kExtension);
    return a;
}

std::optional<ActsTable::Record> ActsTable::findRecord(const QString &dataDir, const QString &id)
{
    const RowSet set = Engine::select(QStringLiteral("SELECT * FROM ") + quoteText(path(dataDir)));
    const int column = set.layout.fieldIndex(kId);
    if (column < 0)
        throw Error(QStringLiteral("Tabelul actelor nu are coloana %1.").arg(kId));
    const Field &field = set.layout.fields.at(column);
    for (int r = 0; r < set.size(); ++r) {
        if (storedActIdText(field, set.record(r)) == id)
            return Record{set.layout, QByteArray(set.record(r), set.layout.recordLength)};
    }
    return std::nullopt;
}

QString ActsTable::archivedFile(const QString &dataDir, qint64 year, const QString &domain,
                                const QString &subdomain, qint64 id)
{
    return ArchivePath(dataDir, year, domain, subdomain, id, FolderText::Stored,
                       FolderText::Stored);
}

ActsTable::Reader::Reader(const TableLayout &layout, const QString &tableName)
    : m_layout(layout), m_id(&layout.fields.at(layout.requireField(kId, tableName))),
      m_year(&layout.fields.at(layout.requireField(kYear, tableName))),
      m_domain(&layout.fields.at(layout.requireField(kDomain, tableName))),
      m_subdomain(&layout.fields.at(layout.requireField(kSubdomain, tableName)))
{
    if (const int i = layout.fieldIndex(kExtension); i >= 0)
        m_extension = &layout.fields.at(i);
    if (const int i = layout.fieldIndex(kTitle); i >= 0)
        m_title = &layout.fields.at(i);
}

ActRow ActsTable::Reader::read(const char *record, quint32 index) const
{
    ActRow act;
    act.record = index;
    act.idText = storedActIdText(*m_id, record);
    act.id = actIdNumber(act.idText);
    act.year = wholeNumber(*m_year, record).value_or(0);
    act.domain = fieldText(m_layout, *m_domain, record);
    act.subdomain = fieldText(m_layout, *m_subdomain, record);
    return act;
}

QString ActsTable::Reader::extension(const char *record) const
{
    return m_extension ? fieldText(m_layout, *m_extension, record) : QString();
}

QString ActsTable::Reader::title(const char *record) const
{
    return m_title ? fieldText(m_layout, *m_title, record) : QString();
}

} // namespace dosarium
