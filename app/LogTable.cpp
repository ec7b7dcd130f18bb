#include "app/LogTable.h"

#include "store/Engine.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"

namespace dosarium {

QString LogTable::path(const QString &dataDir)
{
    return joinPath(dataDir, kFileName);
}

void LogTable::create(Query &sx, const QString &dataDir, const std::function<void()> &yield)
{
    const QString log = joinPath(dataDir, kNewFileName);
    if (fileExistsAnyCase(log))
        return;
    sx.execSql({QStringLiteral("CREATE TABLE ") + quoteText(log), QStringLiteral("("),
                kId + QStringLiteral("      DECIMAL(10,0),"), kDate + QStringLiteral("      DATE,"),
                kTime + QStringLiteral("        CHAR(12),"),
                kAction + QStringLiteral("    CHAR(120),"),
                kWorkstationUser + QStringLiteral(" CHAR(16))")});
    yield();
}

void LogTable::upgrade(Query &sx, const QString &dataDir, const std::function<void()> &yield)
{
    const QString log = path(dataDir);
    if (Engine::readLayout(resolveFileName(log)).fieldIndex(kProgramUser) >= 0)
        return;
    yield();
    sx.execSql({QStringLiteral("ALTER TABLE ") + quoteText(log),
                QStringLiteral("ADD ") + kProgramUser + QStringLiteral(" CHAR(32)")});
    yield();
}

void LogTable::trim(Query &sx, const QString &dataDir, const std::function<void()> &yield)
{
    const QString quoted = quoteText(path(dataDir));
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
    const qint64 newest = sx.asInteger(kId);
    sx.close();
    yield();
    sx.execSql({QStringLiteral("DELETE FROM ") + quoted,
                QStringLiteral("WHERE ") + kId + QLatin1Char('<') +
                    QString::number(newest - kLogRetention)});
    yield();
}

QString LogTable::insertColumns(bool withProgramUser)
{
    QString columns = QLatin1Char('(') + kId + QStringLiteral(", ") + kDate + QStringLiteral(", ") +
                      kTime + QStringLiteral(", ") + kAction + QStringLiteral(", ") +
                      kWorkstationUser;
    if (withProgramUser)
        columns += QStringLiteral(", ") + kProgramUser;
    return columns + QLatin1Char(')');
}

} // namespace dosarium
