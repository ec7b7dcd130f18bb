#include "register/RegisterFilter.h"

#include "app/ActsTable.h"
#include "app/QueryText.h"
#include "store/Statement.h"

namespace dosarium {

namespace {

QString textCondition(const QString &field, const PickChoice &choice)
{
    if (choice.position <= 0)
        return QString();
    return QLatin1Char('(') + field + QLatin1Char('=') + quoteFilterText(choice.text) +
           QLatin1Char(')');
}

} // namespace

QString RegisterFilterText(const RegisterChoices &c)
{
    QString conditions;
    if (c.anul.position > 0) {
        // The year list holds the numbers the table gave; anything else can only match nothing.
        bool number = false;
        const qint64 year = c.anul.text.trimmed().toLongLong(&number);
        const QString yearIs = QLatin1Char('(') + ActsTable::kYear + QStringLiteral("=%1)");
        conditions += number ? yearIs.arg(year) : yearIs.arg(quoteFilterText(c.anul.text));
    }
    conditions += textCondition(ActsTable::kSeries, c.seria);
    conditions += textCondition(ActsTable::kNumber, c.nr);
    conditions += textCondition(ActsTable::kDomain, c.domeniul);
    conditions += textCondition(ActsTable::kSubdomain, c.subdom);
    conditions += textCondition(ActsTable::kTitle, c.titlu);
    if (c.luna.position > 0)
        conditions += QLatin1Char('(') + ActsTable::kMonth + QLatin1Char('=') +
                      QString::number(c.luna.position) + QLatin1Char(')');
    return JoinConditions(conditions);
}

} // namespace dosarium
