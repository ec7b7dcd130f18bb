#include "widgets/HintBalloonContent.h"

#include <QStringList>

namespace dosarium {

namespace {

const QChar Separator = QLatin1Char(';');
const QChar Quote = QLatin1Char('\'');

QString item(const QString &key, const QString &value)
{
    const QString text = key + QLatin1Char('=') + value;
    bool needsQuotes = text.isEmpty();
    for (QChar c : text) {
        if (c == Separator || c == Quote || c.unicode() <= 0x20) {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes)
        return text;
    QString quoted = text;
    quoted.replace(Quote, QStringLiteral("''"));
    return Quote + quoted + Quote;
}

// Splits the description into its items, undoing the quotes.
QStringList items(const QString &description)
{
    QStringList result;
    qsizetype i = 0;
    const qsizetype n = description.size();
    while (i < n) {
        QString current;
        if (description.at(i) == Quote) {
            ++i;
            while (i < n) {
                if (description.at(i) == Quote) {
                    if (i + 1 < n && description.at(i + 1) == Quote) {
                        current += Quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                current += description.at(i++);
            }
            // Anything between the closing quote and the separator belongs to the item too.
            while (i < n && description.at(i) != Separator)
                current += description.at(i++);
        } else {
            while (i < n && description.at(i) != Separator)
                current += description.at(i++);
        }
        result.append(current);
        ++i; // the separator
    }
    return result;
}

} // namespace

QString HintBalloonContent::toDescription() const
{
    const QStringList list = {
        item(QStringLiteral("IconeResName"), iconResName),
        item(QStringLiteral("Title"), title),
        item(QStringLiteral("Text"), text),
        item(QStringLiteral("MainPanelBestWidth"), QString::number(bestWidth)),
        item(QStringLiteral("MainPanelMaxWidth"), QString::number(maxWidth)),
        item(QStringLiteral("MainPanelMaxHeight"), QString::number(maxHeight)),
    };
    return list.join(Separator);
}

HintBalloonContent HintBalloonContent::fromDescription(const QString &description)
{
    HintBalloonContent content;
    for (const QString &entry : items(description)) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = entry.left(equals).trimmed();
        const QString value = entry.mid(equals + 1);
        if (key.compare(QLatin1String("IconeResName"), Qt::CaseInsensitive) == 0)
            content.iconResName = value;
        else if (key.compare(QLatin1String("Title"), Qt::CaseInsensitive) == 0)
            content.title = value;
        else if (key.compare(QLatin1String("Text"), Qt::CaseInsensitive) == 0)
            content.text = value;
        else if (key.compare(QLatin1String("MainPanelBestWidth"), Qt::CaseInsensitive) == 0)
            content.bestWidth = value.toInt();
        else if (key.compare(QLatin1String("MainPanelMaxWidth"), Qt::CaseInsensitive) == 0)
            content.maxWidth = value.toInt();
        else if (key.compare(QLatin1String("MainPanelMaxHeight"), Qt::CaseInsensitive) == 0)
            content.maxHeight = value.toInt();
    }
    return content;
}

} // namespace dosarium
