// The journal of the act operation under way on this workstation: what the addition,
// modification or deletion of an act is about to do to the archive tree, written (and on the
// disk) before the first file changes and removed after the last step. A program that stops in
// between (a power cut, a killed process) leaves it behind; its next start reads the act's row
// and brings the archive into step with it: the row decides whether the change happened, and the
// files follow, so the act is wholly changed or wholly as it was. The journal lives in the
// workstation's own data folder (Acte.jrn), so workstations sharing a server folder never meet
// each other's; it names the data folder the operation worked on. Two running copies of one
// installation (two people signed in on one computer) share it: an operation holds it, by a lock
// beside it, from the end of an interrupted one through its own end, and a copy never finishes a
// journal another live copy holds. A stopped program's lock goes with its process.
#pragma once

#include "app/ActsTable.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace dosarium {

struct AppContext;
class Workspace;

class ActJournal {
public:
    static inline const QString kFileName = QStringLiteral("Acte.jrn");

    enum class Kind { Add, Modify, Delete };

    // One act operation as the journal holds it. Paths are whole; empty when unused.
    struct Entry {
        Kind kind = Kind::Add;
        QString dataDir;
        QString id;
        QString oldFile;      // the archived file before the change
        QString newFile;      // the archived file after it
        QString stagedFile;   // a new document waiting beside the file it replaces
        bool newCopy = false; // newFile is a new document, not the old file moved
        QStringList update;   // the statement of a modification
        // The act as the person knows it: number, date ("dd.MM.yyyy") and title.
        QString nr, date, titlu;
        // The fingerprint of a document the operation stores (newFile): SHA-256 and size.
        QByteArray sha256;
        qint64 size = 0;

        static Entry of(Kind kind, const QString &dataDir, const QString &id,
                        const QString &oldFile, const QString &newFile)
        {
            Entry e;
            e.kind = kind;
            e.dataDir = dataDir;
            e.id = id;
            e.oldFile = oldFile;
            e.newFile = newFile;
            return e;
        }
    };

    explicit ActJournal(const AppContext &context);
    ~ActJournal();
    ActJournal(const ActJournal &) = delete;
    ActJournal &operator=(const ActJournal &) = delete;

    QString path() const { return m_path; }
    bool exists() const;

    // Holds the journal until this object goes: waits up to `wait` for another running copy
    // that holds it; false when that copy kept it. Throws Error when the lock cannot be had.
    bool hold(std::chrono::milliseconds wait);
    bool held() const { return m_lock >= 0; }
    // Whether a running copy holds the journal of `dataDir` now (its operation is under way).
    static bool isHeldElsewhere(const QString &dataDir);

    // Writes the entry; it is on the disk when this returns. Holds the journal first; throws
    // Error when another running copy holds it, or the entry cannot be written.
    void begin(const Entry &entry);
    // The operation is over (done, or undone by its own error handling).
    void end();

    // Brings an operation a stop interrupted to an end by its act's row, removes the journal
    // and returns what the user should be told (empty when there was nothing). A journal whose
    // data folder cannot be read now stays for the next start; one that another running copy
    // holds is that copy's operation under way and is left alone. A journal that is no plain
    // file, or that names files outside the archive tree (ActJournalProblem), is never acted on:
    // it is moved aside under a dated name and the notice says so. Throws Error when a file cannot
    // be brought into step (the journal then stays).
    QString finishPending();
    // The log entry of what finishPending did ("... terminata la repornire" or "... anulata la
    // repornire"); empty when it did nothing or worked on another data folder than the one in
    // use.
    const QString &logText() const { return m_logText; }

    // The entry's text and back; a text cut short or of another kind gives nothing.
    static QByteArray text(const Entry &entry);
    static std::optional<Entry> parse(const QByteArray &text);

private:
    void release();
    // The entry of the journal left behind; nothing when it cannot be read now (it stays) or
    // was cut short while it was written (it is removed).
    std::optional<Entry> readPending();
    // Sets the log text of a finished or undone operation and returns its notice.
    // Brings the act's fingerprint in step with what was done: the stored document's own, or
    // none when the act or its document is gone.
    void settleFingerprint(const Entry &e, bool rowThere, bool done) const;
    QString reportFinished(const Entry &e, const std::optional<ActsTable::Record> &row,
                           const QString &outcome, bool done);

    QString m_path;
    int m_lock = -1;        // the open lock file while the journal is held
    QStringList m_dataDirs; // the data folders a journal may name, the one in use first
    QString m_logText;
    QString m_workstation;
};

// At start: an act operation that a crash left half done is brought to an end; the log says so
// and the person is told.
void finishInterruptedActOperation(Workspace &workspace);

} // namespace dosarium
