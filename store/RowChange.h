// An UPDATE or DELETE in two steps, so that a change of a few rows holds the other users of the
// table off only for those rows and not for a scan of the whole table.
//
// search() reads the table with the header lock shared, as any reader does, and notes the rows
// the statement touches. apply() then takes the header lock exclusive, reads each noted row
// again and changes it only if it is still live and still matches, and looks at the rows
// appended since the search as well. A row that another workstation changes so that it comes to
// match between the two steps is left as that workstation wrote it; the program's statements
// choose their rows by ids that no statement changes, so for them the result is the same as
// with the whole table locked from the start.
#pragma once

#include "store/ColumnTest.h"
#include "store/Statement.h"
#include "store/TableFile.h"

#include <memory>
#include <optional>
#include <vector>

namespace dosarium {

class RowChange {
public:
    // Opens the table of an UPDATE or DELETE for shared use; throws Error as Engine does.
    explicit RowChange(Statement statement);
    ~RowChange();
    RowChange(const RowChange &) = delete;
    RowChange &operator=(const RowChange &) = delete;

    // Finds the rows to change. Every value is converted here, so that a bad value stops the
    // statement before any row changes.
    void search();

    // Changes the rows found that still qualify, and matching rows appended since search();
    // returns the number of rows changed. Runs search() first when it has not run.
    int apply();

private:
    struct Prepared {
        Field field;
        QByteArray bytes;
    };

    // Converts the values and the condition for `layout`, which becomes the shape searched.
    void prepare(const TableLayout &layout);
    bool sameShape(const TableLayout &layout) const;
    bool qualifies(const char *record) const;
    void change(char *record) const;

    Statement m_statement;
    std::unique_ptr<TableFile> m_file;
    bool m_searched = false;
    TableLayout m_layout; // the layout the search read; m_where points into it
    QVector<Prepared> m_changes;
    std::optional<ColumnTest> m_where;
    quint32 m_seen = 0;          // records the search read
    std::vector<quint32> m_rows; // record numbers that qualified, ascending
};

} // namespace dosarium
