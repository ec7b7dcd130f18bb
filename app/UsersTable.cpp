#include "app/UsersTable.h"

#include "store/FilePath.h"
#include "store/Statement.h"

namespace dosarium {

QString UsersTable::path(const QString &tempDir)
{
    return joinPath(tempDir, kFileName);
}

QStringList UsersTable::createStatement(const QString &path)
{
    return {QStringLiteral("CREATE TABLE ") + quoteText(path),
            QLatin1Char('(') + kName + QStringLiteral(" CHAR(32), ") + kPassword +
                QStringLiteral(" CHAR(32), ") + kRank + QStringLiteral(" DECIMAL(6,0))")};
}

QString UsersTable::insertColumns()
{
    return QLatin1Char('(') + kName + QStringLiteral(", ") + kPassword + QStringLiteral(", ") +
           kRank + QLatin1Char(')');
}

} // namespace dosarium
