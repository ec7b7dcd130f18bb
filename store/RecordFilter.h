// A record filter: conditions (COLUMN=number) or (COLUMN='text') joined by AND, applied to the
// rows a query has already read.
#pragma once

#include "store/ColumnTest.h"

#include <QString>
#include <QVector>

namespace dosarium {

struct FilterCondition {
    QString column;
    Literal value;
};

// Throws SyntaxError naming the filter text when it cannot be read. An empty text has no
// conditions.
QVector<FilterCondition> parseRecordFilter(const QString &text);

class RecordFilter {
public:
    RecordFilter(const QString &text, const TableLayout &layout, const QString &tableName);
    bool matches(const char *record) const;

private:
    QVector<ColumnTest> m_tests;
};

} // namespace dosarium
