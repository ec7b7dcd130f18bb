#include "store/Query.h"

#include "store/Engine.h"
#include "store/Error.h"
#include "store/FieldCodec.h"
#include "store/KeptRows.h"
#include "store/NumberAwareOrder.h"
#include "store/RecordFilter.h"

#include <algorithm>
#include <cmath>

namespace dosarium {

Query::Query(QObject *parent) : QObject(parent) {}

Query::~Query() = default;

void Query::clearSql()
{
    close();
    m_sql.clear();
}

void Query::appendSql(const QString &line)
{
    close();
    m_sql.append(line);
}

void Query::setSqlLine(int index, const QString &line)
{
    close();
    while (m_sql.size() <= index)
        m_sql.append(QString());
    m_sql[index] = line;
}

void Query::execSql()
{
    close();
    const Statement s = parseStatement(sqlText());
    if (s.returnsRows())
        throw Error(QStringLiteral("Instructiunea SELECT intoarce randuri: deschideti-o ca "
                                   "interogare."));
    Engine::execute(s);
}

void Query::execSql(const QStringList &lines)
{
    clearSql();
    for (const QString &line : lines)
        appendSql(line);
    execSql();
}

void Query::open()
{
    if (isOpen())
        return;
    const Statement s = parseStatement(sqlText());
    if (!s.returnsRows())
        throw Error(QStringLiteral("Instructiunea nu intoarce randuri: executati-o, nu o "
                                   "deschideti."));
    show(std::make_unique<RowSet>(
        m_keptColumns.isEmpty()
            ? Engine::select(s)
            : Engine::selectKept(s, m_keptColumns + QStringList{m_numberAwareOrder})));
}

void Query::refresh()
{
    if (isOpen() && m_rows->kept) {
        bool caughtUp = false;
        try {
            caughtUp = Engine::catchUpKept(*m_rows, parseStatement(sqlText()));
        } catch (const Error &) {
            // Read whole below, which says what is wrong when it is still wrong.
        }
        if (caughtUp) {
            std::unique_ptr<RowSet> rows = std::move(m_rows);
            m_visible.clear();
            show(std::move(rows));
            return;
        }
    }
    close();
    open();
}

void Query::refreshAs(const QStringList &lines)
{
    if (isOpen() && m_rows->kept && keepsRowsFor(parseStatement(lines.join(QLatin1Char('\n'))))) {
        m_sql = lines;
        refresh();
        return;
    }
    clearSql();
    for (const QString &line : lines)
        appendSql(line);
    open();
}

bool Query::keepsRowsFor(const Statement &next) const
{
    const Statement now = parseStatement(sqlText());
    if (!next.selectAll || next.distinct || next.table != now.table)
        return false;
    const KeptRows &kept = *m_rows->kept;
    const auto held = [&](const QString &column) {
        return kept.keeps(kept.layout().fieldIndex(column));
    };
    return std::all_of(next.orderBy.begin(), next.orderBy.end(), held) &&
           (m_numberAwareOrder.isEmpty() || kept.layout().fieldIndex(m_numberAwareOrder) < 0 ||
            held(m_numberAwareOrder));
}

void Query::show(std::unique_ptr<RowSet> rows)
{
    if (!m_numberAwareOrder.isEmpty()) {
        const int field = rows->layout.fieldIndex(m_numberAwareOrder);
        if (field >= 0 && rows->layout.fields.at(field).type == FieldType::Character) {
            if (rows->kept)
                rows->kept->sort(rows->rows, field, true);
            else
                sortRowsNumberAware(rows->layout, rows->data, rows->rows, field);
        }
    }
    std::vector<int> all(rows->rows.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    m_rows = std::move(rows);
    m_visible = std::move(all);
    if (m_filtered && !m_filter.trimmed().isEmpty()) {
        try {
            applyFilter(m_filter, true);
        } catch (...) {
            m_rows.reset();
            m_visible.clear();
            throw;
        }
    }
    m_current = m_visible.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_visible.empty();
    emit afterOpen();
    rowsChanged();
    scrolled();
}

void Query::close()
{
    if (!isOpen())
        return;
    m_rows.reset();
    m_visible.clear();
    m_current = -1;
    m_eof = m_bof = true;
    rowsChanged();
}

QString Query::notice() const
{
    return m_rows ? m_rows->notice : QString();
}

void Query::first()
{
    m_current = m_visible.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_visible.empty();
    scrolled();
}

void Query::next()
{
    if (m_current + 1 < recordCount()) {
        ++m_current;
        m_bof = false;
        m_eof = false;
        scrolled();
    } else {
        m_eof = true;
    }
}

void Query::prior()
{
    if (m_current > 0) {
        --m_current;
        m_bof = false;
        m_eof = false;
        scrolled();
    } else {
        m_bof = true;
    }
}

void Query::last()
{
    m_current = recordCount() - 1;
    m_eof = true;
    m_bof = m_visible.empty();
    scrolled();
}

void Query::moveTo(int row)
{
    if (row < 0 || row >= recordCount())
        return;
    m_current = row;
    m_bof = m_eof = false;
    scrolled();
}

int Query::fieldCount() const
{
    return (m_rows ? int(m_rows->layout.fields.size()) : 0) + int(m_calculated.size());
}

QString Query::fieldName(int column) const
{
    const int real = m_rows ? int(m_rows->layout.fields.size()) : 0;
    if (column < real)
        return m_rows->layout.fields.at(column).name;
    return m_calculated.at(column - real).name;
}

int Query::fieldIndex(const QString &name) const
{
    const int real = m_rows ? int(m_rows->layout.fields.size()) : 0;
    if (m_rows) {
        const int i = m_rows->layout.fieldIndex(name);
        if (i >= 0)
            return i;
    }
    for (int i = 0; i < m_calculated.size(); ++i) {
        if (m_calculated.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return real + i;
    }
    return -1;
}

int Query::requireField(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(QStringLiteral("Coloana %1 nu exista in rezultatul interogarii.").arg(name));
    return i;
}

Query::Value Query::valueAt(int row, int column) const
{
    const int position = m_visible[size_t(row)];
    const KeptRows *kept = m_rows->kept.get();
    if (!kept)
        return {&m_rows->layout, &m_rows->layout.fields.at(column), m_rows->record(position)};
    const quint32 keptRow = m_rows->rows[size_t(position)];
    if (!kept->keeps(column) && !kept->isAtHand(keptRow)) {
        // A grid asks for the rows below next: they are read together.
        constexpr int kAhead = 64;
        std::vector<quint32> rows;
        for (int r = row; r < std::min(recordCount(), row + kAhead); ++r)
            rows.push_back(m_rows->rows[size_t(m_visible[size_t(r)])]);
        kept->prefetch(rows);
    }
    return {&kept->valueLayout(), &kept->valueLayout().fields.at(column),
            kept->value(keptRow, column)};
}

QString Query::text(int row, int column) const
{
    if (!m_rows || row < 0 || row >= recordCount())
        return QString();
    const int real = int(m_rows->layout.fields.size());
    if (column >= real)
        return m_calculated.at(column - real).calculation(*this, row);
    const Value v = valueAt(row, column);
    return fieldText(*v.layout, *v.field, v.record);
}

QString Query::asString(const QString &field) const
{
    return text(m_current, requireField(field));
}

qint64 Query::asInteger(const QString &field) const
{
    const int column = requireField(field);
    const QString t = text(m_current, column).trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (ok)
        return v;
    const auto n = parseNumber(t);
    if (n && std::floor(*n) == *n && std::fabs(*n) < 9.2e18)
        return qint64(*n);
    throw Error(QStringLiteral("'%1' is not a valid integer value").arg(t));
}

QString Query::asStoredText(const QString &field) const
{
    const int column = requireField(field);
    if (!m_rows || m_current < 0 || column >= int(m_rows->layout.fields.size()))
        return text(m_current, column);
    const Value value = valueAt(m_current, column);
    const QByteArrayView v = fieldBytesTrimmed(*value.field, value.record);
    return m_rows->layout.codePage->decode(v.data(), v.size()).trimmed();
}

QDate Query::asDate(const QString &field) const
{
    const int column = requireField(field);
    if (m_rows && m_current >= 0 && column < int(m_rows->layout.fields.size())) {
        const Value value = valueAt(m_current, column);
        if (value.field->type == FieldType::Date) {
            const QDate d = fieldDate(*value.field, value.record);
            return d.isValid() ? d : zeroDate();
        }
    }
    const QDate d = parseDisplayDate(text(m_current, column));
    return d.isValid() ? d : zeroDate();
}

bool Query::locate(const QString &field, const QString &value)
{
    const int column = requireField(field);
    const bool real = m_rows && column < int(m_rows->layout.fields.size());
    std::function<bool(int)> holds = [&](int row) { return text(row, column) == value; };
    // A number column is searched by its numbers first; only a row whose number equals the
    // value is compared as text.
    if (real && m_rows->layout.fields.at(column).isNumber()) {
        bool ok = false;
        const double wanted = value.trimmed().toDouble(&ok);
        if (!ok)
            return false;
        holds = [&, wanted](int row) {
            const Value v = valueAt(row, column);
            const auto n = fieldNumber(*v.field, v.record);
            return n && *n == wanted && text(row, column) == value;
        };
    }
    // A column held apart: each distinct value is looked at once.
    std::vector<char> kept;
    if (real && m_rows->kept && m_rows->kept->keeps(column)) {
        const KeptRows &rows = *m_rows->kept;
        const Field &f = rows.valueLayout().fields.at(column);
        kept = rows.whereValue(
            column, [&](const char *v) { return fieldText(rows.valueLayout(), f, v) == value; });
        holds = [&](int row) { return kept[m_rows->rows[size_t(m_visible[size_t(row)])]] != 0; };
    }
    for (int row = 0; row < recordCount(); ++row) {
        if (holds(row)) {
            m_current = row;
            m_bof = m_eof = false;
            scrolled();
            return true;
        }
    }
    return false;
}

std::optional<QStringList> Query::distinctTexts(const QString &field) const
{
    if (!m_rows || !m_rows->kept)
        return std::nullopt;
    const int column = m_rows->layout.fieldIndex(field);
    if (column < 0 || !m_rows->kept->keeps(column))
        return std::nullopt;
    return m_rows->kept->distinctTexts(column);
}

void Query::addCalculatedField(const QString &name, Calculation calculation)
{
    m_calculated.append({name.toUpper(), std::move(calculation)});
}

void Query::applyFilter(const QString &text, bool on)
{
    std::vector<int> visible;
    if (on && !text.trimmed().isEmpty() && m_rows->kept) {
        const KeptRows &kept = *m_rows->kept;
        const RecordFilter filter(text, kept.valueLayout(), m_rows->tableName);
        const std::vector<char> pass = kept.passing(filter);
        for (int i = 0; i < m_rows->size(); ++i) {
            if (pass[m_rows->rows[size_t(i)]])
                visible.push_back(i);
        }
    } else if (on && !text.trimmed().isEmpty()) {
        const RecordFilter filter(text, m_rows->layout, m_rows->tableName);
        visible.reserve(m_rows->rows.size());
        for (int i = 0; i < m_rows->size(); ++i) {
            if (filter.matches(m_rows->record(i)))
                visible.push_back(i);
        }
    } else {
        visible.resize(m_rows->rows.size());
        for (size_t i = 0; i < visible.size(); ++i)
            visible[i] = int(i);
    }
    m_visible = std::move(visible);
}

void Query::setFilter(const QString &text)
{
    if (text == m_filter)
        return;
    if (isOpen() && m_filtered) {
        applyFilter(text, true);
        m_filter = text;
        rowsChanged();
        first();
        return;
    }
    if (!isOpen() && m_filtered)
        parseRecordFilter(text); // a text that cannot be read is refused at once
    m_filter = text;
}

void Query::setFiltered(bool on)
{
    if (on == m_filtered)
        return;
    if (isOpen()) {
        applyFilter(m_filter, on);
        m_filtered = on;
        rowsChanged();
        first();
        return;
    }
    m_filtered = on;
}

void Query::disableControls()
{
    ++m_disabled;
}

void Query::enableControls()
{
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0) {
        emit dataSetChanged();
        emit currentRowChanged(m_current);
    }
}

void Query::rowsChanged()
{
    if (m_disabled == 0)
        emit dataSetChanged();
}

void Query::scrolled()
{
    emit afterScroll();
    if (m_disabled == 0)
        emit currentRowChanged(m_current);
}

} // namespace dosarium
