#include "store/KeptRows.h"

#include "store/Error.h"
#include "store/FieldCodec.h"
#include "store/NumberAwareOrder.h"
#include "store/RecordFilter.h"
#include "store/RowSet.h"
#include "store/TableFile.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <numeric>
#include <optional>

namespace dosarium {

namespace {

// Records kept at hand for the columns not held: enough for a few screens of a grid.
constexpr int kSlots = 256;
// Past this many changed records, reading the table whole again costs hardly more.
constexpr size_t kMostCaughtUp = 4096;

int threeWay(double a, double b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

// Gives each distinct value of one column its number while the table is read, or while rows
// that changed are taken in.
class KeptRows::Builder {
public:
    Builder(Column &column, int width) : m_column(column), m_width(width), m_flat(column.flat)
    {
        if (!m_flat)
            grow(std::bit_ceil(std::max<size_t>(1024, size_t(column.distinct) * 2 + 2)));
    }

    void add(const char *value)
    {
        if (!m_flat && m_column.codes.size() == kTrialRows &&
            m_column.distinct > kTrialRows - kTrialRows / 32)
            becomeFlat();
        m_column.codes.push_back(codeOf(value));
    }

    // The number of `value`, given to it now when the column does not hold it yet.
    quint32 codeOf(const char *value)
    {
        if (m_flat) {
            m_column.values.append(value, m_width);
            return m_column.distinct++;
        }
        if (m_column.distinct > 0 && memcmp(value, last(), size_t(m_width)) == 0)
            return m_lastCode;
        size_t i = hashOf(value) & m_mask;
        for (;;) {
            const quint32 slot = m_table[i];
            if (slot == 0)
                break;
            if (memcmp(m_column.values.constData() + qsizetype(slot - 1) * m_width, value,
                       size_t(m_width)) == 0)
                return m_lastCode = slot - 1;
            i = (i + 1) & m_mask;
        }
        const quint32 code = m_column.distinct++;
        m_column.values.append(value, m_width);
        m_table[i] = code + 1;
        m_lastCode = code;
        if (size_t(m_column.distinct) * 2 > m_table.size())
            grow(m_table.size() * 2);
        return code;
    }

private:
    // A column whose first rows hardly repeat a value (an id) is held one value per row:
    // looking each up would cost more than it saves.
    static constexpr size_t kTrialRows = 4096;
    void becomeFlat()
    {
        QByteArray values;
        values.reserve(qsizetype(m_width) * qsizetype(m_column.codes.capacity()));
        for (quint32 &code : m_column.codes) {
            values.append(m_column.values.constData() + qsizetype(code) * m_width, m_width);
            code = quint32(&code - m_column.codes.data());
        }
        m_column.values = std::move(values);
        m_column.distinct = quint32(m_column.codes.size());
        m_column.flat = true;
        m_table = {};
        m_flat = true;
    }
    size_t hashOf(const char *value) const { return qHashBits(value, size_t(m_width)); }
    const char *last() const
    {
        return m_column.values.constData() + qsizetype(m_lastCode) * m_width;
    }
    void grow(size_t tableSize)
    {
        m_table.assign(tableSize, 0);
        m_mask = tableSize - 1;
        for (quint32 code = 0; code < m_column.distinct; ++code) {
            size_t i = hashOf(m_column.values.constData() + qsizetype(code) * m_width) & m_mask;
            while (m_table[i] != 0)
                i = (i + 1) & m_mask;
            m_table[i] = code + 1;
        }
    }

    Column &m_column;
    int m_width;
    std::vector<quint32> m_table; // code + 1, 0 for a free slot
    size_t m_mask = 0;
    quint32 m_lastCode = 0;
    bool m_flat;
};

std::shared_ptr<KeptRows> KeptRows::read(std::shared_ptr<TableFile> file,
                                         const QStringList &columns, QString *notice)
{
    auto kept = std::make_shared<KeptRows>();
    kept->m_file = file;
    std::vector<Builder> builders;
    std::vector<std::pair<int, int>> taken; // field, offset
    quint32 number = 0;
    const QString found = file->scanCountedRecords(
        [&](const TableLayout &layout, quint32 count) {
            kept->m_tableCount = count;
            kept->m_mark = ChangeTrail::mark(file->path(), file->stamp());
            kept->m_layout = layout;
            kept->m_valueLayout = layout;
            for (Field &f : kept->m_valueLayout.fields)
                f.offset = 0;
            kept->m_columnOf.assign(size_t(layout.fields.size()), -1);
            for (const QString &name : columns) {
                const int field = layout.fieldIndex(name);
                if (field < 0 || kept->m_columnOf[size_t(field)] >= 0)
                    continue;
                kept->m_columnOf[size_t(field)] = int(taken.size());
                taken.emplace_back(field, layout.fields.at(field).offset);
            }
            kept->m_columns.resize(taken.size());
            builders.reserve(taken.size());
            kept->m_records.reserve(count);
            for (size_t i = 0; i < taken.size(); ++i) {
                kept->m_columns[i].codes.reserve(count);
                builders.emplace_back(kept->m_columns[i], layout.fields.at(taken[i].first).length);
            }
        },
        [&](const char *record) {
            const quint32 at = number++;
            if (record[0] == '*')
                return;
            kept->m_records.push_back(at);
            for (size_t i = 0; i < taken.size(); ++i)
                builders[i].add(record + taken[i].second);
        });
    if (notice)
        *notice = found;
    kept->m_records.shrink_to_fit();
    for (Column &c : kept->m_columns) {
        c.codes.shrink_to_fit();
        c.values.squeeze();
    }
    return kept;
}

const KeptRows::Column *KeptRows::column(int field) const
{
    if (field < 0 || size_t(field) >= m_columnOf.size() || m_columnOf[size_t(field)] < 0)
        return nullptr;
    return &m_columns[size_t(m_columnOf[size_t(field)])];
}

const char *KeptRows::valueOf(const Column &c, int field, quint32 code) const
{
    return c.values.constData() + qsizetype(code) * m_layout.fields.at(field).length;
}

const char *KeptRows::value(quint32 row, int field) const
{
    if (const Column *c = column(field))
        return valueOf(*c, field, c->codes[row]);
    return fetched(row) + m_layout.fields.at(field).offset;
}

void KeptRows::prefetch(const std::vector<quint32> &rows) const
{
    if (m_slots.isEmpty()) {
        m_slots = QByteArray(qsizetype(kSlots) * m_layout.recordLength, Qt::Uninitialized);
        m_slotRow.assign(kSlots, -1);
        m_slotChanged.assign(kSlots, 0);
    }
    std::vector<quint32> wanted;
    std::vector<quint32> numbers;
    for (quint32 row : rows) {
        if (wanted.size() >= size_t(kSlots / 2))
            break;
        if (!isAtHand(row) && std::find(wanted.begin(), wanted.end(), row) == wanted.end()) {
            wanted.push_back(row);
            numbers.push_back(m_records[row]);
        }
    }
    if (wanted.empty())
        return;
    const qsizetype length = m_layout.recordLength;
    QByteArray read(qsizetype(wanted.size()) * length, Qt::Uninitialized);
    m_file->rereadRecords(m_layout, numbers.data(), int(numbers.size()), read.data());
    for (size_t i = 0; i < wanted.size(); ++i) {
        const int slot = m_nextSlot;
        m_nextSlot = (m_nextSlot + 1) % kSlots;
        if (m_slotRow[size_t(slot)] >= 0)
            m_slotOf.erase(quint32(m_slotRow[size_t(slot)]));
        m_slotRow[size_t(slot)] = wanted[i];
        m_slotOf[wanted[i]] = slot;
        const char *record = read.constData() + qsizetype(i) * length;
        m_slotChanged[size_t(slot)] = stillHolds(wanted[i], record) ? 0 : 1;
        memcpy(m_slots.data() + slot * length, record, size_t(length));
    }
}

bool KeptRows::stillHolds(quint32 row, const char *record) const
{
    if (record[0] != ' ')
        return false;
    for (int field = 0; field < m_layout.fields.size(); ++field) {
        const Column *c = column(field);
        if (c &&
            memcmp(valueOf(*c, field, c->codes[row]), record + m_layout.fields.at(field).offset,
                   size_t(m_layout.fields.at(field).length)) != 0)
            return false;
    }
    return true;
}

const char *KeptRows::fetched(quint32 row) const
{
    if (!isAtHand(row))
        prefetch({row});
    const int slot = m_slotOf.at(row);
    if (m_slotChanged[size_t(slot)])
        throw Error(QStringLiteral("Randul %1 al tabelului %2 a fost schimbat de cand a fost "
                                   "citit; inchideti fereastra si deschideti-o din nou.")
                        .arg(qint64(m_records[row]) + 1)
                        .arg(m_file->path()));
    return m_slots.constData() + qsizetype(slot) * m_layout.recordLength;
}

std::vector<quint32> KeptRows::ranks(int field, bool numberAware) const
{
    const Column *c = column(field);
    if (!c)
        throw Error(QStringLiteral("Coloana %1 nu este tinuta in memorie.")
                        .arg(m_layout.fields.at(field).name));
    const Field &f = m_valueLayout.fields.at(field);
    const CodePage &cp = *m_layout.codePage;
    // The keys of the distinct values, as the engine orders them.
    std::vector<double> numbers;
    std::vector<qint64> days;
    if (f.isNumber() && !numberAware) {
        numbers.resize(c->distinct);
        for (quint32 v = 0; v < c->distinct; ++v)
            numbers[v] = fieldNumber(f, valueOf(*c, field, v))
                             .value_or(-std::numeric_limits<double>::infinity());
    } else if (f.type == FieldType::Date && !numberAware) {
        days.resize(c->distinct);
        for (quint32 v = 0; v < c->distinct; ++v) {
            const QDate d = fieldDate(f, valueOf(*c, field, v));
            days[v] = d.isValid() ? d.toJulianDay() : std::numeric_limits<qint64>::min();
        }
    }
    const auto compare = [&](quint32 a, quint32 b) {
        if (!numbers.empty())
            return threeWay(numbers[a], numbers[b]);
        if (!days.empty())
            return days[a] < days[b] ? -1 : (days[b] < days[a] ? 1 : 0);
        const QByteArrayView ta = fieldBytesTrimmed(f, valueOf(*c, field, a));
        const QByteArrayView tb = fieldBytesTrimmed(f, valueOf(*c, field, b));
        // Values whose numbers tie keep the order the rows had.
        if (numberAware)
            return compareNumberAware(cp, ta, tb);
        return cp.compare(ta.data(), ta.size(), tb.data(), tb.size());
    };
    std::vector<quint32> order(c->distinct);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) { return compare(a, b) < 0; });
    std::vector<quint32> rank(c->distinct);
    quint32 r = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && compare(order[i - 1], order[i]) != 0)
            ++r;
        rank[order[i]] = r;
    }
    return rank;
}

void KeptRows::sort(std::vector<quint32> &rows, int field, bool numberAware) const
{
    if (rows.size() < 2)
        return;
    const std::vector<quint32> rank = ranks(field, numberAware);
    const std::vector<quint32> &codes = column(field)->codes;
    // Counting sort by rank: stable, and linear in the rows.
    std::vector<quint32> start(rank.size() + 1, 0);
    for (quint32 row : rows)
        ++start[rank[codes[row]] + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<quint32> sorted(rows.size());
    for (quint32 row : rows)
        sorted[start[rank[codes[row]]]++] = row;
    rows = std::move(sorted);
}

std::vector<char> KeptRows::whereValue(int field,
                                       const std::function<bool(const char *)> &test) const
{
    const Column *c = column(field);
    if (!c)
        throw Error(QStringLiteral("Coloana %1 nu este tinuta in memorie.")
                        .arg(m_layout.fields.at(field).name));
    std::vector<char> matches(c->distinct);
    for (quint32 v = 0; v < c->distinct; ++v)
        matches[v] = test(valueOf(*c, field, v)) ? 1 : 0;
    std::vector<char> rows(size());
    for (quint32 row = 0; row < size(); ++row)
        rows[row] = matches[c->codes[row]];
    return rows;
}

std::vector<char> KeptRows::passing(const RecordFilter &filter) const
{
    std::vector<char> pass(size(), 1);
    for (int i = 0; i < filter.size(); ++i) {
        const int field = filter.field(i);
        if (const Column *c = column(field)) {
            // Each distinct value is tested once.
            std::vector<char> matches(c->distinct);
            for (quint32 v = 0; v < c->distinct; ++v)
                matches[v] = filter.matches(i, valueOf(*c, field, v)) ? 1 : 0;
            for (quint32 row = 0; row < size(); ++row)
                pass[row] = pass[row] && matches[c->codes[row]];
        } else {
            for (quint32 row = 0; row < size(); ++row)
                pass[row] = pass[row] && filter.matches(i, value(row, field));
        }
    }
    return pass;
}

QStringList KeptRows::distinctTexts(int field) const
{
    const Column *c = column(field);
    if (!c)
        throw Error(QStringLiteral("Coloana %1 nu este tinuta in memorie.")
                        .arg(m_layout.fields.at(field).name));
    const Field &f = m_valueLayout.fields.at(field);
    // As the engine's DISTINCT: the first value of each text in the order read, sorted stably,
    // then the values the order finds equal given once.
    QSet<QByteArray> seen;
    std::vector<quint32> firsts;
    for (quint32 v = 0; v < c->distinct; ++v) {
        const char *value = valueOf(*c, field, v);
        const QByteArray key = f.type == FieldType::Character
                                   ? fieldBytesTrimmed(f, value).toByteArray()
                                   : fieldText(m_valueLayout, f, value).toLatin1();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        firsts.push_back(v);
    }
    std::stable_sort(firsts.begin(), firsts.end(), [&](quint32 a, quint32 b) {
        return compareField(m_valueLayout, f, valueOf(*c, field, a), valueOf(*c, field, b)) < 0;
    });
    QStringList texts;
    const char *previous = nullptr;
    for (quint32 v : firsts) {
        const char *value = valueOf(*c, field, v);
        if (previous && compareField(m_valueLayout, f, previous, value) == 0)
            continue;
        previous = value;
        texts << fieldText(m_valueLayout, f, value);
    }
    return texts;
}

bool KeptRows::catchUp()
{
    // A table removed or put in the place of this one is read again by its name.
    if (!m_mark.trusted || !m_file->standsAtPath())
        return false;
    bool caughtUp = false;
    m_file->readLocked([&](const TableLayout &layout, quint32 count, const QString &notice) {
        if (!notice.isEmpty() || !layout.sameShape(m_layout) || count < m_tableCount ||
            count - m_tableCount > kMostCaughtUp)
            return;
        std::optional<ChangeTrail::Changes> changes =
            ChangeTrail::since(m_file->path(), m_mark, m_file->stamp());
        if (!changes)
            return;
        // The records the trail names, and those appended since: the header counts them.
        std::vector<quint32> numbers = std::move(changes->records);
        for (quint32 r = m_tableCount; r < count; ++r)
            numbers.push_back(r);
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
        if (numbers.size() > kMostCaughtUp || (!numbers.empty() && numbers.back() >= count))
            return;
        const qsizetype length = layout.recordLength;
        QByteArray data(qsizetype(numbers.size()) * length, Qt::Uninitialized);
        for (size_t i = 0; i < numbers.size();) {
            size_t run = 1;
            while (i + run < numbers.size() && numbers[i + run] == numbers[i] + run)
                ++run;
            m_file->readRecords(layout, numbers[i], quint32(run),
                                data.data() + qsizetype(i) * length);
            i += run;
        }
        takeIn(numbers, data.constData());
        m_tableCount = count;
        m_mark = changes->mark;
        caughtUp = true;
    });
    return caughtUp;
}

void KeptRows::takeIn(const std::vector<quint32> &numbers, const char *data)
{
    if (numbers.empty())
        return;
    std::vector<int> fieldOf(m_columns.size());
    for (size_t field = 0; field < m_columnOf.size(); ++field) {
        if (m_columnOf[field] >= 0)
            fieldOf[size_t(m_columnOf[field])] = int(field);
    }
    // A column's index of values is made only when a value it may not hold comes.
    std::vector<std::optional<Builder>> builders(m_columns.size());
    // The numbers of values that a changed or removed row no longer uses.
    std::vector<std::vector<quint32>> released(m_columns.size());
    // The number in column `i` of the value of `record`, which stood at `row` (or at none).
    const auto codeOf = [&](const char *record, std::optional<size_t> row, size_t i) {
        Column &c = m_columns[i];
        const Field &f = m_layout.fields.at(fieldOf[i]);
        const char *value = record + f.offset;
        if (row) {
            const quint32 old = c.codes[*row];
            if (memcmp(valueOf(c, fieldOf[i], old), value, size_t(f.length)) == 0)
                return old;
            released[i].push_back(old);
        }
        if (!builders[i])
            builders[i].emplace(c, f.length);
        return builders[i]->codeOf(value);
    };
    const auto recordOf = [&](size_t k) { return data + qsizetype(k) * m_layout.recordLength; };
    // Rows changed where they stand and records appended after the last row are taken in
    // place; a row deleted, or one that comes back among the others, renumbers the rows.
    bool inPlace = true;
    for (size_t k = 0; k < numbers.size() && inPlace; ++k) {
        const auto at = std::lower_bound(m_records.begin(), m_records.end(), numbers[k]);
        const bool held = at != m_records.end() && *at == numbers[k];
        const bool live = recordOf(k)[0] != '*';
        inPlace = held ? live : (!live || at == m_records.end());
    }
    if (inPlace) {
        for (size_t k = 0; k < numbers.size(); ++k) {
            const auto at = std::lower_bound(m_records.begin(), m_records.end(), numbers[k]);
            if (at != m_records.end() && *at == numbers[k]) {
                const size_t row = size_t(at - m_records.begin());
                for (size_t i = 0; i < m_columns.size(); ++i)
                    m_columns[i].codes[row] = codeOf(recordOf(k), row, i);
            } else if (recordOf(k)[0] != '*') {
                m_records.push_back(numbers[k]);
                for (size_t i = 0; i < m_columns.size(); ++i)
                    m_columns[i].codes.push_back(codeOf(recordOf(k), std::nullopt, i));
            }
        }
    } else {
        renumberRows(numbers, data, codeOf, released);
    }
    for (size_t i = 0; i < m_columns.size(); ++i)
        dropReleased(m_columns[i], m_layout.fields.at(fieldOf[i]).length, released[i]);
    forgetFetched();
}

template <typename CodeOf>
void KeptRows::renumberRows(const std::vector<quint32> &numbers, const char *data,
                            const CodeOf &codeOf, std::vector<std::vector<quint32>> &released)
{
    std::vector<std::vector<quint32>> codes(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i)
        codes[i].reserve(m_records.size() + numbers.size());
    std::vector<quint32> records;
    records.reserve(m_records.size() + numbers.size());
    size_t row = 0;
    for (size_t k = 0; k <= numbers.size(); ++k) {
        // The rows before the next changed record stay as they are.
        const quint32 until = k < numbers.size() ? numbers[k] : UINT32_MAX;
        const size_t from = row;
        while (row < m_records.size() && m_records[row] < until)
            ++row;
        records.insert(records.end(), m_records.begin() + qsizetype(from),
                       m_records.begin() + qsizetype(row));
        for (size_t i = 0; i < m_columns.size(); ++i)
            codes[i].insert(codes[i].end(), m_columns[i].codes.begin() + qsizetype(from),
                            m_columns[i].codes.begin() + qsizetype(row));
        if (k == numbers.size())
            break;
        const bool held = row < m_records.size() && m_records[row] == until;
        const char *record = data + qsizetype(k) * m_layout.recordLength;
        if (record[0] != '*') {
            records.push_back(until);
            for (size_t i = 0; i < m_columns.size(); ++i)
                codes[i].push_back(codeOf(record, held ? std::optional(row) : std::nullopt, i));
        } else if (held) {
            for (size_t i = 0; i < m_columns.size(); ++i)
                released[i].push_back(m_columns[i].codes[row]);
        }
        if (held)
            ++row;
    }
    m_records = std::move(records);
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_columns[i].codes = std::move(codes[i]);
}

void KeptRows::dropReleased(Column &c, int width, std::vector<quint32> &released)
{
    // From the highest number down: the value moved into a freed place is the last one, which
    // no number still to be looked at can be.
    std::sort(released.begin(), released.end(), std::greater<>());
    released.erase(std::unique(released.begin(), released.end()), released.end());
    for (const quint32 code : released) {
        if (std::find(c.codes.begin(), c.codes.end(), code) != c.codes.end())
            continue;
        const quint32 last = c.distinct - 1;
        if (code != last) {
            memcpy(c.values.data() + qsizetype(code) * width,
                   c.values.constData() + qsizetype(last) * width, size_t(width));
            std::replace(c.codes.begin(), c.codes.end(), last, code);
        }
        c.values.chop(width);
        --c.distinct;
    }
}

void KeptRows::forgetFetched()
{
    m_slotOf.clear();
    if (!m_slotRow.empty())
        m_slotRow.assign(kSlots, -1);
    m_nextSlot = 0;
}

} // namespace dosarium
