#include "store/TableLayout.h"

#include "store/Error.h"

#include <QtEndian>

namespace dosarium {

namespace {

constexpr int kBaseHeader = 32;
constexpr int kDescriptor = 32;
constexpr int kLevel7Descriptor = 48;
constexpr int kLevel7FirstDescriptor = 68;

[[noreturn]] void damaged(const QString &fileName, const QString &what)
{
    throw DamagedTableError(QStringLiteral("Tabelul %1 este deteriorat: %2.").arg(fileName, what));
}

bool knownVersion(quint8 v)
{
    switch (v) {
    case 0x03:
    case 0x83:
    case 0x8B:
    case 0xF5:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x04:
    case 0x8C:
        return true;
    default:
        return false;
    }
}

bool knownType(char t)
{
    switch (t) {
    case 'C':
    case 'N':
    case 'F':
    case 'D':
    case 'L':
    case 'M':
        return true;
    default:
        return false;
    }
}

QString fieldNameFrom(const char *p, int maxLen)
{
    int n = 0;
    while (n < maxLen && p[n] != '\0')
        ++n;
    return QString::fromLatin1(p, n).trimmed().toUpper();
}

// Column descriptors run up to the 0x0D terminator; a missing terminator is tolerated when the
// descriptors fill the declared header exactly.
void readColumns(TableLayout &layout, const char *h, const QString &fileName)
{
    const bool level7 = layout.isLevel7();
    const int step = level7 ? kLevel7Descriptor : kDescriptor;
    int pos = level7 ? kLevel7FirstDescriptor : kBaseHeader;
    while (pos < layout.headerLength && h[pos] != '\x0D') {
        if (pos + step > layout.headerLength)
            damaged(fileName, QStringLiteral("descrierea coloanelor este taiata"));
        const char *d = h + pos;
        Field f;
        if (level7) {
            f.name = fieldNameFrom(d, 32);
            f.type = FieldType(d[32]);
            f.length = uchar(d[33]);
            f.decimals = uchar(d[34]);
        } else {
            f.name = fieldNameFrom(d, 11);
            f.type = FieldType(d[11]);
            f.length = uchar(d[16]);
            f.decimals = uchar(d[17]);
        }
        if (f.name.isEmpty())
            damaged(fileName, QStringLiteral("o coloana nu are nume"));
        if (!knownType(char(f.type)))
            throw DamagedTableError(
                QStringLiteral("Tabelul %1: coloana %2 are un tip necunoscut ('%3').")
                    .arg(fileName, f.name,
                         QChar::isPrint(uchar(char(f.type))) ? QString(QLatin1Char(char(f.type)))
                                                             : QStringLiteral("?")));
        if (f.length == 0 && f.decimals == 0)
            damaged(fileName, QStringLiteral("coloana %1 are latimea 0").arg(f.name));
        layout.fields.append(f);
        pos += step;
    }
}

// Offsets; some writers keep the high byte of a long text column's width in its decimals.
// Returns the end of the last column.
int placeColumns(TableLayout &layout)
{
    auto place = [&](bool wideText) {
        int offset = 1;
        for (Field &f : layout.fields) {
            int len = f.length;
            if (f.type == FieldType::Character) {
                len = wideText ? f.length + 256 * f.decimals : f.length;
            }
            f.offset = offset;
            offset += len;
        }
        return offset;
    };
    int end = place(false);
    bool wide = false;
    for (const Field &f : layout.fields)
        wide = wide || (f.type == FieldType::Character && f.decimals != 0);
    if (wide) {
        const int wideEnd = place(true);
        if (wideEnd == layout.recordLength) {
            for (Field &f : layout.fields) {
                if (f.type == FieldType::Character) {
                    f.length += 256 * f.decimals;
                    f.decimals = 0;
                }
            }
            end = wideEnd;
        } else {
            end = place(false);
        }
    }
    for (Field &f : layout.fields) {
        if (f.type == FieldType::Character)
            f.decimals = 0;
    }
    return end;
}

} // namespace

int TableLayout::fieldIndex(const QString &name) const
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int TableLayout::requireField(const QString &name, const QString &tableName) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        throw Error(QStringLiteral("Coloana %1 nu exista in tabelul %2.").arg(name, tableName));
    return index;
}

bool isValidFieldName(const QString &name)
{
    if (name.isEmpty() || name.size() > 10)
        return false;
    if (!(name.at(0).unicode() < 0x80 && name.at(0).isLetter()))
        return false;
    for (const QChar c : name) {
        const bool ok = c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('_'));
        if (!ok)
            return false;
    }
    return true;
}

int declaredHeaderLength(const QByteArray &first32)
{
    if (first32.size() < kBaseHeader)
        return kBaseHeader;
    return qFromLittleEndian<quint16>(first32.constData() + 8);
}

quint32 recordsInFile(const TableLayout &layout, qint64 fileSize)
{
    if (layout.recordLength <= 0 || fileSize <= layout.headerLength)
        return 0;
    const qint64 n = (fileSize - layout.headerLength) / layout.recordLength;
    return quint32(std::min<qint64>(n, std::numeric_limits<quint32>::max()));
}

TableLayout parseTableHeader(const QByteArray &head, qint64 fileSize, const QString &fileName)
{
    if (head.size() < kBaseHeader || fileSize < kBaseHeader)
        damaged(fileName, QStringLiteral("fisierul este mai scurt decat antetul"));
    const char *h = head.constData();
    TableLayout layout;
    layout.version = quint8(h[0]);
    if (!knownVersion(layout.version))
        throw DamagedTableError(QStringLiteral("Tabelul %1 are o versiune necunoscuta (0x%2).")
                                    .arg(fileName)
                                    .arg(layout.version, 2, 16, QLatin1Char('0')));
    layout.declaredCount = qFromLittleEndian<quint32>(h + 4);
    layout.headerLength = qFromLittleEndian<quint16>(h + 8);
    layout.recordLength = qFromLittleEndian<quint16>(h + 10);
    layout.languageDriver = quint8(h[29]);
    layout.codePage = &CodePage::forLanguageDriver(layout.languageDriver);

    const int first = layout.isLevel7() ? kLevel7FirstDescriptor : kBaseHeader;
    if (layout.headerLength < first + 1)
        damaged(fileName,
                QStringLiteral("lungimea antetului (%1) este prea mica").arg(layout.headerLength));
    if (layout.headerLength > fileSize)
        damaged(fileName, QStringLiteral("antetul (%1 octeti) trece de sfarsitul fisierului")
                              .arg(layout.headerLength));
    if (head.size() < layout.headerLength)
        damaged(fileName, QStringLiteral("fisierul se termina in descrierea coloanelor"));
    if (layout.recordLength < 2)
        damaged(
            fileName,
            QStringLiteral("lungimea inregistrarii (%1) este imposibila").arg(layout.recordLength));

    readColumns(layout, h, fileName);
    if (layout.fields.isEmpty())
        damaged(fileName, QStringLiteral("tabelul nu are coloane"));

    const int end = placeColumns(layout);
    if (end > layout.recordLength)
        damaged(fileName,
                QStringLiteral("coloanele (%1 octeti) trec de lungimea inregistrarii (%2)")
                    .arg(end)
                    .arg(layout.recordLength));
    layout.headerBytes = head.left(layout.headerLength);
    return layout;
}

TableLayout newTableLayout(const QVector<Field> &columns)
{
    TableLayout layout;
    layout.version = 0x03;
    layout.languageDriver = 0x57;
    layout.codePage = &CodePage::windows1250();
    int offset = 1;
    for (Field f : columns) {
        f.name = f.name.toUpper();
        if (!isValidFieldName(f.name))
            throw Error(QStringLiteral("Numele de coloana \"%1\" nu este permis (cel mult 10 "
                                       "litere, cifre sau _).")
                            .arg(f.name));
        if (layout.fieldIndex(f.name) >= 0)
            throw Error(QStringLiteral("Coloana %1 apare de doua ori.").arg(f.name));
        f.offset = offset;
        offset += f.length;
        layout.fields.append(f);
    }
    if (layout.fields.isEmpty())
        throw Error(QStringLiteral("Tabelul trebuie sa aiba cel putin o coloana."));
    if (layout.fields.size() > 255 || offset > 65535)
        throw Error(QStringLiteral("Tabelul are prea multe coloane sau inregistrari prea lungi."));
    layout.recordLength = offset;
    layout.headerLength = kBaseHeader + kDescriptor * int(layout.fields.size()) + 1;
    return layout;
}

void stampHeader(char *h, quint32 count, const QDate &today)
{
    h[1] = char(std::clamp(today.year() - 1900, 0, 255));
    h[2] = char(today.month());
    h[3] = char(today.day());
    qToLittleEndian<quint32>(count, h + 4);
}

QByteArray buildHeader(const TableLayout &layout, quint32 count, const QDate &today)
{
    QByteArray out;
    if (!layout.headerBytes.isEmpty()) {
        out = layout.headerBytes;
    } else {
        out = QByteArray(layout.headerLength, '\0');
        char *h = out.data();
        h[0] = char(layout.version);
        qToLittleEndian<quint16>(quint16(layout.headerLength), h + 8);
        qToLittleEndian<quint16>(quint16(layout.recordLength), h + 10);
        h[29] = char(layout.languageDriver);
        int pos = kBaseHeader;
        for (const Field &f : layout.fields) {
            const QByteArray name = f.name.toLatin1();
            memcpy(h + pos, name.constData(), size_t(std::min<qsizetype>(name.size(), 10)));
            h[pos + 11] = char(f.type);
            h[pos + 16] = char(f.length & 0xFF);
            h[pos + 17] = char(f.type == FieldType::Character ? (f.length >> 8) : f.decimals);
            pos += kDescriptor;
        }
        h[pos] = '\x0D';
    }
    stampHeader(out.data(), count, today);
    return out;
}

} // namespace dosarium
