#include "store/RecordFilter.h"

#include "store/Error.h"

namespace dosarium {

namespace {

class FilterReader {
public:
    explicit FilterReader(const QString &text) : m_text(text) {}

    QVector<FilterCondition> read()
    {
        QVector<FilterCondition> out;
        skipBlanks();
        if (atEnd())
            return out;
        for (;;) {
            out << condition();
            skipBlanks();
            if (atEnd())
                return out;
            if (!acceptAnd())
                fail(QStringLiteral("se astepta AND"));
        }
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw SyntaxError(QStringLiteral("Filtrul \"%1\" nu poate fi citit: %2 (pozitia %3).")
                              .arg(m_text, why)
                              .arg(m_pos + 1));
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar at() const { return atEnd() ? QChar() : m_text.at(m_pos); }
    void skipBlanks()
    {
        while (!atEnd() && at().isSpace())
            ++m_pos;
    }
    void expect(QChar c)
    {
        skipBlanks();
        if (at() != c)
            fail(QStringLiteral("se astepta \"%1\"").arg(c));
        ++m_pos;
    }
    bool acceptAnd()
    {
        if (m_text.mid(m_pos, 3).compare(QLatin1String("AND"), Qt::CaseInsensitive) != 0)
            return false;
        m_pos += 3;
        return true;
    }
    FilterCondition condition()
    {
        FilterCondition c;
        expect(QLatin1Char('('));
        skipBlanks();
        const qsizetype start = m_pos;
        while (!atEnd() && (at().isLetterOrNumber() || at() == QLatin1Char('_')))
            ++m_pos;
        c.column = m_text.mid(start, m_pos - start).toUpper();
        if (c.column.isEmpty())
            fail(QStringLiteral("lipseste numele coloanei"));
        expect(QLatin1Char('='));
        skipBlanks();
        if (at() == QLatin1Char('\'')) {
            ++m_pos;
            QString value;
            for (;;) {
                if (atEnd())
                    fail(QStringLiteral("textul nu se inchide cu '"));
                if (at() == QLatin1Char('\'')) {
                    if (m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                value += at();
                ++m_pos;
            }
            c.value = Literal::ofText(value);
        } else {
            const qsizetype begin = m_pos;
            if (at() == QLatin1Char('-') || at() == QLatin1Char('+'))
                ++m_pos;
            while (!atEnd() && (at().isDigit() || at() == QLatin1Char('.')))
                ++m_pos;
            const QString number = m_text.mid(begin, m_pos - begin);
            if (!parseNumber(number))
                fail(QStringLiteral("se astepta un numar sau un text intre apostrofuri"));
            c.value = Literal::ofNumber(number);
        }
        expect(QLatin1Char(')'));
        return c;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
};

} // namespace

QVector<FilterCondition> parseRecordFilter(const QString &text)
{
    return FilterReader(text).read();
}

RecordFilter::RecordFilter(const QString &text, const TableLayout &layout, const QString &tableName)
{
    for (const FilterCondition &c : parseRecordFilter(text)) {
        const int field = layout.fieldIndex(c.column);
        if (field < 0)
            throw SyntaxError(QStringLiteral("Filtrul \"%1\" nu poate fi aplicat: coloana %2 nu "
                                             "exista in %3.")
                                  .arg(text, c.column, tableName));
        m_tests.append(
            ColumnTest(layout, tableName, Condition{c.column, CompareOp::Equal, c.value}, false));
        m_fields.append(field);
    }
}

bool RecordFilter::matches(const char *record) const
{
    for (const ColumnTest &t : m_tests) {
        if (!t.matches(record))
            return false;
    }
    return true;
}

} // namespace dosarium
