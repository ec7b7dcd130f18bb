// The text forms of dates and times that the whole program writes: the short date "dd.MM.yyyy"
// whatever the regional settings, and the time of day in the system's long time format.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace dosarium {

QString shortDateText(const QDate &date);

// The date a person typed: "dd.mm.yyyy", "d.m.yyyy" (either part on one or two digits) or the
// eight digits "ddmmyyyy"; the year from 1900 to 2100. An invalid date for anything else, and for
// a day the calendar does not have (31.02, 00.13).
QDate typedDate(const QString &text);

// Hours, minutes and seconds with the system's separators, without a time-zone part.
QString longTimeText(const QTime &time);

// The system's long time format with any time-zone part left out.
QString longTimeFormat();

} // namespace dosarium
