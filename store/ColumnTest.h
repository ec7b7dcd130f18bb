// A comparison of one column of a record with a literal, prepared once for a table layout and
// then applied to many records.
#pragma once

#include "store/Statement.h"
#include "store/TableLayout.h"

#include <QByteArray>
#include <QDate>
#include <optional>

namespace dosarium {

class ColumnTest {
public:
    // Throws Error when the column is missing; `strict` makes a literal that cannot be
    // compared with the column (a text that is no number for a number column) an error
    // instead of a test that no record passes.
    ColumnTest(const TableLayout &layout, const QString &tableName, const Condition &condition,
               bool strict);

    bool matches(const char *record) const;

private:
    template <typename T> bool compare(const T &a, const T &b) const;

    const TableLayout *m_layout;
    Field m_field;
    CompareOp m_op;
    bool m_never = false; // the literal cannot match any value of the column
    bool m_emptyLiteral = false;
    QByteArray m_bytes; // text columns
    std::optional<double> m_number;
    QDate m_date;
};

} // namespace dosarium
