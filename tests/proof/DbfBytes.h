// A reader of dBase table files written for the tests alone, from the file format and without
// any code of the engine: the header, the column descriptors and the records as bytes. The tests
// read every table with it beside the engine, so a fault that both the engine's writer and its
// reader share still shows.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace dosarium::proof {

struct DbfColumn {
    QByteArray name;
    char type = 'C';
    int length = 0;
    int offset = 0; // from the start of the record, the deletion flag being byte 0
};

class DbfBytes {
public:
    // Reads the file; problem() says what is wrong with it, empty for a sound file.
    static DbfBytes read(const QString &path);
    static DbfBytes parse(const QByteArray &bytes);

    const QString &problem() const { return m_problem; }
    // A record written after the last counted one (a crash between a record and its header).
    bool hasUncountedRecord() const { return m_uncounted; }

    quint32 declaredCount() const { return m_declared; }
    int recordLength() const { return m_recordLength; }
    const QList<DbfColumn> &columns() const { return m_columns; }

    // Counted records, deleted ones included.
    int size() const { return int(m_records.size()); }
    bool isDeleted(int record) const { return m_records.at(record).at(0) == '*'; }
    // The column's stored bytes without trailing blanks; nothing when there is no such column.
    std::optional<QByteArray> value(int record, const QByteArray &column) const;
    // The text of a character column decoded from Windows-1250.
    QString text(int record, const QByteArray &column) const;
    // The whole record's bytes.
    const QByteArray &record(int record) const { return m_records.at(record); }

private:
    QString m_problem;
    bool m_uncounted = false;
    quint32 m_declared = 0;
    int m_recordLength = 0;
    QList<DbfColumn> m_columns;
    QList<QByteArray> m_records;
};

} // namespace dosarium::proof
