// The activity log table Log.dbf of a data folder, in one place: its file name, its columns, the
// statements that create, upgrade and trim it. Every other module reaches the table through this
// one.
#pragma once

#include <QString>
#include <functional>

namespace dosarium {

class Query;

// Entries the log keeps at a start: older ones go when the newest id exceeds theirs by more.
constexpr qint64 kLogRetention = 10000;

class LogTable {
public:
    // The name the table is looked up by (in any letter case), and the name a new one is given.
    static inline const QString kFileName = QStringLiteral("Log.dbf");
    static inline const QString kNewFileName = QStringLiteral("LOG.DBF");

    static inline const QString kId = QStringLiteral("IDLOG"); // also the counter's key in Dsm.in
    static inline const QString kDate = QStringLiteral("DATAL");
    static inline const QString kTime = QStringLiteral("ORA");
    static inline const QString kAction = QStringLiteral("ACTIUNE");
    static inline const QString kWorkstationUser = QStringLiteral("UTILIZATOR");
    // The name under which the person signed in to the program; added at the end by upgrade(),
    // so that the statements of workstations that do not know it still run.
    static inline const QString kProgramUser = QStringLiteral("NUMEUTIL");

    // The table's path in `dataDir` (not resolved against the folder's letter case).
    static QString path(const QString &dataDir);

    // Creates the table when the folder has none in any letter case.
    static void create(Query &sx, const QString &dataDir, const std::function<void()> &yield);

    // Adds the program-user column to a log that lacks it; the entries already there keep it
    // empty.
    static void upgrade(Query &sx, const QString &dataDir, const std::function<void()> &yield);

    // Deletes the entries whose id is more than kLogRetention below the newest entry's, once the
    // log holds kLogRetention rows or more.
    static void trim(Query &sx, const QString &dataDir, const std::function<void()> &yield);

    // The column list of an INSERT: with the program-user column when the log has it.
    static QString insertColumns(bool withProgramUser);
};

} // namespace dosarium
