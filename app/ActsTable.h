// The documents table Acte.dbf of a data folder, in one place: its file name, its columns, the
// statements that create and upgrade it, the reading of its rows into acts, and the archived file
// a row names. Every other module reaches the table through this one.
#pragma once

#include "store/TableLayout.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace dosarium {

class Query;
class Table;

// An act as a row of the table holds it (the register's current row, for one).
struct StoredAct {
    QString id; // IDACT as text: an act number in its canonical digits, or the stored characters
    qint64 year = 0;
    QDate date; // invalid when the row's date is empty
    QString seria, nr, cod, domeniul, subdom, titlu, obs, extensie;
};

// One live row of the table as the archive sees it: the fields that place its file.
struct ActRow {
    quint32 record = 0;       // 0-based, in the table's order, deleted rows counted
    QString idText;           // as actIdText gives it for the stored characters
    std::optional<qint64> id; // an act number; nothing for any other value
    qint64 year = 0;          // 0 for a value that is no whole number
    QString domain, subdomain;
};

class ActsTable {
public:
    // The name the table is looked up by (in any letter case), and the name a new one is given.
    static inline const QString kFileName = QStringLiteral("Acte.dbf");
    static inline const QString kNewFileName = QStringLiteral("Acte.DBF");

    static inline const QString kId = QStringLiteral("IDACT"); // also the counter's key in Dsm.in
    static inline const QString kYear = QStringLiteral("ANUL");
    static inline const QString kMonth = QStringLiteral("LUNA");
    static inline const QString kDate = QStringLiteral("DATAACT");
    static inline const QString kDomain = QStringLiteral("DOMENIUL");
    static inline const QString kSubdomain = QStringLiteral("SUBDOM");
    static inline const QString kTitle = QStringLiteral("TITLU");
    static inline const QString kSeries = QStringLiteral("SERIA");
    static inline const QString kNumber = QStringLiteral("NR");
    static inline const QString kCode = QStringLiteral("COD");
    static inline const QString kExtension = QStringLiteral("EXTENSIE");
    static inline const QString kNote = QStringLiteral("OBS");

    // The table's path in `dataDir` (not resolved against the folder's letter case).
    static QString path(const QString &dataDir);

    // Creates the table when the folder has none in any letter case, and its change trail when
    // it has none.
    static void create(Query &sx, const QString &dataDir, const std::function<void()> &yield);

    // Adds COD and then LUNA to a table that lacks them, and fills LUNA from DATAACT. The columns
    // are read from the table's header; the rows are read only when LUNA is filled.
    static void upgrade(Query &sx, Table &tx, const QString &dataDir,
                        const std::function<void()> &yield);

    // The act of the query's current row; an empty act when the query is closed. An IDACT that
    // is no act number keeps its own characters, never rounded into another act's; an empty
    // date stays empty.
    static StoredAct readAct(const Query &ox);

    // The record of the act `id` (as actIdText gives it) as the table holds it now; nothing
    // when no row has it.
    struct Record {
        TableLayout layout;
        QByteArray bytes;
    };
    static std::optional<Record> findRecord(const QString &dataDir, const QString &id);

    // The archived file of a row's act: the texts as stored (with the nested folders of old
    // rows) and the act's number. Throws as ArchivePath does.
    static QString archivedFile(const QString &dataDir, qint64 year, const QString &domain,
                                const QString &subdomain, qint64 id);

    // Reads the acts out of the records of one table, for the loops that go over every act.
    class Reader {
    public:
        // Throws Error, naming `tableName`, when a column that places the file is missing.
        Reader(const TableLayout &layout, const QString &tableName);
        // A live record's act; `record` counts every record before it.
        ActRow read(const char *record, quint32 index) const;
        const Field &idField() const { return *m_id; }
        // The optional columns: empty texts when the table lacks them.
        QString extension(const char *record) const;
        QString title(const char *record) const;

    private:
        const TableLayout &m_layout;
        const Field *m_id, *m_year, *m_domain, *m_subdomain;
        const Field *m_extension = nullptr, *m_title = nullptr;
    };

private:
    static void createTable(Query &sx, const QString &acte, const std::function<void()> &yield);
};

} // namespace dosarium
