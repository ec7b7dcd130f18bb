#include "app/DataTables.h"

#include "app/DamagedFiles.h"
#include "store/Engine.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/Table.h"

namespace dosarium {

namespace {

void run(Query &sx, const QStringList &lines)
{
    sx.clearSql();
    for (const QString &line : lines)
        sx.appendSql(line);
    sx.execSql();
}

} // namespace

void CreateTables(Query &sx, const QString &dataDir, const Yield &yield)
{
    const QString log = joinPath(dataDir, QStringLiteral("LOG.DBF"));
    if (!fileExistsAnyCase(log)) {
        run(sx, {QStringLiteral("CREATE TABLE ") + quoteText(log), QStringLiteral("("),
                 QStringLiteral("IDLOG      DECIMAL(10,0),"), QStringLiteral("DATAL      DATE,"),
                 QStringLiteral("ORA        CHAR(12),"), QStringLiteral("ACTIUNE    CHAR(120),"),
                 QStringLiteral("UTILIZATOR CHAR(16))")});
        yield();
    }
    const QString acte = joinPath(dataDir, QStringLiteral("Acte.DBF"));
    if (fileExistsAnyCase(acte))
        return;
    run(sx, {QStringLiteral("CREATE TABLE ") + quoteText(acte), QStringLiteral("("),
             QStringLiteral("IDACT      DECIMAL(10,0),"),
             QStringLiteral("ANUL       DECIMAL(6,0),"), QStringLiteral("DATAACT    DATE,"),
             QStringLiteral("DOMENIUL   CHAR(60),"), QStringLiteral("SUBDOM     CHAR(60),"),
             QStringLiteral("TITLU      CHAR(60),"), QStringLiteral("SERIA      CHAR(24),"),
             QStringLiteral("NR         CHAR(24),"), QStringLiteral("COD        CHAR(16),"),
             QStringLiteral("EXTENSIE   CHAR(6),"), QStringLiteral("OBS        CHAR(240) )")});
    yield();
}

void UpgradeActe(Query &sx, Table &tx, const QString &dataDir, const Yield &yield)
{
    const QString acte = joinPath(dataDir, QStringLiteral("Acte.dbf"));
    const QString quoted = quoteText(acte);
    // The columns come from the header alone: the check costs the same on any number of acts.
    const TableLayout layout = Engine::readLayout(acte);
    yield();
    const bool hasCod = layout.fieldIndex(QStringLiteral("COD")) >= 0;
    const bool hasLuna = layout.fieldIndex(QStringLiteral("LUNA")) >= 0;
    if (!hasCod) {
        run(sx, {QStringLiteral("ALTER TABLE ") + quoted, QStringLiteral("ADD COD CHAR(16)")});
        yield();
    }
    if (hasLuna)
        return;
    run(sx, {QStringLiteral("ALTER TABLE ") + quoted, QStringLiteral("ADD LUNA DECIMAL(6,0)")});
    yield();

    tx.setTableName(acte);
    yield();
    tx.open();
    tx.first();
    yield();
    while (!tx.eof()) {
        const int month = tx.asDate(QStringLiteral("DATAACT")).month();
        tx.edit();
        tx.setField(QStringLiteral("LUNA"), qint64(month));
        tx.post();
        yield();
        tx.next();
    }
    tx.close();
    yield();
    tx.setTableName(QString());
}

void UpgradeLog(Query &sx, const QString &dataDir, const Yield &yield)
{
    const QString log = joinPath(dataDir, QStringLiteral("Log.dbf"));
    if (Engine::readLayout(resolveFileName(log)).fieldIndex(kProgramUserColumn) >= 0)
        return;
    yield();
    run(sx, {QStringLiteral("ALTER TABLE ") + quoteText(log),
             QStringLiteral("ADD ") + kProgramUserColumn + QStringLiteral(" CHAR(32)")});
    yield();
}

QString PackTable(Table &sursa, const QString &path, const Yield &yield)
{
    sursa.close();
    sursa.setExclusive(true);
    sursa.setTableName(path);
    yield();
    sursa.open();
    QString notice;
    try {
        // With the table held alone: the bytes kept are the ones the pack would rewrite.
        const QString damage = tableDamage(path);
        if (!damage.isEmpty())
            notice = keepDamagedCopy(resolveFileName(path), damage);
        sursa.pack();
    } catch (...) {
        yield();
        sursa.close();
        yield();
        throw;
    }
    yield();
    sursa.close();
    yield();
    return notice;
}

void TrimLog(Query &sx, const QString &dataDir, const Yield &yield)
{
    const QString quoted = quoteText(joinPath(dataDir, QStringLiteral("Log.dbf")));
    sx.clearSql();
    sx.appendSql(QStringLiteral("SELECT * FROM ") + quoted);
    sx.open();
    yield();
    sx.last();
    if (sx.recordCount() < kLogRetention) {
        sx.close();
        sx.clearSql();
        return;
    }
    const qint64 newest = sx.asInteger(QStringLiteral("IDLOG"));
    sx.close();
    yield();
    run(sx, {QStringLiteral("DELETE FROM ") + quoted,
             QStringLiteral("WHERE IDLOG<") + QString::number(newest - kLogRetention)});
    yield();
}

} // namespace dosarium
