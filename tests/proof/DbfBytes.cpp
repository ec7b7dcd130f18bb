#include "DbfBytes.h"

#include "store/CodePageTables.h"

#include <QFile>

namespace dosarium::proof {

namespace {

quint32 little32(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

int little16(const QByteArray &b, int at)
{
    return int(quint8(b[at])) | int(quint8(b[at + 1])) << 8;
}

} // namespace

DbfBytes DbfBytes::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        DbfBytes none;
        none.m_problem = QStringLiteral("cannot open %1").arg(path);
        return none;
    }
    return parse(file.readAll());
}

DbfBytes DbfBytes::parse(const QByteArray &bytes)
{
    DbfBytes t;
    const auto wrong = [&t](const QString &what) {
        t.m_problem = what;
        return t;
    };
    if (bytes.size() < 32)
        return wrong(QStringLiteral("shorter than a header"));
    if (quint8(bytes[0]) != 0x03)
        return wrong(QStringLiteral("version byte %1").arg(quint8(bytes[0])));
    t.m_declared = little32(bytes, 4);
    const int headerLength = little16(bytes, 8);
    t.m_recordLength = little16(bytes, 10);
    if (headerLength < 65 || headerLength > bytes.size())
        return wrong(QStringLiteral("header length %1").arg(headerLength));
    int offset = 1;
    int at = 32;
    for (; at + 32 <= headerLength && bytes[at] != '\x0D'; at += 32) {
        DbfColumn c;
        c.name = bytes.mid(at, 11);
        c.name.truncate(c.name.indexOf('\0') < 0 ? 11 : c.name.indexOf('\0'));
        c.type = bytes[at + 11];
        c.length = quint8(bytes[at + 16]);
        c.offset = offset;
        offset += c.length;
        t.m_columns.append(c);
    }
    if (at >= headerLength || bytes[at] != '\x0D')
        return wrong(QStringLiteral("no end of the column descriptors"));
    if (t.m_columns.isEmpty() || offset != t.m_recordLength)
        return wrong(QStringLiteral("columns of %1 bytes in records of %2")
                         .arg(offset)
                         .arg(t.m_recordLength));
    const qint64 counted = headerLength + qint64(t.m_declared) * t.m_recordLength;
    const qint64 size = bytes.size();
    // After the counted records: nothing, the end mark, or one record a crash left uncounted
    // (with or without its end mark).
    if (size == counted + t.m_recordLength || size == counted + t.m_recordLength + 1)
        t.m_uncounted = true;
    else if (size != counted && !(size == counted + 1 && bytes[counted] == '\x1A'))
        return wrong(QStringLiteral("%1 bytes for %2 records").arg(size).arg(t.m_declared));
    for (quint32 i = 0; i < t.m_declared; ++i) {
        QByteArray record =
            bytes.mid(headerLength + qint64(i) * t.m_recordLength, t.m_recordLength);
        if (record[0] != ' ' && record[0] != '*')
            return wrong(QStringLiteral("record %1 has the flag %2").arg(i).arg(int(record[0])));
        t.m_records.append(record);
    }
    return t;
}

std::optional<QByteArray> DbfBytes::value(int record, const QByteArray &column) const
{
    for (const DbfColumn &c : m_columns) {
        if (c.name.compare(column, Qt::CaseInsensitive) != 0)
            continue;
        QByteArray v = m_records.at(record).mid(c.offset, c.length);
        while (!v.isEmpty() && v.endsWith(' '))
            v.chop(1);
        while (!v.isEmpty() && c.type != 'C' && v.startsWith(' '))
            v.remove(0, 1);
        return v;
    }
    return std::nullopt;
}

QString DbfBytes::text(int record, const QByteArray &column) const
{
    // The page's own table: the Windows build's Qt has no converter for it.
    const auto &characters = *codePageCharacters("windows-1250");
    QString text;
    for (const char byte : value(record, column).value_or(QByteArray()))
        text += QChar(characters[uchar(byte)]);
    return text;
}

} // namespace dosarium::proof
