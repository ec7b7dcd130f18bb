#include "app/ActivityLog.h"

#include "app/LogTable.h"
#include "app/SettingsFile.h"
#include "app/TextFormats.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"

#include <QDir>

namespace dosarium {

QString NextId(const QString &dataDir, const QString &counter)
{
    // The id is the number read, in its canonical digits: "0004" or "+4" hands out 4, the
    // text that names the act's file and the text its row holds; blanks or stray bytes around
    // the stored number never reach a statement.
    SettingsFile settings(dataDir);
    const QString path = settings.path();
    qint64 taken = 1;
    settings.update(QStringLiteral("INDEX"), counter, [&](const QString &value) {
        const QString id = value.isEmpty() ? QStringLiteral("1") : value;
        bool ok = false;
        const qint64 number = id.toLongLong(&ok);
        if (!ok || number == std::numeric_limits<qint64>::max())
            throw Error(QStringLiteral("'%1' is not a valid integer value").arg(id) +
                        QStringLiteral("\rContorul %1 din fisierul de setari %2 nu este un "
                                       "numar intreg, asa ca programul nu poate da numere "
                                       "noi. Reparati-l cu \"dosarium-arhiva verifica "
                                       "--repara %3\" sau corectati valoarea in fisier.")
                            .arg(counter, QDir::toNativeSeparators(path),
                                 QDir::toNativeSeparators(dataDir)));
        taken = number;
        return QString::number(number + 1);
    });
    return QString::number(taken);
}

void WriteLog(Query &sx, const AppContext &context, const QString &action, const QDateTime &now,
              const QString &programUser)
{
    const QString log = LogTable::path(context.DataDir);
    const QString id = NextId(context.DataDir, LogTable::kId);
    // A log of a folder that no start of this version has upgraded yet has no such column.
    const bool named =
        Engine::readLayout(resolveFileName(log)).fieldIndex(LogTable::kProgramUser) >= 0;
    sx.clearSql();
    sx.appendSql(QStringLiteral("INSERT INTO ") + quoteText(log));
    sx.appendSql(LogTable::insertColumns(named));
    sx.appendSql(QStringLiteral("VALUES ("));
    sx.appendSql(id + QLatin1Char(','));
    sx.appendSql(quoteText(shortDateText(now.date())) + QLatin1Char(','));
    sx.appendSql(quoteText(longTimeText(now.time())) + QLatin1Char(','));
    sx.appendSql(quoteText(action) + QLatin1Char(','));
    if (named) {
        sx.appendSql(quoteText(context.WorkstationUser) + QLatin1Char(','));
        sx.appendSql(quoteText(programUser) + QLatin1Char(')'));
    } else {
        sx.appendSql(quoteText(context.WorkstationUser) + QLatin1Char(')'));
    }
    sx.execSql();
}

} // namespace dosarium
