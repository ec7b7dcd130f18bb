#include "app/QueryText.h"

namespace dosarium {

namespace {

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}

} // namespace

QString trimmedText(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString CleanText(const QString &text)
{
    const QString trimmed = trimmedText(text);
    QString cleaned;
    cleaned.reserve(trimmed.size());
    for (const QChar c : trimmed) {
        if (c == QLatin1Char(' ') && cleaned.endsWith(QLatin1Char(' ')))
            continue;
        cleaned.append(c == QLatin1Char('"') ? QLatin1Char('`') : c);
    }
    return cleaned;
}

QString JoinConditions(const QString &text)
{
    const QString trimmed = trimmedText(text);
    QString joined;
    joined.reserve(trimmed.size() + 16);
    // Quoted values are written with a doubled quote for a quote inside them, so a quote
    // toggles "inside a value" and a doubled one toggles twice.
    QChar quote;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        joined.append(c);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char(')') && i + 1 < trimmed.size() &&
                   trimmed.at(i + 1) == QLatin1Char('(')) {
            joined.append(QStringLiteral(" AND "));
        }
    }
    return joined;
}

} // namespace dosarium
