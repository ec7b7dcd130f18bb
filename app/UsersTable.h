// The users table u.dbf that the user administration builds in the temporary folder from the
// user file, in one place: its file name, its columns and the statements that make and fill it.
#pragma once

#include <QString>
#include <QStringList>

namespace dosarium {

class UsersTable {
public:
    static inline const QString kFileName = QStringLiteral("u.dbf");

    static inline const QString kName = QStringLiteral("NUME");
    static inline const QString kPassword = QStringLiteral("PAROLA");
    static inline const QString kRank = QStringLiteral("RANG");
    // Not stored: the rank's name, computed beside its number for the list.
    static inline const QString kRankText = QStringLiteral("RANGT");

    // The table's path in `tempDir`.
    static QString path(const QString &tempDir);

    // The statement that creates the table at `path`.
    static QStringList createStatement(const QString &path);

    // The column list of an INSERT of a whole row: "(NUME, PAROLA, RANG)".
    static QString insertColumns();
};

} // namespace dosarium
