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

    // The conditions one by one, for rows whose columns are held apart: the column condition
    // `i` reads, and its test.
    int size() const { return int(m_tests.size()); }
    int field(int i) const { return m_fields.at(i); }
    bool matches(int i, const char *record) const { return m_tests.at(i).matches(record); }

private:
    QVector<ColumnTest> m_tests;
    QVector<int> m_fields;
};

} // namespace dosarium
