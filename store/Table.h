// A table file opened by itself (not through a statement), for row-by-row changes and packing.
#pragma once

#include "store/TableFile.h"

#include <QDate>
#include <QString>
#include <memory>
#include <vector>

namespace dosarium {

class Table {
public:
    Table() = default;
    ~Table();

    void setTableName(const QString &path);
    const QString &tableName() const { return m_name; }
    void setExclusive(bool exclusive);
    bool exclusive() const { return m_exclusive; }

    // Opens the table; an exclusive open fails with TableInUseError while anyone else has it.
    void open();
    void close();
    bool isOpen() const { return m_file != nullptr; }

    // The live rows in the file's order.
    void first();
    void next();
    bool eof() const { return m_eof; }
    int recordCount() const { return int(m_rows.size()); }
    bool hasField(const QString &name) const;
    QString asString(const QString &field) const;
    QDate asDate(const QString &field) const; // an empty date is 30.12.1899

    // Row-by-row change of the current row: edit, set columns, post.
    void edit();
    void setField(const QString &field, const QString &text);
    void setField(const QString &field, qint64 number);
    void setField(const QString &field, const QDate &date);
    void post();
    void cancel();
    bool editing() const { return m_editing; }

    // Removes the rows marked deleted; the table must be open exclusively.
    void pack();

private:
    const Field &requireField(const QString &name) const;
    const char *current() const;
    void readRows();

    QString m_name;
    bool m_exclusive = false;
    std::unique_ptr<TableFile> m_file;
    TableSnapshot m_snapshot;
    std::vector<quint32> m_rows; // record numbers of the live rows
    int m_current = -1;
    bool m_eof = true;
    bool m_editing = false;
    QByteArray m_edit;
    std::vector<int> m_changed; // columns set since edit()
};

} // namespace dosarium
