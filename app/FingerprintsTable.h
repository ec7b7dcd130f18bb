// The fingerprints table Amprente.dbf of a data folder, in one place: its file name, its columns,
// the statements that create it and change its rows, and the reading of a row into a
// fingerprint. Per act it keeps the SHA-256 of the document as it was stored, the document's
// size, when and on which workstation the fingerprint was taken, and the size and modification
// time of the coded file then: a coded file changed since (by a workstation of an older program,
// which keeps no fingerprints) is told apart from one that was damaged in place. Other tools may
// write the table too: a row that is no sound fingerprint is never used.
#pragma once

#include "archive/Fingerprint.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace dosarium {

class Query;
struct Field;
struct TableLayout;

// One act's fingerprint as the table holds it.
struct StoredFingerprint {
    qint64 id = 0;
    QByteArray sha256; // 64 lowercase hexadecimal digits
    qint64 size = 0;   // of the document
    QDateTime taken;   // to the second
    QString workstation;
    qint64 codedSize = 0;     // of the coded file when the fingerprint was taken
    qint64 codedModified = 0; // its modification time then, milliseconds since 1970
};

// The sound fingerprints of a folder, by act; an act with rows that disagree has none.
struct FingerprintSet {
    QHash<qint64, StoredFingerprint> byAct;
    int unusable = 0;   // rows that are no sound fingerprint
    QList<qint64> torn; // acts whose rows disagree
};

class FingerprintsTable {
public:
    static inline const QString kFileName = QStringLiteral("Amprente.dbf");

    static inline const QString kId = QStringLiteral("IDACT");
    static inline const QString kSha256 = QStringLiteral("SHA256");
    static inline const QString kSize = QStringLiteral("MARIME");
    static inline const QString kDate = QStringLiteral("DATA");
    static inline const QString kTime = QStringLiteral("ORA");
    static inline const QString kWorkstation = QStringLiteral("STATIE");
    static inline const QString kCodedSize = QStringLiteral("MARIMEARH");
    static inline const QString kCodedModified = QStringLiteral("MODIFARH");

    // The table's path in `dataDir` (not resolved against the folder's letter case).
    static QString path(const QString &dataDir);
    static bool exists(const QString &dataDir);

    // Creates the table when the folder has none in any letter case.
    static void create(Query &sx, const QString &dataDir, const std::function<void()> &yield);
    // The same through the engine alone, for the tools and the journal's recovery.
    static void create(const QString &dataDir);

    // The statements that give act `id` the fingerprint `print` taken now on `workstation` of
    // the document now in `codedFile`: its old rows go first. Throws Error when the coded file
    // cannot be looked at.
    static QStringList deleteStatement(const QString &dataDir, qint64 id);
    static QStringList insertStatement(const QString &dataDir, qint64 id,
                                       const DocumentFingerprint &print, const QString &codedFile,
                                       const QDateTime &now, const QString &workstation);

    // Replaces act `id`'s rows through the engine alone (the tools, the journal's recovery).
    static void replace(const QString &dataDir, qint64 id, const DocumentFingerprint &print,
                        const QString &codedFile, const QDateTime &now, const QString &workstation);
    // Adds a row for act `id` without looking for others (the table must exist).
    static void add(const QString &dataDir, qint64 id, const DocumentFingerprint &print,
                    const QString &codedFile, const QDateTime &now, const QString &workstation);
    static void remove(const QString &dataDir, qint64 id);
    // Records the size and modification time the coded file of act `id` has now in its rows.
    static void recordCodedFile(const QString &dataDir, qint64 id, const QString &codedFile);

    // A live record's fingerprint; nothing for a row that is no sound one (an IDACT that is no
    // act number, a SHA256 that is not 64 hexadecimal digits, a size that is no whole number).
    static std::optional<StoredFingerprint> read(const TableLayout &layout, const char *record);
    // Every sound fingerprint of the folder; an empty set when it has no table. Throws Error
    // when the table cannot be read.
    static FingerprintSet readAll(const QString &dataDir);
    // The sound fingerprints whose SHA-256 is `sha256`, read without decoding any other row.
    static QList<StoredFingerprint> withSha(const QString &dataDir, const QByteArray &sha256);
};

} // namespace dosarium
