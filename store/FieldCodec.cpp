#include "store/FieldCodec.h"

#include "store/Error.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace dosarium {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\0';
}

QByteArrayView trimmed(QByteArrayView v)
{
    qsizetype b = 0, e = v.size();
    while (b < e && isBlank(v[b]))
        ++b;
    while (e > b && isBlank(v[e - 1]))
        --e;
    return v.sliced(b, e - b);
}

QString numberText(double v, int decimals)
{
    if (decimals <= 0)
        return QString::number(qint64(std::llround(v)));
    return QString::number(v, 'f', decimals);
}

} // namespace

std::optional<double> parseNumber(QByteArrayView text)
{
    QByteArrayView t = trimmed(text);
    if (t.isEmpty())
        return std::nullopt;
    if (t.front() == '+')
        t = t.sliced(1);
    if (t.isEmpty())
        return std::nullopt;
    // A bare decimal point with digits on one side only is a number ("5." or ".5").
    double value = 0;
    const char *first = t.data();
    const char *last = t.data() + t.size();
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> parseNumber(const QString &text)
{
    const QByteArray latin = text.trimmed().toLatin1();
    return parseNumber(QByteArrayView(latin));
}

QDate parseDisplayDate(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 3 || parts.at(2).size() != 4 || parts.at(0).isEmpty() ||
        parts.at(0).size() > 2 || parts.at(1).isEmpty() || parts.at(1).size() > 2)
        return {};
    int n[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        for (const QChar c : parts.at(i)) {
            if (!c.isDigit() || c.unicode() >= 0x80)
                return {};
        }
        n[i] = parts.at(i).toInt(&ok);
        if (!ok)
            return {};
    }
    return QDate(n[2], n[1], n[0]);
}

QString formatDisplayDate(const QDate &date)
{
    return date.isValid() ? date.toString(kShortDateFormat) : QString();
}

QByteArrayView fieldBytesTrimmed(const Field &field, const char *record)
{
    const char *p = record + field.offset;
    qsizetype n = field.length;
    while (n > 0 && isBlank(p[n - 1]))
        --n;
    return QByteArrayView(p, n);
}

std::optional<double> fieldNumber(const Field &field, const char *record)
{
    return parseNumber(QByteArrayView(record + field.offset, field.length));
}

QDate fieldDate(const Field &field, const char *record)
{
    if (field.length < 8)
        return {};
    const char *p = record + field.offset;
    int v[8];
    for (int i = 0; i < 8; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return {};
        v[i] = p[i] - '0';
    }
    const int y = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3];
    const int m = v[4] * 10 + v[5];
    const int d = v[6] * 10 + v[7];
    return QDate(y, m, d); // invalid for 00000000 and impossible dates
}

QString fieldText(const TableLayout &layout, const Field &field, const char *record)
{
    switch (field.type) {
    case FieldType::Character: {
        const QByteArrayView v = fieldBytesTrimmed(field, record);
        return layout.codePage->decode(v.data(), v.size());
    }
    case FieldType::Numeric:
    case FieldType::Float: {
        const auto n = fieldNumber(field, record);
        return n ? numberText(*n, field.decimals) : QString();
    }
    case FieldType::Date:
        return formatDisplayDate(fieldDate(field, record));
    case FieldType::Logical: {
        switch (record[field.offset]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return QStringLiteral("T");
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return QStringLiteral("F");
        default:
            return QString();
        }
    }
    case FieldType::Memo:
        return QString();
    }
    return QString();
}

void writeStatementValue(const TableLayout &layout, const Field &field, char *record,
                         const Literal &value)
{
    try {
        writeField(layout, field, record, value);
    } catch (const Error &e) {
        if (field.type == FieldType::Character)
            throw Error(QStringLiteral("Coloana %1: %2").arg(field.name, e.message()));
        throw;
    }
}

void writeDate(const Field &field, char *record, const QDate &date)
{
    char *p = record + field.offset;
    memset(p, ' ', size_t(field.length));
    if (date.isValid() && date.year() >= 1 && date.year() <= 9999) {
        const QByteArray s = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        memcpy(p, s.constData(), size_t(std::min<qsizetype>(s.size(), field.length)));
    }
}

void writeField(const TableLayout &layout, const Field &field, char *record, const Literal &value)
{
    char *p = record + field.offset;
    switch (field.type) {
    case FieldType::Character: {
        const QByteArray bytes = layout.codePage->encode(value.text);
        memset(p, ' ', size_t(field.length));
        memcpy(p, bytes.constData(), size_t(std::min<qsizetype>(bytes.size(), field.length)));
        return;
    }
    case FieldType::Numeric:
    case FieldType::Float: {
        if (value.kind == Literal::Kind::Text && value.text.trimmed().isEmpty()) {
            memset(p, ' ', size_t(field.length));
            return;
        }
        const auto n = parseNumber(value.text);
        if (!n)
            throw Error(QStringLiteral("Valoarea \"%1\" nu este un numar (coloana %2).")
                            .arg(value.text, field.name));
        const QByteArray s = numberText(*n, field.decimals).toLatin1();
        if (s.size() > field.length)
            throw Error(QStringLiteral("Valoarea %1 nu incape in coloana %2 (%3 caractere).")
                            .arg(value.text, field.name)
                            .arg(field.length));
        memset(p, ' ', size_t(field.length));
        memcpy(p + field.length - s.size(), s.constData(), size_t(s.size()));
        return;
    }
    case FieldType::Date: {
        if (value.text.trimmed().isEmpty() && value.kind == Literal::Kind::Text) {
            writeDate(field, record, QDate());
            return;
        }
        const QDate d = value.kind == Literal::Kind::Text ? parseDisplayDate(value.text) : QDate();
        if (!d.isValid() || d.year() < 1 || d.year() > 9999)
            throw Error(QStringLiteral("\"%1\" nu este o data valida (coloana %2).")
                            .arg(value.text, field.name));
        writeDate(field, record, d);
        return;
    }
    case FieldType::Logical: {
        const QString t = value.text.trimmed().toUpper();
        char c = '?';
        if (t == QLatin1String("T") || t == QLatin1String("Y") || t == QLatin1String("1"))
            c = 'T';
        else if (t == QLatin1String("F") || t == QLatin1String("N") || t == QLatin1String("0"))
            c = 'F';
        else if (!t.isEmpty())
            throw Error(QStringLiteral("Valoarea \"%1\" nu este logica (coloana %2).")
                            .arg(value.text, field.name));
        p[0] = c;
        return;
    }
    case FieldType::Memo:
        throw Error(
            QStringLiteral("Coloana %1 este de tip memo si nu poate fi scrisa.").arg(field.name));
    }
}

} // namespace dosarium
