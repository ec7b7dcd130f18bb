#include "store/ColumnTest.h"

#include "store/Error.h"

namespace dosarium {

ColumnTest::ColumnTest(const TableLayout &layout, const QString &tableName,
                       const Condition &condition, bool strict)
    : m_layout(&layout), m_op(condition.op)
{
    const int index = layout.fieldIndex(condition.column);
    if (index < 0)
        throw Error(
            QStringLiteral("Coloana %1 nu exista in tabelul %2.").arg(condition.column, tableName));
    m_field = layout.fields.at(index);
    const Literal &v = condition.value;
    m_emptyLiteral = v.kind == Literal::Kind::Text && v.text.trimmed().isEmpty();
    switch (m_field.type) {
    case FieldType::Character: {
        auto bytes = layout.codePage->tryEncode(v.text);
        if (!bytes) {
            m_never = true;
            break;
        }
        // Stored texts lose their trailing blanks and are cut to the column width.
        QByteArray b = bytes->left(m_field.length);
        while (b.endsWith(' '))
            b.chop(1);
        m_bytes = b;
        break;
    }
    case FieldType::Numeric:
    case FieldType::Float:
        if (m_emptyLiteral)
            break;
        m_number = parseNumber(v.text);
        if (!m_number) {
            if (strict)
                throw Error(QStringLiteral("Valoarea \"%1\" nu este un numar (coloana %2).")
                                .arg(v.text, m_field.name));
            m_never = true;
        }
        break;
    case FieldType::Date:
        if (m_emptyLiteral)
            break;
        m_date = v.kind == Literal::Kind::Text ? parseDisplayDate(v.text) : QDate();
        if (!m_date.isValid()) {
            if (strict)
                throw Error(QStringLiteral("\"%1\" nu este o data valida (coloana %2).")
                                .arg(v.text, m_field.name));
            m_never = true;
        }
        break;
    case FieldType::Logical:
        m_bytes = v.text.trimmed().toUpper().toLatin1();
        break;
    case FieldType::Memo:
        m_never = true;
        break;
    }
}

template <typename T> bool ColumnTest::compare(const T &a, const T &b) const
{
    switch (m_op) {
    case CompareOp::Equal:
        return a == b;
    case CompareOp::NotEqual:
        return a != b;
    case CompareOp::Less:
        return a < b;
    case CompareOp::LessOrEqual:
        return a <= b;
    case CompareOp::Greater:
        return a > b;
    case CompareOp::GreaterOrEqual:
        return a >= b;
    }
    return false;
}

bool ColumnTest::matches(const char *record) const
{
    if (m_never)
        return false;
    switch (m_field.type) {
    case FieldType::Character: {
        const QByteArrayView v = fieldBytesTrimmed(m_field, record);
        if (m_op == CompareOp::Equal)
            return v == QByteArrayView(m_bytes);
        if (m_op == CompareOp::NotEqual)
            return v != QByteArrayView(m_bytes);
        const int c =
            m_layout->codePage->compare(v.data(), v.size(), m_bytes.constData(), m_bytes.size());
        return compare(c, 0);
    }
    case FieldType::Numeric:
    case FieldType::Float: {
        const auto n = fieldNumber(m_field, record);
        if (m_emptyLiteral)
            return (m_op == CompareOp::Equal) == !n.has_value();
        return n.has_value() && compare(*n, *m_number);
    }
    case FieldType::Date: {
        const QDate d = fieldDate(m_field, record);
        if (m_emptyLiteral)
            return (m_op == CompareOp::Equal) == !d.isValid();
        return d.isValid() && compare(d.toJulianDay(), m_date.toJulianDay());
    }
    case FieldType::Logical: {
        const QByteArray v = fieldText(*m_layout, m_field, record).toLatin1();
        return compare(v, m_bytes);
    }
    case FieldType::Memo:
        return false;
    }
    return false;
}

} // namespace dosarium
