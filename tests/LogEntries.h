// The activity log of a data folder as the tests read it: one column of every entry, oldest
// first, read through the table engine.
#pragma once

#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"

#include <QStringList>

namespace dosarium::testing {

// Empty texts for a column the log does not have.
inline QStringList logColumn(const QString &dataDir,
                             const QString &column = QStringLiteral("ACTIUNE"))
{
    Query q;
    q.appendSql(QStringLiteral("SELECT * FROM ") +
                quoteText(joinPath(dataDir, QStringLiteral("Log.dbf"))));
    q.appendSql(QStringLiteral("ORDER BY IDLOG"));
    q.open();
    const int field = q.fieldIndex(column);
    QStringList out;
    for (int row = 0; row < q.recordCount(); ++row)
        out << (field < 0 ? QString() : q.text(row, field));
    return out;
}

} // namespace dosarium::testing
