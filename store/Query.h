// A statement held as text lines, run on the table engine; for a SELECT, the rows it read with a
// current row, an optional record filter and computed columns.
#pragma once

#include "store/FieldCodec.h"
#include "store/RowSet.h"

#include <QDate>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace dosarium {

struct Statement;

class Query : public QObject {
    Q_OBJECT
public:
    using Calculation = std::function<QString(const Query &query, int row)>;

    explicit Query(QObject *parent = nullptr);
    ~Query() override;

    // Statement text; changing it closes the query.
    const QStringList &sql() const { return m_sql; }
    void clearSql();
    void appendSql(const QString &line);
    void setSqlLine(int index, const QString &line);
    QString sqlText() const { return m_sql.join(QLatin1Char('\n')); }

    void execSql(); // a statement without rows
    // Replaces the statement with `lines` and runs it (a statement without rows).
    void execSql(const QStringList &lines);
    void open(); // a SELECT; does nothing when already open
    void close();
    // Closes and opens again, standing on the first row; rows held apart (see setKeptColumns)
    // only read what changed in the table when its change trail can tell it.
    void refresh();
    // Replaces the statement with `lines` and opens it; rows held apart that hold the columns
    // of its order are refreshed and ordered anew instead, when only the order differs.
    void refreshAs(const QStringList &lines);
    bool isOpen() const { return m_rows != nullptr; }
    QString notice() const;

    // Navigation over the visible rows (those the record filter lets through).
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int recordCount() const { return int(m_visible.size()); }
    bool isEmpty() const { return m_visible.empty(); }
    int recNo() const { return m_current; } // -1 without rows
    void moveTo(int row);

    // Columns: the table's, then the computed ones.
    int fieldCount() const;
    QString fieldName(int column) const;
    int fieldIndex(const QString &name) const; // -1 when absent
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    QString text(int row, int column) const;

    // Values of the current row; an empty set reads as empty text, 0 and the zero date.
    QString asString(const QString &field) const;
    qint64 asInteger(const QString &field) const;
    QDate asDate(const QString &field) const; // an empty date is 30.12.1899
    // The characters the file stores in the column, without the blanks around them: a number
    // as written ("1.5" in a column without decimals), not as read.
    QString asStoredText(const QString &field) const;

    // Moves to the first visible row whose column, read as text, equals `value` exactly.
    bool locate(const QString &field, const QString &value);

    // A computed text column filled per row.
    void addCalculatedField(const QString &name, Calculation calculation);

    // A text column whose numbers the rows follow, after the statement's order (see
    // compareNumberAware); empty for the statement's order alone. Applies from the next opening.
    void setNumberAwareOrder(const QString &field) { m_numberAwareOrder = field; }
    const QString &numberAwareOrder() const { return m_numberAwareOrder; }

    // The columns held in memory when a SELECT * opens (with the ORDER BY column and the
    // number-aware one); the others are read from the table when a row's value is asked for.
    // Empty: the rows are read whole. Applies from the next opening.
    void setKeptColumns(const QStringList &columns) { m_keptColumns = columns; }
    // The texts SELECT DISTINCT `field` ORDER BY `field` would give over the rows read; nothing
    // when the rows do not hold the column apart.
    std::optional<QStringList> distinctTexts(const QString &field) const;

    // Record filter over the rows already read; changing it never re-runs the statement.
    void setFilter(const QString &text);
    QString filter() const { return m_filter; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // Bound controls (grids, models) stop following the query while disabled.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disabled > 0; }

    static QDate zeroDate() { return dosarium::zeroDate(); }

signals:
    void afterOpen();
    void afterScroll();
    void dataSetChanged();           // for bound controls: rows replaced or refiltered
    void currentRowChanged(int row); // for bound controls

private:
    // Whether `next` lists the rows of the open statement, whatever their order, and the rows
    // hold apart every column it and the number-aware order sort by.
    bool keepsRowsFor(const Statement &next) const;
    // Takes `rows` as the query's rows: the number-aware order, the filter, the first row.
    void show(std::unique_ptr<RowSet> rows);
    int requireField(const QString &name) const;
    void applyFilter(const QString &text, bool on);
    void rowsChanged();
    void scrolled();
    // A value of visible row `row`: the field to read it with, and the bytes it reads.
    struct Value {
        const TableLayout *layout;
        const Field *field;
        const char *record;
    };
    Value valueAt(int row, int column) const;

    QStringList m_sql;
    std::unique_ptr<RowSet> m_rows;
    std::vector<int> m_visible; // positions within m_rows->rows
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    QString m_filter;
    bool m_filtered = false;
    QString m_numberAwareOrder;
    QStringList m_keptColumns;
    int m_disabled = 0;
    struct Calculated {
        QString name;
        Calculation calculation;
    };
    QVector<Calculated> m_calculated;
};

} // namespace dosarium
