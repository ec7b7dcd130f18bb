// A query's visible rows as text, a line per row with its cells between bars, for comparing two
// ways of reading the same table.
#pragma once

#include "store/Query.h"

#include <QStringList>

namespace dosarium {

inline QStringList listedRows(const Query &q)
{
    QStringList rows;
    for (int r = 0; r < q.recordCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < q.fieldCount(); ++c)
            cells << q.text(r, c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace dosarium
