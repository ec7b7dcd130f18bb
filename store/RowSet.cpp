#include "store/RowSet.h"

#include "platform/LargeBuffer.h"
#include "store/FieldCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace dosarium {

namespace {

template <typename T> int threeWay(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

constexpr qint64 kEmptyDay = std::numeric_limits<qint64>::min();

qint64 dayKey(const Field &f, const char *rec)
{
    const QDate d = fieldDate(f, rec);
    return d.isValid() ? d.toJulianDay() : kEmptyDay;
}

double numberKey(const Field &f, const char *rec)
{
    const auto n = fieldNumber(f, rec);
    return n ? *n : -std::numeric_limits<double>::infinity();
}

struct Key {
    const Field *field = nullptr;
    std::vector<double> numbers; // by record number
    std::vector<qint64> days;
    // Texts: each record's trimmed bytes side by side in one block, so that the sort reads a
    // few megabytes instead of jumping across the whole record set.
    std::vector<char> texts;
    std::vector<quint16> lengths;
    qsizetype width = 0;
};

} // namespace

int compareField(const TableLayout &layout, const Field &field, const char *a, const char *b)
{
    switch (field.type) {
    case FieldType::Numeric:
    case FieldType::Float:
        return threeWay(numberKey(field, a), numberKey(field, b));
    case FieldType::Date:
        return threeWay(dayKey(field, a), dayKey(field, b));
    default: {
        const QByteArrayView va = fieldBytesTrimmed(field, a);
        const QByteArrayView vb = fieldBytesTrimmed(field, b);
        return layout.codePage->compare(va.data(), va.size(), vb.data(), vb.size());
    }
    }
}

void sortRows(const TableLayout &layout, const QByteArray &data, std::vector<quint32> &rows,
              const QVector<int> &fields)
{
    if (fields.isEmpty() || rows.size() < 2)
        return;
    const qsizetype records = layout.recordLength ? data.size() / layout.recordLength : 0;
    auto rec = [&](quint32 n) { return data.constData() + qsizetype(n) * layout.recordLength; };
    std::vector<Key> keys;
    for (int index : fields) {
        Key k;
        k.field = &layout.fields.at(index);
        if (k.field->isNumber()) {
            k.numbers.resize(size_t(records));
            for (quint32 n : rows)
                k.numbers[n] = numberKey(*k.field, rec(n));
        } else if (k.field->type == FieldType::Date) {
            k.days.resize(size_t(records));
            for (quint32 n : rows)
                k.days[n] = dayKey(*k.field, rec(n));
        } else {
            k.width = k.field->length;
            k.texts.reserve(size_t(records * k.width));
            preferLargePages(k.texts.data(), records * k.width);
            k.texts.resize(size_t(records * k.width));
            k.lengths.resize(size_t(records));
            for (quint32 n : rows) {
                const QByteArrayView v = fieldBytesTrimmed(*k.field, rec(n));
                k.lengths[n] = quint16(v.size());
                std::memcpy(k.texts.data() + qsizetype(n) * k.width, v.data(), size_t(v.size()));
            }
        }
        keys.push_back(std::move(k));
    }
    const CodePage *cp = layout.codePage;
    std::stable_sort(rows.begin(), rows.end(), [&](quint32 a, quint32 b) {
        for (const Key &k : keys) {
            int c;
            if (!k.numbers.empty()) {
                c = threeWay(k.numbers[a], k.numbers[b]);
            } else if (!k.days.empty()) {
                c = threeWay(k.days[a], k.days[b]);
            } else {
                c = cp->compare(k.texts.data() + qsizetype(a) * k.width, k.lengths[a],
                                k.texts.data() + qsizetype(b) * k.width, k.lengths[b]);
            }
            if (c != 0)
                return c < 0;
        }
        return false;
    });
}

} // namespace dosarium
