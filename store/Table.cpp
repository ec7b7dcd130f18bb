#include "store/Table.h"

#include "store/Engine.h"
#include "store/Error.h"
#include "store/FieldCodec.h"

#include <cstring>

namespace dosarium {

Table::~Table() = default;

void Table::setTableName(const QString &path)
{
    if (isOpen())
        throw Error(QStringLiteral("Tabelul %1 este deschis; inchideti-l inainte.").arg(m_name));
    m_name = path;
}

void Table::setExclusive(bool exclusive)
{
    if (isOpen())
        throw Error(QStringLiteral("Tabelul %1 este deschis; inchideti-l inainte.").arg(m_name));
    m_exclusive = exclusive;
}

void Table::open()
{
    if (isOpen())
        return;
    if (m_name.isEmpty())
        throw Error(QStringLiteral("Nu este ales niciun tabel."));
    m_file =
        TableFile::open(m_name, m_exclusive ? TableFile::Mode::Exclusive : TableFile::Mode::Shared);
    try {
        readRows();
    } catch (...) {
        m_file.reset();
        throw;
    }
}

void Table::readRows()
{
    m_snapshot = m_file->readSnapshot();
    m_rows.clear();
    m_rows.reserve(m_snapshot.count);
    const int recLen = m_snapshot.layout.recordLength;
    for (quint32 i = 0; i < m_snapshot.count; ++i) {
        if (m_snapshot.records.at(qsizetype(i) * recLen) != '*')
            m_rows.push_back(i);
    }
    m_current = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    m_editing = false;
}

void Table::close()
{
    m_file.reset();
    m_snapshot = TableSnapshot();
    m_rows.clear();
    m_current = -1;
    m_eof = true;
    m_editing = false;
}

void Table::first()
{
    m_current = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
}

void Table::next()
{
    if (m_editing)
        post();
    if (m_current + 1 < recordCount())
        ++m_current;
    else
        m_eof = true;
}

bool Table::hasField(const QString &name) const
{
    return isOpen() && m_snapshot.layout.fieldIndex(name) >= 0;
}

const Field &Table::requireField(const QString &name) const
{
    const int i = isOpen() ? m_snapshot.layout.fieldIndex(name) : -1;
    if (i < 0)
        throw Error(QStringLiteral("Coloana %1 nu exista in tabelul %2.").arg(name, m_name));
    return m_snapshot.layout.fields.at(i);
}

const char *Table::current() const
{
    if (m_current < 0)
        return nullptr;
    if (m_editing)
        return m_edit.constData();
    return m_snapshot.records.constData() +
           qsizetype(m_rows[size_t(m_current)]) * m_snapshot.layout.recordLength;
}

QString Table::asString(const QString &field) const
{
    const Field &f = requireField(field);
    const char *rec = current();
    return rec ? fieldText(m_snapshot.layout, f, rec) : QString();
}

QDate Table::asDate(const QString &field) const
{
    const Field &f = requireField(field);
    const char *rec = current();
    const QDate d =
        rec ? (f.type == FieldType::Date ? fieldDate(f, rec)
                                         : parseDisplayDate(fieldText(m_snapshot.layout, f, rec)))
            : QDate();
    return d.isValid() ? d : zeroDate();
}

void Table::edit()
{
    if (m_current < 0)
        throw Error(QStringLiteral("Tabelul %1 nu are niciun rand de modificat.").arg(m_name));
    if (m_editing)
        return;
    m_edit = QByteArray(current(), m_snapshot.layout.recordLength);
    m_changed.clear();
    m_editing = true;
}

void Table::setField(const QString &field, const QString &text)
{
    if (!m_editing)
        throw Error(QStringLiteral("Randul nu este in modificare."));
    const Field &f = requireField(field);
    writeField(m_snapshot.layout, f, m_edit.data(), Literal::ofText(text));
    const int index = m_snapshot.layout.fieldIndex(field);
    if (std::find(m_changed.begin(), m_changed.end(), index) == m_changed.end())
        m_changed.push_back(index);
}

void Table::setField(const QString &field, qint64 number)
{
    if (!m_editing)
        throw Error(QStringLiteral("Randul nu este in modificare."));
    const Field &f = requireField(field);
    writeField(m_snapshot.layout, f, m_edit.data(), Literal::ofNumber(QString::number(number)));
    const int index = m_snapshot.layout.fieldIndex(field);
    if (std::find(m_changed.begin(), m_changed.end(), index) == m_changed.end())
        m_changed.push_back(index);
}

void Table::setField(const QString &field, const QDate &date)
{
    setField(field, date.isValid() ? date.toString(kShortDateFormat) : QString());
}

void Table::post()
{
    if (!m_editing)
        return;
    const quint32 number = m_rows[size_t(m_current)];
    // Only the columns set here are written, over the row as it is on disk now, so that a
    // change another workstation made meanwhile to other columns stays.
    m_file->modify([&](const TableLayout &layout, quint32 &count) {
        if (number >= count || layout.recordLength != m_snapshot.layout.recordLength)
            throw Error(QStringLiteral("Randul nu mai exista in tabelul %1.").arg(m_name));
        QByteArray disk(layout.recordLength, Qt::Uninitialized);
        m_file->readRecords(layout, number, 1, disk.data());
        if (disk.at(0) == '*')
            return; // deleted meanwhile: it stays deleted
        for (int index : m_changed) {
            const Field &f = m_snapshot.layout.fields.at(index);
            memcpy(disk.data() + f.offset, m_edit.constData() + f.offset, size_t(f.length));
        }
        m_file->writeRecord(layout, number, disk.constData());
        m_file->finishChange(layout, count);
        memcpy(m_snapshot.records.data() + qsizetype(number) * layout.recordLength,
               disk.constData(), size_t(layout.recordLength));
    });
    m_editing = false;
    m_changed.clear();
}

void Table::cancel()
{
    m_editing = false;
    m_changed.clear();
}

void Table::pack()
{
    if (!isOpen())
        throw Error(QStringLiteral("Tabelul %1 nu este deschis.").arg(m_name));
    if (m_editing)
        post();
    if (Engine::pack(*m_file))
        readRows();
}

} // namespace dosarium
