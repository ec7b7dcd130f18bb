#include "store/RowChange.h"

#include "store/Error.h"

#include <algorithm>
#include <cstring>

namespace dosarium {

namespace {

// Records read at once, while searching and while checking runs of neighbouring rows.
constexpr qsizetype kBlockBytes = 1 << 20;

quint32 recordsPerBlock(const TableLayout &layout)
{
    return quint32(std::max<qsizetype>(1, kBlockBytes / layout.recordLength));
}

} // namespace

RowChange::RowChange(Statement statement) : m_statement(std::move(statement))
{
    if (m_statement.kind != Statement::Kind::Update && m_statement.kind != Statement::Kind::Delete)
        throw Error(QStringLiteral("Doar UPDATE si DELETE schimba randuri gasite."));
    m_file = TableFile::open(m_statement.table, TableFile::Mode::Shared);
}

RowChange::~RowChange() = default;

void RowChange::prepare(const TableLayout &layout)
{
    m_where.reset();
    m_changes.clear();
    m_layout = layout;
    if (m_statement.kind == Statement::Kind::Update) {
        QByteArray scratch(m_layout.recordLength, ' ');
        for (const Assignment &a : m_statement.assignments) {
            const Field &f = m_layout.fields.at(m_layout.requireField(a.column, m_file->path()));
            writeStatementValue(m_layout, f, scratch.data(), a.value);
            m_changes.append({f, scratch.mid(f.offset, f.length)});
        }
    }
    if (m_statement.where)
        m_where.emplace(m_layout, m_file->path(), *m_statement.where, true);
}

bool RowChange::sameShape(const TableLayout &layout) const
{
    // Bytes 0-7 (version, date, count) change with every write; the rest only when the table is
    // rebuilt, which its open lock prevents while this statement has it open.
    return layout.headerLength == m_layout.headerLength &&
           layout.recordLength == m_layout.recordLength &&
           layout.headerBytes.mid(8) == m_layout.headerBytes.mid(8);
}

bool RowChange::qualifies(const char *record) const
{
    return record[0] != '*' && (!m_where || m_where->matches(record));
}

void RowChange::change(char *record) const
{
    if (m_statement.kind == Statement::Kind::Delete) {
        record[0] = '*';
        return;
    }
    for (const Prepared &c : m_changes)
        memcpy(record + c.field.offset, c.bytes.constData(), size_t(c.field.length));
}

void RowChange::search()
{
    m_rows.clear();
    m_seen = 0;
    m_file->scanRecords([this](const TableLayout &layout) { prepare(layout); },
                        [this](const char *record) {
                            if (qualifies(record))
                                m_rows.push_back(m_seen);
                            ++m_seen;
                        });
    m_searched = true;
}

int RowChange::apply()
{
    if (!m_searched)
        search();
    int touched = 0;
    m_file->modify([&](const TableLayout &layout, quint32 &count) {
        if (!sameShape(layout)) {
            // Not the table that was searched: everything is looked at again.
            prepare(layout);
            m_rows.clear();
            m_seen = 0;
        }
        const qsizetype length = m_layout.recordLength;
        const quint32 perBlock = recordsPerBlock(m_layout);
        QByteArray block;
        // The rows as they were before this statement wrote them: a write the disk refuses
        // part-way puts them back, so that a failed statement changed no row, not even half of
        // one.
        std::vector<std::pair<quint32, QByteArray>> before;
        const auto visit = [&](quint32 first, quint32 n, auto &&wanted) {
            block.resize(qsizetype(n) * length);
            m_file->readRecords(layout, first, n, block.data());
            for (quint32 i = 0; i < n; ++i) {
                char *record = block.data() + qsizetype(i) * length;
                if (!wanted(first + i) || !qualifies(record))
                    continue;
                before.emplace_back(first + i, QByteArray(record, length));
                change(record);
                m_file->writeRecord(layout, first + i, record);
                ++touched;
            }
        };
        try {

            // The rows found, read again in runs of neighbours.
            const auto inTable =
                std::lower_bound(m_rows.begin(), m_rows.end(), std::min(m_seen, count));
            for (auto run = m_rows.begin(); run != inTable;) {
                const quint32 first = *run;
                auto end = run + 1;
                while (end != inTable && *end - first < perBlock)
                    ++end;
                const quint32 n = *(end - 1) - first + 1;
                visit(first, n, [&](quint32 index) { return std::binary_search(run, end, index); });
                run = end;
            }
            // The rows appended since the search.
            for (quint32 first = m_seen; first < count; first += perBlock)
                visit(first, std::min(perBlock, count - first), [](quint32) { return true; });

            if (touched > 0)
                m_file->finishChange(layout, count);
        } catch (...) {
            for (auto it = before.rbegin(); it != before.rend(); ++it) {
                try {
                    m_file->writeRecord(layout, it->first, it->second.constData());
                } catch (const Error &) {
                    // What the disk refused to change it also refuses to change back.
                }
            }
            throw;
        }
    });
    m_searched = false;
    return touched;
}

} // namespace dosarium
