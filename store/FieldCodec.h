// Conversion between the stored bytes of a column and the values the program reads and writes.
#pragma once

#include "store/TableLayout.h"

#include <QDate>
#include <QString>
#include <optional>

namespace dosarium {

// The one form in which the program writes and shows dates, whatever the regional settings.
inline const QString kShortDateFormat = QStringLiteral("dd.MM.yyyy");
// The date an empty date reads as: day zero of the date system.
inline QDate zeroDate()
{
    return QDate(1899, 12, 30);
}

// A literal of a statement: text (between double quotes) or a bare number.
struct Literal {
    enum class Kind { Text, Number };
    Kind kind = Kind::Text;
    QString text; // the text, or the number as written

    static Literal ofText(const QString &t) { return {Kind::Text, t}; }
    static Literal ofNumber(const QString &t) { return {Kind::Number, t}; }
};

// Text form of a stored value: text without trailing blanks, numbers without padding (and
// without decimals when the column has none), dates as dd.MM.yyyy, empty values as "".
QString fieldText(const TableLayout &layout, const Field &field, const char *record);

std::optional<double> fieldNumber(const Field &field, const char *record);
QDate fieldDate(const Field &field, const char *record); // invalid when empty or impossible

// The stored bytes of a text column without trailing blanks.
QByteArrayView fieldBytesTrimmed(const Field &field, const char *record);

// Writes a literal into a record. Text is cut to the column width; a number that does not fit,
// a text that is no number for a number column, or an impossible date throws Error naming the
// column and the value.
void writeField(const TableLayout &layout, const Field &field, char *record, const Literal &value);
void writeDate(const Field &field, char *record, const QDate &date);
// writeField for the values of a statement: a text the code page cannot hold also names the
// column.
void writeStatementValue(const TableLayout &layout, const Field &field, char *record,
                         const Literal &value);

std::optional<double> parseNumber(QByteArrayView text);
std::optional<double> parseNumber(const QString &text);
// "dd.MM.yyyy" (day and month may have one digit); invalid QDate when it is no real date.
QDate parseDisplayDate(const QString &text);
QString formatDisplayDate(const QDate &date);

} // namespace dosarium
