// The documents table Acte.dbf and the log table Log.dbf of a data folder: creation, the column
// upgrade of older documents tables, the pack of deleted documents and the pruning of the log.
// Each operation runs its statements through the query (or table) it is given and lets pending
// window events run between its steps through `yield`.
#pragma once

#include <QString>
#include <functional>

namespace dosarium {

class Query;
class Table;

using Yield = std::function<void()>;

// Entries the log keeps at a start: older ones go when the newest id exceeds theirs by more.
constexpr qint64 kLogRetention = 10000;

// Creates whichever of the two tables does not exist yet.
void CreateTables(Query &sx, const QString &dataDir, const Yield &yield);

// Adds COD and then LUNA to a documents table that lacks them, and fills LUNA from DATAACT. The
// columns are read from the table's header; the rows are read only when LUNA is filled.
void UpgradeActe(Query &sx, Table &tx, const QString &dataDir, const Yield &yield);

// The log's column for the name under which the person signed in to the program; added at the
// end by UpgradeLog, so that the statements of workstations that do not know it still run.
inline const QString kProgramUserColumn = QStringLiteral("NUMEUTIL");

// Adds the program-user column to a log that lacks it; the entries already there keep it empty.
void UpgradeLog(Query &sx, const QString &dataDir, const Yield &yield);

// Opens the table for this program alone and removes its deleted rows for good. A table without
// deleted rows is left as it is (the same file, the same bytes). A table whose header and size
// disagree is first kept in a dated copy beside it (see DamagedFiles); returns the notice that
// says so, empty for a sound table.
QString PackTable(Table &sursa, const QString &path, const Yield &yield);

// Deletes the log entries whose id is more than kLogRetention below the newest entry's, once the
// log holds kLogRetention rows or more.
void TrimLog(Query &sx, const QString &dataDir, const Yield &yield);

} // namespace dosarium
