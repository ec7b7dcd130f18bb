// What the proof tests know about a data folder, read without the program's code: the generated
// scans the workstations attach, the acts and log entries as the table bytes hold them, the
// archive tree, and the checks that the register, the archive, the log and the counters agree.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <tuple>

namespace dosarium::proof {

// The bytes of a generated scan: its seed and size say it all, so a checker rebuilds it from the
// tag the workstation writes into the act's observation.
QByteArray sourceBytes(quint64 seed, qint64 size);
// "SRC <seed> <size>", the beginning of every observation the workstations write.
QString sourceTag(quint64 seed, qint64 size);
struct SourceTag {
    quint64 seed = 0;
    qint64 size = 0;
};
std::optional<SourceTag> parseSourceTag(const QString &obs);

// One live act as Acte.dbf stores it.
struct ActRow {
    qint64 id = 0;
    qint64 year = 0;
    QString date, domeniul, subdom, titlu, seria, nr, cod, obs, extensie;
    friend bool operator==(const ActRow &, const ActRow &) = default;
};

struct FolderState {
    QStringList problems;            // empty when everything agrees
    QMap<qint64, ActRow> acts;       // live acts by IDACT
    QSet<qint64> logIds;             // IDLOG of the live log entries
    QStringList logActions;          // ACTIUNE of the live log entries, in file order
    QMap<qint64, QString> archive;   // id-named files of the archive tree, relative paths
    int leftovers = 0;               // temporary files of replacements a crash left behind
    qint64 nextAct = 0, nextLog = 0; // the counters of Dsm.in (0 when missing)
    QByteArray key;                  // the archive key: the first ADMIN's password
};

// Reads the folder with the tests' own readers and checks that: every table, the user file and
// the settings file are sound; every IDACT and IDLOG is held by one row; every act's file is in
// the archive where its row says and decodes to the scan its observation names; no archived
// file lacks its row; the counters stand above every id handed out; the engine reads the same
// acts as the bytes hold; every fingerprint belongs to one live act and is its scan's.
FolderState inspectFolder(const QString &dataDir);

// The archive path of a row, joined here as the archive layout describes it.
QString archiveRelativePath(const ActRow &row);

// Bytes XORed with the key, repeated: coding and decoding alike.
QByteArray xorWithKey(QByteArray bytes, const QByteArray &key);

// The user file's bytes for entries of (name, password, rank).
QByteArray userFileBytes(const QList<std::tuple<QByteArray, QByteArray, int>> &entries);

} // namespace dosarium::proof
