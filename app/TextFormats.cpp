#include "app/TextFormats.h"

#include "store/FieldCodec.h"

#include <QLocale>

namespace dosarium {

QString shortDateText(const QDate &date)
{
    return date.toString(kShortDateFormat);
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
