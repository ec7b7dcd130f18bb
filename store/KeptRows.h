// The live rows of a table read once, with a few of its columns held in memory (each distinct
// value of a column once, the rows holding its number) and the other columns of a row read from
// the file when they are asked for. A list of a million rows can so be sorted, filtered and
// summed up into its distinct values without a copy of the table.
//
// The columns held are those of the moment the table was read; a column read later comes from
// the file as it is then, never older. Records read later are checked against the table's shape
// and length as it was read, and each against the row read: a record that another writer deleted,
// or that now holds other values in the columns held (another act after a pack), is an error for
// that row, never another row's values under its own.
//
// The rows catch up with the table's later changes by reading only the records that changed,
// where the table's change trail can tell which; else the caller reads the table whole again.
#pragma once

#include "store/ChangeTrail.h"
#include "store/TableLayout.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace dosarium {

class RecordFilter;
class TableFile;

class KeptRows {
public:
    // Reads the table through `file` keeping `columns` (names; those the table lacks are left
    // out). `notice` receives the notice of a repaired inconsistency.
    static std::shared_ptr<KeptRows> read(std::shared_ptr<TableFile> file,
                                          const QStringList &columns, QString *notice);

    const TableLayout &layout() const { return m_layout; }
    // The columns as they stand alone: each value read from its first byte.
    const TableLayout &valueLayout() const { return m_valueLayout; }
    quint32 size() const { return quint32(m_records.size()); }
    quint32 recordNumber(quint32 row) const { return m_records[row]; }
    bool keeps(int field) const { return column(field) != nullptr; }

    // The stored bytes of column `field` of `row`, to be read with valueLayout(); valid until
    // the next call. A column not held is read from the file (throws as TableFile does).
    const char *value(quint32 row, int field) const;
    // Reads the records of `rows` that are not at hand yet, under one lock, for the columns not
    // held; as many as the bounded store of read records takes.
    void prefetch(const std::vector<quint32> &rows) const;
    bool isAtHand(quint32 row) const { return m_slotOf.count(row) != 0; }

    // Takes in the changes the table's trail and its count tell of since the rows were read,
    // reading only the records they name; afterwards rows are numbered afresh and every value
    // stands as in the table now. False, with nothing changed, when the changes cannot all be
    // known: the table is then to be read whole again. Throws as TableFile does.
    bool catchUp();

    // Stable ascending sort of `rows` by `field`, in the engine's order, or first by the numbers
    // written in a text column when `numberAware`.
    void sort(std::vector<quint32> &rows, int field, bool numberAware) const;
    // Whether the value of each row in the held column `field` passes `test`, which reads it
    // with valueLayout(); each distinct value is tested once.
    std::vector<char> whereValue(int field, const std::function<bool(const char *)> &test) const;
    // Whether each row passes `filter`, which was made for valueLayout().
    std::vector<char> passing(const RecordFilter &filter) const;
    // The texts SELECT DISTINCT `field` ORDER BY `field` gives; the column must be held.
    QStringList distinctTexts(int field) const;

private:
    struct Column {
        std::vector<quint32> codes; // by row: the number of its value
        // The values, field length bytes each: each distinct one once, or, for a column whose
        // values hardly repeat, one per row.
        QByteArray values;
        quint32 distinct = 0; // values held
        bool flat = false;    // one value per row, never looked up
    };
    class Builder;

    const Column *column(int field) const;
    const char *valueOf(const Column &c, int field, quint32 code) const;
    std::vector<quint32> ranks(int field, bool numberAware) const;
    const char *fetched(quint32 row) const;
    bool stillHolds(quint32 row, const char *record) const;
    // Puts `records` (ascending numbers, `data` their bytes) in place of what the rows held.
    void takeIn(const std::vector<quint32> &numbers, const char *data);
    template <typename CodeOf>
    void renumberRows(const std::vector<quint32> &numbers, const char *data, const CodeOf &codeOf,
                      std::vector<std::vector<quint32>> &released);
    // Drops the values of `released` that no row uses any more.
    static void dropReleased(Column &c, int width, std::vector<quint32> &released);
    void forgetFetched();

    std::shared_ptr<TableFile> m_file;
    TableLayout m_layout;
    TableLayout m_valueLayout;
    std::vector<quint32> m_records; // the record number of each live row, ascending
    quint32 m_tableCount = 0;       // the records of the table (live or deleted) read
    TrailMark m_mark;
    std::vector<int> m_columnOf; // by field: its place in m_columns, or -1
    std::vector<Column> m_columns;
    // Records read for the columns not held: a fixed number of slots, reused in turn.
    mutable QByteArray m_slots;
    mutable std::vector<qint64> m_slotRow;
    mutable std::vector<char> m_slotChanged; // the record no longer holds the row that was read
    mutable std::unordered_map<quint32, int> m_slotOf;
    mutable int m_nextSlot = 0;
};

} // namespace dosarium
