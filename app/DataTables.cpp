#include "app/DataTables.h"

#include "app/DamagedFiles.h"
#include "app/FingerprintsTable.h"
#include "store/Engine.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/Table.h"

namespace dosarium {

void CreateTables(Query &sx, const QString &dataDir, const Yield &yield)
{
    LogTable::create(sx, dataDir, yield);
    ActsTable::create(sx, dataDir, yield);
    FingerprintsTable::create(sx, dataDir, yield);
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

} // namespace dosarium
