// The re-coding of the whole archive when the archive key changes, all or nothing. Before the
// user file takes the new key, a journal beside the archive (Recodare.jrn in the data folder)
// records both keys and, for every archived file, one byte position where the two keys code it
// differently together with the byte found there under the old key: one byte read later tells
// under which key the file stands. Each file is re-coded through a new file renamed over it, so
// it is wholly old or wholly new at every moment. A pass that fails is turned back; a pass that a
// crash interrupted is finished or undone by the next start or the next re-coding, which brings
// every file of the journal to the key the user file holds then. Nothing here needs a window.
#pragma once

#include "store/Error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <exception>
#include <functional>
#include <memory>

namespace dosarium {

class ArchiveUseLock;
class ProgressSink;
class Workspace;

// A file of the archive that could not be re-coded; the message names it and the cause.
class RecodeFailed : public Error {
public:
    RecodeFailed(QString path, const QString &message) : Error(message), m_path(std::move(path)) {}
    const QString &path() const { return m_path; }

private:
    QString m_path;
};

// Another program holds the journal: a re-coding runs there now.
class RecodingBusy : public Error {
public:
    using Error::Error;
};

// Thrown by the test seam that stands for a crash: nothing after that point runs.
class SimulatedCrash : public std::exception {
public:
    const char *what() const noexcept override { return "simulated crash"; }
};

class ArchiveRecoding {
public:
    static inline const QString kDescription = QStringLiteral("Recodare arhiva...");
    static inline const QString kJournalName = QStringLiteral("Recodare.jrn");
    // The log's entries of a pass: begun, turned back after a failure, and brought to an end
    // (or turned back) after a stop in the middle.
    static inline const QString kBegunLog = QStringLiteral("Recodare Arhiva");
    static inline const QString kTurnedBackLog =
        QStringLiteral("Recodare Arhiva anulata, parola veche pusa la loc.");
    static inline const QString kFinishedLog =
        QStringLiteral("Recodare Arhiva terminata la repornire");
    static inline const QString kUndoneLog = QStringLiteral("Recodare Arhiva anulata la repornire");

    // One archived file of a pass: the act's row in the re-coding order, the file relative to
    // the data folder, and the byte that tells its key.
    struct PlannedFile {
        int row = 0;
        QString relativePath;
        qint64 offset = 0;
        quint8 oldByte = 0;
    };
    struct Plan {
        QByteArray oldKey;
        QByteArray newKey;
        int rows = 0;
        QList<PlannedFile> files;
        bool complete = false; // the journal was written to its end
    };

    // `archiveKey` reads the key the user file of the data folder holds at that moment.
    ArchiveRecoding(Workspace &workspace, std::function<QByteArray()> archiveKey);
    // Lets the journal go; a pass that was not closed keeps it, as after a crash.
    ~ArchiveRecoding();
    ArchiveRecoding(const ArchiveRecoding &) = delete;
    ArchiveRecoding &operator=(const ArchiveRecoding &) = delete;

    static QString journalPath(const QString &dataDir);
    // Whether another program holds the journal of the data folder now: a pass runs there. Looks
    // without taking anything, so a pass starting meanwhile is never turned away.
    static bool isJournalHeld(const QString &dataDir);

    // Takes the journal of the data folder for a pass, then waits (letting events run) for the
    // act operations under way on any workstation to end, and keeps new ones waiting until the
    // pass is closed or left; a pass left unfinished there is first brought to the user file's
    // key. Throws RecodingBusy when another program holds the journal or the act operations do
    // not end in time, Error when the unfinished pass cannot be brought to an end (the journal
    // stays).
    void open(ProgressSink &progress);
    // Reads the acts in the re-coding order and writes the journal of the pass; it is on the disk
    // when this returns, and no file has changed yet.
    void plan(const QByteArray &oldKey, const QByteArray &newKey);
    // Re-codes the planned files, one progress step per act (acts without a file included).
    // Throws RecodeFailed naming the file that failed; the files before it carry the new key.
    void run(ProgressSink &progress);
    // Brings every file of the journal to the key the user file holds now. Throws Error when a
    // file cannot be brought; the journal then stays for the next start.
    void restore(ProgressSink &progress);
    // Removes the journal and lets it go: the pass is over.
    void close();
    // Lets the journal go and keeps it: the next start or re-coding brings the pass to an end.
    void leave();
    bool isOpen() const { return m_fd >= 0; }

    // At start-up: brings a pass that a crash left unfinished to the user file's key and removes
    // its journal. False when there is no such pass or another program holds it.
    bool finishPending(ProgressSink &progress);
    // The log entry of what the last finishPending (or open) did with an unfinished pass
    // (kFinishedLog or kUndoneLog); empty when there was none.
    const QString &recoveredLog() const { return m_recoveredLog; }

    const Plan &currentPlan() const { return m_plan; }
    // Files re-coded by this object, forwards or back.
    int filesRecoded() const { return m_recoded; }

    // Test seams: the re-coding of one file (RecodeFile by default), and a point after each
    // re-coded file where a test ends the pass as a crash would (by throwing SimulatedCrash).
    using RecodeStep = std::function<void(const QString &path, const QByteArray &oldKey,
                                          const QByteArray &newKey)>;
    void setRecodeStep(RecodeStep step);
    void setCrashPoint(std::function<bool(int filesRecoded)> point);

    // The journal's text and back; a journal cut short reads as incomplete. Throws Error for a
    // journal that is complete but damaged.
    static QByteArray journalText(const Plan &plan);
    static Plan readJournal(const QByteArray &text, const QString &path);
    // The first position below `size` where the two keys code a byte differently; -1 when a
    // file of that size is the same under both keys.
    static qint64 telltaleOffset(const QByteArray &oldKey, const QByteArray &newKey, qint64 size);

private:
    // Opens and locks the journal; false when another program holds it or (without `create`)
    // there is none.
    bool take(bool create);
    void release();
    QByteArray readJournalFile() const;
    void writeJournalFile(const QByteArray &text);
    // Brings the files of a journal left by an interrupted pass to the user file's key; the
    // journal is released when that fails.
    void finishJournal(ProgressSink &progress);
    // Brings the files of `plan` to `target`.
    void bringTo(const Plan &plan, const QByteArray &target, ProgressSink &progress);
    void recodeOne(const QString &path, const QByteArray &from, const QByteArray &to);
    QString dataDir() const;

    Workspace &m_workspace;
    std::function<QByteArray()> m_archiveKey;
    RecodeStep m_recodeStep;
    std::function<bool(int)> m_crashPoint;
    QString m_recoveredLog; // what finishJournal did, for the log
    QString m_journal;
    int m_fd = -1;
    std::unique_ptr<ArchiveUseLock> m_use;
    Plan m_plan;
    int m_recoded = 0;
};

// At start: a re-coding that a crash left half done is brought to an end, and the log says so.
void finishInterruptedRecoding(Workspace &workspace);

} // namespace dosarium
