// The statements the engine understands, as parsed from their text.
#pragma once

#include "store/FieldCodec.h"
#include "store/TableLayout.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace dosarium {

enum class CompareOp { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

struct Condition {
    QString column;
    CompareOp op = CompareOp::Equal;
    Literal value;
};

struct Assignment {
    QString column;
    Literal value;
};

struct Statement {
    enum class Kind { CreateTable, AlterTableAdd, Insert, Update, Delete, Select };
    Kind kind = Kind::Select;
    QString table; // the path as written

    QVector<Field> columns;    // CREATE TABLE; ALTER TABLE ADD holds one
    QStringList insertColumns; // INSERT
    QVector<Literal> insertValues;
    QVector<Assignment> assignments; // UPDATE
    std::optional<Condition> where;  // UPDATE, DELETE

    bool selectAll = false; // SELECT *
    bool distinct = false;
    QStringList selectColumns;
    QStringList orderBy;

    bool returnsRows() const { return kind == Kind::Select; }
};

// Parses one statement. Line breaks count as blanks, keywords and column names ignore letter
// case, texts are written between double quotes (a doubled quote stands for one).
// Throws SyntaxError naming the word that was not understood.
Statement parseStatement(const QString &text);

// The literal forms the program writes into statements and record filters.
QString quoteText(const QString &text);       // "text", with " doubled
QString quoteFilterText(const QString &text); // 'text', with ' doubled

} // namespace dosarium
