// Runs statements on dBase table files.
#pragma once

#include "store/RowSet.h"
#include "store/Statement.h"

#include <QString>

namespace dosarium {

class Engine {
public:
    // Runs a statement without rows (CREATE, ALTER, INSERT, UPDATE, DELETE) and returns the
    // number of rows it touched.
    static int execute(const Statement &statement);
    static int execute(const QString &text) { return execute(parseStatement(text)); }

    // Runs a SELECT; the rows keep the table in use until they are released.
    static RowSet select(const Statement &statement);
    static RowSet select(const QString &text) { return select(parseStatement(text)); }

    // Runs a SELECT * holding in memory only `kept` and the ORDER BY columns; the others are
    // read from the file when asked for (see KeptRows). Any other SELECT runs as select() does.
    static RowSet selectKept(const Statement &statement, const QStringList &kept);
    // Brings rows that selectKept() gave for `statement` up to the table as it stands, reading
    // only what changed (see KeptRows::catchUp), in the statement's order; false, with the rows
    // as they were, when the table must be read whole again.
    static bool catchUpKept(RowSet &set, const Statement &statement);

    // The header of a table: its columns, without reading any record.
    static TableLayout readLayout(const QString &path);

    // Removes the rows marked deleted, rewriting the file; `file` must be open exclusively.
    // A table without deleted rows is left as it is; returns whether the file was rewritten.
    static bool pack(TableFile &file);

private:
    static void createTable(const Statement &s);
    static void alterTable(const Statement &s);
    static int insert(const Statement &s);
    static int updateOrDelete(const Statement &s);
    static void orderKept(RowSet &set, const Statement &s);
    static RowSet selectDistinct(const Statement &s, const std::shared_ptr<TableFile> &file);
};

} // namespace dosarium
