// The rows of a SELECT as they were when it ran, in result order.
#pragma once

#include "store/TableFile.h"
#include "store/TableLayout.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace dosarium {

class KeptRows;

struct RowSet {
    TableLayout layout;        // columns of the result; records of recordLength bytes
    QByteArray data;           // the records
    std::vector<quint32> rows; // result order: record numbers within data, or rows of `kept`
    // The rows as the table was read with only some columns held: then `data` is empty and
    // the values are read through `kept`.
    std::shared_ptr<KeptRows> kept;
    QString tableName;
    QString notice;
    std::shared_ptr<TableFile> holder; // keeps the table in use while the rows are open

    int size() const { return int(rows.size()); }
    const char *record(int row) const
    {
        return data.constData() + qsizetype(rows[size_t(row)]) * layout.recordLength;
    }
    const char *recordAt(quint32 number) const
    {
        return data.constData() + qsizetype(number) * layout.recordLength;
    }
};

// Compares two records column by column: numbers numerically and dates chronologically, empty
// values first; texts in alphabetical order, letter case ignored, ties broken by the bytes.
int compareField(const TableLayout &layout, const Field &field, const char *a, const char *b);

// Stable ascending sort of `rows` by the given columns.
void sortRows(const TableLayout &layout, const QByteArray &data, std::vector<quint32> &rows,
              const QVector<int> &fields);

} // namespace dosarium
