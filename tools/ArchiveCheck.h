// The check of a data folder behind "dosarium-arhiva verifica": whether every act still has its
// archived document and every document its act, whether the counters of Dsm.in are ahead of the
// ids in use, and what interrupted writes left behind.
#pragma once

#include "tools/ArchiveTree.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace dosarium {

struct Finding {
    // In the order the report lists them.
    enum class Kind {
        MissingDocument, // an act without its archived file
        EmptyDocument,   // an act whose archived file has 0 bytes
        OrphanDocument,  // a file of the year folders that no act names
        DuplicateId,     // one IDACT on several rows
        InvalidId,       // a row whose IDACT can name no file
        FolderName,      // a domain or subdomain that is no folder name on every workstation
        CounterBehind,   // a counter of Dsm.in that would hand out an id in use
        IdsUsedUp,       // the acts' numbers have reached the last one IDACT holds
        PartialFile,     // the temporary file of an interrupted write
        RecodingLeft,    // the journal of an interrupted re-coding of the archive
        RecodingRunning, // a re-coding going on now in another program
        ActJournalLeft,  // the journal of an act operation a stop interrupted
        DamagedFile,     // a table, the user file or the settings file that reads damaged
        Link,            // a symbolic link in the data folder or the archive tree
        DamagedDocument, // an archived document whose content no longer matches its fingerprint
    };
    Kind kind = Kind::MissingDocument;
    QString text;         // the report's line
    QString path;         // the file concerned, when there is one
    QString counter;      // CounterBehind: IDACT or IDLOG
    qint64 highestId = 0; // CounterBehind: the highest id in use
};

// Whether "--repara" repairs findings of this kind. An interrupted act operation is not among
// them: bringing it to an end can remove documents, and the program's next start on the
// workstation that ran it does that with the act's row at hand.
bool isRepairable(Finding::Kind kind);

// An act's archived document as the check found it.
struct ArchivedDocument {
    qint64 id = 0;
    QString label;    // how the report names the act
    QString relative; // from the data folder, with "/"
    QString path;
    qint64 size = 0;
};

class ExportProgress;

struct CheckOptions {
    // Decode every document that has a fingerprint and compare (off: names and sizes only).
    bool decode = true;
    ExportProgress *progress = nullptr; // the decoding's progress, when wanted
};

struct CheckResult {
    int acts = 0;      // live rows of the documents table
    int documents = 0; // files of the year folders, partial files apart
    QList<Finding> findings;
    // What the person should know that is no problem: a document another program replaced
    // after its fingerprint was taken, fingerprint rows that cannot be used.
    QStringList notes;
    // Acts whose document has no fingerprint yet (added by an older program, or before the
    // fingerprints): said in a note, no problem; "--repara" takes their fingerprints.
    std::vector<ArchivedDocument> withoutFingerprint;
    int fingerprinted = 0; // documents checked against their fingerprint
    // Documents that matched their fingerprint but were written again since it was taken (the
    // archive's re-coding writes every document anew): "--repara" records their coded file's
    // size and time in the fingerprint, so that damage after that is still told as damage.
    std::vector<ArchivedDocument> rewrittenSame;

    int count(Finding::Kind kind) const;
};

// Reads the tables, the user file, the settings file and the archive tree of `dataDir` and
// writes nothing. Throws FolderUnreadable when the folder or its documents table cannot be read.
CheckResult checkDataFolder(const QString &dataDir, const CheckOptions &options = {});

// Why a folder without a documents table is refused.
QString missingActsTableText(const QString &dataDir);

// The archive key of the user file, read without creating a missing file: empty then, as the
// program would have it.
QByteArray readArchiveKeyOnly(const QString &dataDir);

// "1 act", "5 acte", "20 de acte": a count with its noun, as Romanian writes it.
QString countText(qint64 count, const QString &one, const QString &many);

} // namespace dosarium
