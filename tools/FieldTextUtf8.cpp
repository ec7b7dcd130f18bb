#include "tools/FieldTextUtf8.h"

#include "store/FieldCodec.h"

#include <algorithm>
#include <cstring>

namespace dosarium {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\0';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A whole number written the way fieldText writes it: an optional minus, no leading zero and
// few enough digits that a double holds it exactly.
bool isPlainWholeNumber(const char *p, qsizetype n)
{
    qsizetype i = 0;
    if (n > 0 && p[0] == '-')
        i = 1;
    const qsizetype digits = n - i;
    if (digits < 1 || digits > 15)
        return false;
    if (p[i] == '0')
        return digits == 1 && i == 0; // "0", never "-0" or "007"
    for (; i < n; ++i) {
        if (!isDigit(p[i]))
            return false;
    }
    return true;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0))
        return 29;
    return days[month - 1];
}

} // namespace

FieldTextUtf8::FieldTextUtf8(const TableLayout &layout) : m_layout(layout)
{
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QByteArray utf8 = layout.codePage->decode(&byte, 1).toUtf8();
        const qsizetype size = std::min<qsizetype>(utf8.size(), 4);
        for (qsizetype i = 0; i < size; ++i)
            m_utf8[size_t(b)][size_t(i)] = utf8.at(i);
        m_utf8Size[size_t(b)] = quint8(size);
        m_plain[size_t(b)] = size == 1 && utf8.at(0) == byte;
    }
    m_asciiPlain = std::all_of(m_plain.begin(), m_plain.begin() + 128, [](bool p) { return p; });
}

void FieldTextUtf8::appendText(QByteArray &out, const char *bytes, qsizetype size) const
{
    qsizetype run = 0; // bytes that stand for themselves, copied at once
    qsizetype i = 0;
    if (m_asciiPlain) {
        // Eight bytes at a time while none has its high bit set.
        for (; i + 8 <= size; i += 8) {
            quint64 word;
            std::memcpy(&word, bytes + i, 8);
            if (word & 0x8080808080808080ULL)
                break;
        }
    }
    for (; i < size; ++i) {
        const uchar b = uchar(bytes[i]);
        if (m_plain[b])
            continue;
        out.append(bytes + run, i - run);
        out.append(m_utf8[b].data(), m_utf8Size[b]);
        run = i + 1;
    }
    out.append(bytes + run, size - run);
}

void FieldTextUtf8::append(QByteArray &out, const Field &field, const char *record) const
{
    const char *p = record + field.offset;
    switch (field.type) {
    case FieldType::Character: {
        qsizetype n = field.length;
        while (n > 0 && isBlank(p[n - 1]))
            --n;
        appendText(out, p, n);
        return;
    }
    case FieldType::Numeric:
    case FieldType::Float: {
        qsizetype b = 0, e = field.length;
        while (b < e && isBlank(p[b]))
            ++b;
        while (e > b && isBlank(p[e - 1]))
            --e;
        if (b == e)
            return;
        if (field.decimals <= 0 && isPlainWholeNumber(p + b, e - b)) {
            out.append(p + b, e - b);
            return;
        }
        break;
    }
    case FieldType::Date: {
        if (field.length < 8)
            return;
        for (int i = 0; i < 8; ++i) {
            if (!isDigit(p[i]))
                return; // an empty or damaged date reads as empty text
        }
        const int year =
            (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
        const int month = (p[4] - '0') * 10 + (p[5] - '0');
        const int day = (p[6] - '0') * 10 + (p[7] - '0');
        if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
            return;
        const char text[10] = {p[6], p[7], '.', p[4], p[5], '.', p[0], p[1], p[2], p[3]};
        out.append(text, 10);
        return;
    }
    default:
        break;
    }
    out.append(fieldText(m_layout, field, record).toUtf8());
}

void appendEscaped(QByteArray &out, QByteArrayView text)
{
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' && c != '\t' && c != '\n')
            continue;
        out.append(text.data() + run, i - run);
        out.append(c == '\\' ? "\\\\" : c == '\t' ? "\\t" : "\\n", 2);
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
}

} // namespace dosarium
