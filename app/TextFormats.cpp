#include "app/TextFormats.h"

#include "store/FieldCodec.h"

#include <QLocale>
#include <QRegularExpression>

namespace dosarium {

QString shortDateText(const QDate &date)
{
    return date.toString(kShortDateFormat);
}

QDate typedDate(const QString &text)
{
    static const QRegularExpression dotted(
        QStringLiteral("^([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{4})$"));
    static const QRegularExpression digits(QStringLiteral("^([0-9]{2})([0-9]{2})([0-9]{4})$"));
    QRegularExpressionMatch match = dotted.match(text);
    if (!match.hasMatch())
        match = digits.match(text);
    if (!match.hasMatch())
        return QDate();
    const int year = match.captured(3).toInt();
    if (year < 1900 || year > 2100)
        return QDate();
    // QDate refuses a day or a month the calendar does not have.
    return QDate(year, match.captured(2).toInt(), match.captured(1).toInt());
}

QString longTimeFormat()
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    // Time-zone letters ("t", "tt", ...) outside quotes go, with the blank before them.
    QString kept;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        kept += c;
    }
    kept = kept.trimmed();
    if (!kept.contains(QLatin1Char('s')))
        return QStringLiteral("HH:mm:ss");
    return kept;
}

QString longTimeText(const QTime &time)
{
    return QLocale::system().toString(time, longTimeFormat());
}

} // namespace dosarium
