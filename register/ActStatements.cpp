#include "register/ActStatements.h"

#include "app/TextFormats.h"
#include "store/FieldCodec.h"
#include "store/Statement.h"

#include <QFileInfo>

namespace dosarium {

namespace {

QString quotedLine(const QString &value, const char *after)
{
    return quoteText(value) + QLatin1String(after);
}

// "COLUMN=" of an UPDATE's assignment.
QString set(const QString &column)
{
    return column + QLatin1Char('=');
}

QString whereId(const QString &id)
{
    return QStringLiteral("WHERE ") + set(ActsTable::kId) + id;
}

} // namespace

QString fileExtension(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
}

QStringList insertActStatement(const QString &actePath, const QString &id, const ActEntry &act,
                               const QString &extension)
{
    return {
        QStringLiteral("INSERT INTO ") + quoteText(actePath),
        QLatin1Char('(') +
            QStringList{ActsTable::kId, ActsTable::kYear, ActsTable::kMonth, ActsTable::kDate,
                        ActsTable::kDomain, ActsTable::kSubdomain, ActsTable::kTitle,
                        ActsTable::kSeries, ActsTable::kNumber, ActsTable::kCode,
                        ActsTable::kExtension, ActsTable::kNote}
                .join(QStringLiteral(", ")) +
            QStringLiteral(" )"),
        QStringLiteral("VALUES ("),
        id + QLatin1Char(','),
        QString::number(act.date.year()) + QLatin1Char(','),
        QString::number(act.date.month()) + QLatin1Char(','),
        quotedLine(shortDateText(act.date), ","),
        quotedLine(act.domeniul, ","),
        quotedLine(act.subdom, ","),
        quotedLine(act.titlu, ","),
        quotedLine(act.seria, ","),
        quotedLine(act.nr, ","),
        quotedLine(act.cod, ","),
        quotedLine(extension, ","),
        quotedLine(act.obs, " )"),
    };
}

QStringList updateActStatement(const QString &actePath, const QString &id, const ActEntry &act,
                               const QString *extension)
{
    QStringList lines{QStringLiteral("UPDATE ") + quoteText(actePath)};
    if (!act.keepsStoredDate)
        lines << QStringLiteral("SET ") + set(ActsTable::kDate) +
                     quotedLine(shortDateText(act.date), ",")
              << set(ActsTable::kYear) + QString::number(act.date.year()) + QLatin1Char(',')
              << set(ActsTable::kMonth) + QString::number(act.date.month()) + QLatin1Char(',');
    lines.append(QStringList{
        QLatin1String(act.keepsStoredDate ? "SET " : "") + set(ActsTable::kSeries) +
            quotedLine(act.seria, ","),
        set(ActsTable::kNumber) + quotedLine(act.nr, ","),
        set(ActsTable::kCode) + quotedLine(act.cod, ","),
        set(ActsTable::kDomain) + quotedLine(act.domeniul, ","),
        set(ActsTable::kSubdomain) + quotedLine(act.subdom, ","),
        set(ActsTable::kTitle) + quotedLine(act.titlu, ","),
        set(ActsTable::kNote) + quoteText(act.obs),
    });
    if (extension)
        lines << QLatin1Char(',') + set(ActsTable::kExtension) + quoteText(*extension);
    lines << whereId(id);
    return lines;
}

QStringList deleteActStatement(const QString &actePath, const QString &id)
{
    return {QStringLiteral("DELETE FROM ") + quoteText(actePath), whereId(id)};
}

QString addedLogText(const ActEntry &act)
{
    return QStringLiteral("Adaugare Act ") + act.nr + QLatin1Char('/') + shortDateText(act.date) +
           QStringLiteral(" - Domeniul: ") + act.domeniul;
}

QString modifiedLogText(const ActEntry &act)
{
    return QStringLiteral("Modificare Act ") + act.nr + QLatin1Char('/') + shortDateText(act.date) +
           QStringLiteral(" - Domeniul: ") + act.domeniul;
}

QString deletedLogText(const StoredAct &act)
{
    // An empty date reads as the zero date: it is left out rather than shown as 30.12.1899.
    const QString date = act.date == zeroDate() ? QString() : shortDateText(act.date);
    return QStringLiteral("Stergere Act Domeniul: ") + act.domeniul + QLatin1Char('/') +
           QString::number(act.year) + QStringLiteral(" - Nr. ") + act.nr + QLatin1Char('/') +
           date + QStringLiteral(" - Titlul: ") + act.titlu;
}

QString actNamed(const QString &nr, const QDate &date, const QString &titlu)
{
    QString text = QStringLiteral("nr. ") + nr;
    if (date.isValid() && date != zeroDate())
        text += QStringLiteral(" din ") + shortDateText(date);
    if (!titlu.isEmpty())
        text += QStringLiteral(" (") + titlu + QLatin1Char(')');
    return text;
}

} // namespace dosarium
