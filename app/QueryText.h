// The texts the windows build from what a user typed or chose: cleaned entries and the record
// filter of the register's pick lists.
#pragma once

#include <QString>

namespace dosarium {

// Without blanks and control characters at either end, every run of blanks made one blank, and
// every double quote turned into a backquote.
QString CleanText(const QString &text);

// Bracketed conditions written one after the other, joined by " AND " ("(A=1)(B=2)" gives
// "(A=1) AND (B=2)"); empty text when nothing but blanks is given. A ")(" inside a quoted text
// value is part of the value and never joined.
QString JoinConditions(const QString &text);

// The text without blanks and control characters at either end.
QString trimmedText(const QString &text);

} // namespace dosarium
