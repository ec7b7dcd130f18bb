// Adding, modifying, deleting and viewing acts, without any window: the log entry, the row and
// the archived file of each operation, kept in step with each other when a step fails, and
// through the act journal (ActJournal) when the program stops in the middle. The register
// window asks the person for the dialog's values and confirmations and then calls these; tests
// and tools call them the same way.
#pragma once

#include "access/Refusal.h"
#include "register/ActJournal.h"
#include "register/ActStatements.h"
#include "store/Error.h"

#include <QByteArray>
#include <chrono>
#include <functional>

namespace dosarium {

class ArchiveUseLock;
class ProgressSink;
class Workspace;

// The refusals of the operations on acts, for the message box.
using ActRefused = Refusal;

class ActOperations {
public:
    // `archiveKey` reads the key afresh from the user file of the data folder in use.
    ActOperations(Workspace &workspace, std::function<QByteArray()> archiveKey);

    // Stores a new act and its coded file; returns its id. The file is stored before the row
    // is written. Throws ActRefused when its archive folder cannot be made (nothing is then
    // written), Error when a later step fails: nothing of the act stays, the log entry and the
    // id stay used.
    QString add(const ActEntry &act, ProgressSink &progress);

    // Changes the act `old` into `edited`. A new file is stored whole beside the old one before
    // the row changes and takes its place after; an unchanged file moves with a changed year,
    // domain or subdomain. Throws ActRefused when the file cannot be moved or another file
    // stands at the new place (the row is then unchanged), Error for other failures; the row
    // and the archive stay in step.
    void modify(const StoredAct &old, const ActEntry &edited, ProgressSink &progress);

    // Removes the act's row, then its file.
    void remove(const StoredAct &act);

    // A readable copy of the act's file in the temporary folder, named by its id and extension;
    // returns its path. Throws ActRefused when the archived file does not exist or the old copy
    // cannot be replaced.
    QString readableCopy(const StoredAct &act, ProgressSink &progress);

    // Where the act's file is archived: a domain or subdomain that the older program stored
    // with a separator reaches the nested folders it made. Throws ActRefused (with `title`) for
    // an act whose IDACT is no act number, Error for texts that can name no file.
    QString archivedFile(const StoredAct &act,
                         const QString &title = QStringLiteral("Vizualizare fisier")) const;

    // How long an operation waits for another running copy of this installation that holds
    // the act journal before it is refused.
    void setJournalWait(std::chrono::milliseconds wait) { m_journalWait = wait; }

    // How long an operation that touches the archive waits for another workstation's
    // re-coding of it to end before it is refused.
    void setRecodingWait(std::chrono::milliseconds wait) { m_recodingWait = wait; }

private:
    // Waits under the progress window (`description`) until `free` says so, asking every 100 ms
    // and letting events run, at most `wait`; false when the time ran out.
    bool waitUnderProgress(const std::function<bool()> &free, std::chrono::milliseconds wait,
                           const QString &description);
    // Holds the journal for the operation, waiting under the progress window for another
    // running copy that holds it; ActRefused with `title` when it does not let go in time.
    void holdJournal(ActJournal &journal, const QString &title);
    // An operation a stop interrupted is first brought to its end.
    void finishInterrupted(ActJournal &journal);
    // While another workstation re-codes the archive, a file written or moved now could stay
    // under the old key: waits with the progress window until `archive` is taken and no pass
    // runs, then throws ActRefused (`title`, the message ending with `notDone`). The caller
    // holds `archive` to the end of its operation, so that no pass begins meanwhile.
    void waitForRecoding(ArchiveUseLock &archive, const QString &title, const QString &notDone);
    // The two ways a modification changes the archive, under the journal's `entry` (the old
    // and the new place, the row's update): a new document stored in the act's (possibly new)
    // place, or the unchanged document moved to its new place.
    void replaceArchivedFile(ActJournal &journal, ActJournal::Entry entry, bool moved,
                             const ActEntry &edited, ProgressSink &progress);
    void moveArchivedFile(ActJournal &journal, const ActJournal::Entry &entry,
                          const ActEntry &edited);
    // Gives act `id` the fingerprint `print` of its document now at `codedFile` (its old rows
    // go first), or takes its rows away.
    void storeFingerprint(qint64 id, const DocumentFingerprint &print, const QString &codedFile);
    void removeFingerprint(qint64 id);

    Workspace &m_workspace;
    std::function<QByteArray()> m_archiveKey;
    std::chrono::milliseconds m_journalWait = std::chrono::seconds(30);
    std::chrono::milliseconds m_recodingWait{std::chrono::minutes(2)};
};

} // namespace dosarium
