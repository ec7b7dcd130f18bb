#include "store/NumberAwareOrder.h"

#include "store/CodePage.h"
#include "store/FieldCodec.h"

#include <algorithm>

namespace dosarium {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The end of the run of digits or of other characters that begins at `from`.
qsizetype runEnd(QByteArrayView text, qsizetype from)
{
    const bool digits = isDigit(text[from]);
    qsizetype end = from;
    while (end < text.size() && isDigit(text[end]) == digits)
        ++end;
    return end;
}

int compareNumbers(QByteArrayView a, QByteArrayView b)
{
    // Leading zeros say nothing about the size; then the longer number is the larger.
    while (a.size() > 1 && a.front() == '0')
        a = a.sliced(1);
    while (b.size() > 1 && b.front() == '0')
        b = b.sliced(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

int compareNumberAware(const CodePage &codePage, QByteArrayView a, QByteArrayView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitsA = isDigit(a[i]);
        const bool digitsB = isDigit(b[j]);
        if (digitsA != digitsB)
            return digitsA ? -1 : 1;
        const qsizetype endA = runEnd(a, i);
        const qsizetype endB = runEnd(b, j);
        const QByteArrayView runA = a.sliced(i, endA - i);
        const QByteArrayView runB = b.sliced(j, endB - j);
        const int c = digitsA
                          ? compareNumbers(runA, runB)
                          : codePage.compare(runA.data(), runA.size(), runB.data(), runB.size());
        if (c != 0)
            return c;
        i = endA;
        j = endB;
    }
    const bool endedA = i >= a.size();
    const bool endedB = j >= b.size();
    return endedA == endedB ? 0 : (endedA ? -1 : 1);
}

void sortRowsNumberAware(const TableLayout &layout, const QByteArray &data,
                         std::vector<quint32> &rows, int field)
{
    const Field &f = layout.fields.at(field);
    const auto text = [&](quint32 n) {
        return fieldBytesTrimmed(f, data.constData() + qsizetype(n) * layout.recordLength);
    };
    std::stable_sort(rows.begin(), rows.end(), [&](quint32 a, quint32 b) {
        return compareNumberAware(*layout.codePage, text(a), text(b)) < 0;
    });
}

} // namespace dosarium
