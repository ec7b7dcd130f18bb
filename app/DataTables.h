// The upkeep of the data folder's tables at a start: creating the missing ones and packing the
// deleted rows away. The statements of each table live in its home (ActsTable, LogTable), which
// this header brings along. Each operation runs its statements through the query (or table) it
// is given and lets pending window events run between its steps through `yield`.
#pragma once

#include "app/ActsTable.h"
#include "app/LogTable.h"

#include <QString>
#include <functional>

namespace dosarium {

class Query;
class Table;

using Yield = std::function<void()>;

// Creates whichever of the three tables does not exist yet: the log first, the fingerprints last.
void CreateTables(Query &sx, const QString &dataDir, const Yield &yield);

// Opens the table for this program alone and removes its deleted rows for good. A table without
// deleted rows is left as it is (the same file, the same bytes). A table whose header and size
// disagree is first kept in a dated copy beside it (see DamagedFiles); returns the notice that
// says so, empty for a sound table.
QString PackTable(Table &sursa, const QString &path, const Yield &yield);

} // namespace dosarium
