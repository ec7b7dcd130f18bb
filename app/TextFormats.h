// The text forms of dates and times that the whole program writes: the short date "dd.MM.yyyy"
// whatever the regional settings, and the time of day in the system's long time format.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace dosarium {

QString shortDateText(const QDate &date);

// Hours, minutes and seconds with the system's separators, without a time-zone part.
QString longTimeText(const QTime &time);

// The system's long time format with any time-zone part left out.
QString longTimeFormat();

} // namespace dosarium
