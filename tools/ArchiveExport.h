// The export behind "dosarium-arhiva exporta": every act's document decoded into a plain folder
// tree that any program opens, with the register and the activity log as CSV files beside it.
// The data folder is only read.
#pragma once

#include "access/Refusal.h"
#include "store/Error.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace dosarium {

// An export that cannot begin: the destination is not new or empty, lies inside the data folder,
// or the archive is in the middle of a re-coding. Nothing was written.
using ExportRefused = Refusal;

struct ExportOptions {
    char separator = ';';
};

// How the export reports its progress (the console draws a bar on a terminal).
class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    virtual void begin(qint64 bytes, int documents) = 0;
    virtual void advance(qint64 bytes) = 0;
    virtual void documentDone() = 0;
    virtual void end() = 0;
};

struct MissingDocument {
    qint64 id = 0;
    QString archivePath; // where the archive should hold it, from the data folder, with "/"
    QString reason;
};

struct ExportResult {
    int acts = 0;
    int documents = 0; // documents written
    qint64 bytes = 0;  // their bytes
    int logEntries = 0;
    QString logProblem;             // why jurnal.csv was not written
    QStringList notes;              // what the person should know about the data folder
    QList<MissingDocument> missing; // also listed in lipsa.csv
};

// Exports `dataDir` into `destination` (created when missing; it must be empty): the documents
// at {ANUL}/{DOMENIUL}/{SUBDOM}/{IDACT}{EXTENSIE}, acte.csv, jurnal.csv and lipsa.csv. Throws
// FolderUnreadable when the data folder cannot be read, ExportRefused before anything is written,
// Error when a write to the destination fails (what was written stays).
ExportResult exportDataFolder(const QString &dataDir, const QString &destination,
                              const ExportOptions &options, ExportProgress *progress = nullptr);

// A name every file system takes: the characters Windows refuses and control characters become
// "_", trailing dots and blanks go, a device name (CON, NUL.txt, ...) gets "_" before it, an
// empty name becomes "_".
QString safeFileName(const QString &name);

} // namespace dosarium
