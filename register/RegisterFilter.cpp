#include "register/RegisterFilter.h"

#include "app/QueryText.h"
#include "store/Statement.h"

namespace dosarium {

namespace {

QString textCondition(const char *field, const PickChoice &choice)
{
    if (choice.position <= 0)
        return QString();
    return QLatin1Char('(') + QLatin1String(field) + QLatin1Char('=') +
           quoteFilterText(choice.text) + QLatin1Char(')');
}

} // namespace

QString RegisterFilterText(const RegisterChoices &c)
{
    QString conditions;
    if (c.anul.position > 0) {
        // The year list holds the numbers the table gave; anything else can only match nothing.
        bool number = false;
        const qint64 year = c.anul.text.trimmed().toLongLong(&number);
        conditions += number ? QStringLiteral("(ANUL=%1)").arg(year)
                             : QStringLiteral("(ANUL=%1)").arg(quoteFilterText(c.anul.text));
    }
    conditions += textCondition("SERIA", c.seria);
    conditions += textCondition("NR", c.nr);
    conditions += textCondition("DOMENIUL", c.domeniul);
    conditions += textCondition("SUBDOM", c.subdom);
    conditions += textCondition("TITLU", c.titlu);
    if (c.luna.position > 0)
        conditions += QStringLiteral("(LUNA=%1)").arg(c.luna.position);
    return JoinConditions(conditions);
}

} // namespace dosarium
