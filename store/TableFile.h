// One open table file with the locks that let several workstations share it.
//
// Every user of a table holds a shared lock on its open byte for as long as it has the table open;
// an exclusive user (packing, altering) holds it alone. Readers take the header lock shared while
// they copy the records, writers take it exclusive for the whole change, so that a reader never
// sees a half-written record and two writers never lose each other's changes.
#pragma once

#include "store/ChangeTrail.h"
#include "store/TableLayout.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace dosarium {

// The records of a table as they were at one moment.
struct TableSnapshot {
    TableLayout layout;
    QByteArray records; // count * recordLength bytes
    quint32 count = 0;
    QString notice; // a repaired inconsistency the user may want to know about
};

class TableFile {
public:
    enum class Mode { Shared, Exclusive };

    // Opens an existing table; throws Error when it is missing, TableInUseError when the
    // requested access cannot be had.
    static std::unique_ptr<TableFile> open(const QString &path, Mode mode);

    // Creates a new, empty table; throws Error when a file of that name (in any letter case)
    // exists already or the file cannot be written.
    static void create(const QString &path, const TableLayout &layout);

    ~TableFile();
    TableFile(const TableFile &) = delete;
    TableFile &operator=(const TableFile &) = delete;

    const QString &path() const { return m_path; }
    Mode mode() const { return m_mode; }

    TableSnapshot readSnapshot();

    // A table whose header counts fewer records than the file holds (past the one record a
    // stop between a record and its header leaves) is never written: a change would go over the
    // records it does not count. Throws DamagedTableError then; every change checks it.
    void refuseUncountedRecords();
    // Makes the header count every whole record of the file when it counts fewer than that
    // (past the one a stop leaves); returns the count it held before, nothing when it stood.
    // Takes the header lock as every writer does.
    std::optional<quint32> countUncountedRecords();

    // The header alone: the columns and the shape of the records. Taken without the header
    // lock: the columns change only when the table is rebuilt, which its open lock excludes.
    TableLayout readHeader();

    // The same moment's records handed over one by one through a small reused buffer, for
    // callers that keep only a few columns; returns the notice of a repaired inconsistency.
    QString scanRecords(const std::function<void(const TableLayout &)> &begin,
                        const std::function<void(const char *record)> &each);
    // The same, telling `begin` how many records follow.
    QString scanCountedRecords(const std::function<void(const TableLayout &, quint32 count)> &begin,
                               const std::function<void(const char *record)> &each);

    // Runs `read` with the header lock shared, given the layout, the live count and the notice
    // of a repaired inconsistency of the table as it stands; `read` may call stamp() and
    // readRecords().
    void readLocked(
        const std::function<void(const TableLayout &, quint32 count, const QString &notice)> &read);
    // The table's size and modification time now.
    TableStamp stamp() const;
    // Whether the open file still stands at its path (not removed, nor replaced by another).
    bool standsAtPath() const;

    // Reads again `n` records, by number, of the table as `expected` read it, with the header
    // lock shared as every reader; throws DamagedTableError when the table has changed its shape
    // or no longer holds one of them since.
    void rereadRecords(const TableLayout &expected, const quint32 *numbers, int n, char *into);

    // Runs `change` with the header lock held exclusive and the layout and live count read
    // afresh; `change` calls the write operations below. A change that ends well is recorded in
    // the table's change trail, when it has one.
    template <typename F> void modify(F &&change);

    // Write operations, only inside modify() (readRecords also inside readLocked()).
    void appendRecord(const TableLayout &layout, quint32 &count, const QByteArray &record);
    void readRecords(const TableLayout &layout, quint32 first, quint32 n, char *into);
    void writeRecord(const TableLayout &layout, quint32 index, const char *record);
    void finishChange(const TableLayout &layout, quint32 count);

    // Replaces the whole file (exclusive only) with `header` and `records`, through a new file
    // in the same folder renamed over the old one. The object stays usable on the new file.
    void replace(const QByteArray &header, const QByteArray &records);

    void flush();

private:
    TableFile(QString path, int fd, Mode mode) : m_path(std::move(path)), m_fd(fd), m_mode(mode) {}
    // Holds the header byte alone for a change; Error for a file open only for reading (`done`
    // says what cannot be done to it), TableInUseError when another holder keeps it.
    void lockHeaderToWrite(const QString &done);
    void beginChange();
    void recordChange();
    void endChange();
    TableLayout readLayout(qint64 *fileSize);
    // Takes the header lock shared and reads the layout and the live count.
    void lockForReading(TableLayout *layout, quint32 *count, QString *notice);
    void preadFully(qint64 offset, char *into, qint64 size);
    void pwriteFully(qint64 offset, const char *data, qint64 size);

    QString m_path;
    int m_fd = -1;
    Mode m_mode;
    TableLayout m_changeLayout;
    quint32 m_changeCount = 0;
    TableStamp m_changeBefore;
    std::vector<quint32> m_changed; // the records the change wrote
};

template <typename F> void TableFile::modify(F &&change)
{
    beginChange();
    struct End {
        TableFile *self;
        ~End() { self->endChange(); }
    } end{this};
    change(m_changeLayout, m_changeCount);
    recordChange();
}

} // namespace dosarium
