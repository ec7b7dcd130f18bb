#include "register/ActOperations.h"

#include "access/ArchiveRecoding.h"
#include "access/ArchiveUseLock.h"
#include "app/ActIds.h"
#include "app/ActsTable.h"
#include "app/DamagedFiles.h"
#include "app/FingerprintsTable.h"
#include "app/Workspace.h"
#include "archive/ArchivePath.h"
#include "archive/CodedCopy.h"
#include "archive/Fingerprint.h"
#include "archive/ProgressSink.h"
#include "platform/FileNames.h"
#include "platform/FileStatus.h"
#include "register/ActJournal.h"
#include "store/FilePath.h"
#include "store/Query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace dosarium {

namespace {

const QString kAddTitle = QStringLiteral("Memorare act");
const QString kModifyTitle = QStringLiteral("Modificare Act");
const QString kViewTitle = QStringLiteral("Vizualizare fisier");
const QString kNotModified = QStringLiteral("\rActul nu a fost modificat.");
const QString kDeleteTitle = QStringLiteral("Stergere Act");

// Windows takes either slash for a separator: a path written with '/' names the same file.
bool samePathAnyCase(const QString &a, const QString &b)
{
    return QDir::fromNativeSeparators(a).compare(QDir::fromNativeSeparators(b),
                                                 Qt::CaseInsensitive) == 0;
}

// A change turned back in its row whose file could not be put back: the journal stays, and the
// next start (or the next act operation) puts the file where the row says.
QString leftForNextStart(const QString &file)
{
    return QStringLiteral("\rActul nu a fost modificat, dar fisierul %1 nu a putut fi adus "
                          "inapoi cum era.\rInchideti programul si porniti-l din nou: arhiva va "
                          "fi pusa in ordine la pornire. Pana atunci nu modificati si nu stergeti "
                          "actul.")
        .arg(QDir::toNativeSeparators(file));
}

// A new document beside the archived file it is to replace, until the row names it.
QString stagedPath(const QString &archived)
{
    return archived + QStringLiteral(".nou");
}

// A row's text (which may name the nested folders the older program made) when it is kept as
// it is; a new value follows today's rules.
FolderText keptOr(const QString &edited, const QString &stored)
{
    return edited == stored ? FolderText::Stored : FolderText::Entered;
}

// The journal's entry with the act as the person knows it, for the notice of a later start.
ActJournal::Entry named(ActJournal::Entry entry, const QString &nr, const QDate &date,
                        const QString &titlu)
{
    entry.nr = nr;
    entry.date = date.toString(QStringLiteral("dd.MM.yyyy"));
    entry.titlu = titlu;
    return entry;
}

// The chosen document's fingerprint: the dialog's while the file is as it was then.
DocumentFingerprint chosenFingerprint(const ActEntry &act)
{
    if (act.fingerprint) {
        const QFileInfo info(act.file);
        if (info.size() == act.fingerprint->size &&
            info.lastModified().toMSecsSinceEpoch() == act.fingerprint->modified / 1000000)
            return *act.fingerprint;
    }
    return fingerprintOfFile(act.file);
}

// The chosen file written again while it was being stored: the fingerprint is taken of the
// document as the archive now holds it, so that the check never calls that document damaged.
DocumentFingerprint fingerprintOfStored(const DocumentFingerprint &taken, const QString &chosen,
                                        const QString &archived, const QByteArray &key)
{
    const std::optional<FileStatus> now = statusAt(chosen);
    if (now && now->kind == EntryKind::File && now->size == taken.size &&
        now->modified == taken.modified)
        return taken;
    return fingerprintOfFile(archived, key, false);
}

ActJournal::Entry withFingerprint(ActJournal::Entry entry, const DocumentFingerprint &print)
{
    entry.sha256 = print.sha256;
    entry.size = print.size;
    return entry;
}

} // namespace

ActOperations::ActOperations(Workspace &workspace, std::function<QByteArray()> archiveKey)
    : m_workspace(workspace), m_archiveKey(std::move(archiveKey))
{}

QString ActOperations::archivedFile(const StoredAct &act, const QString &title) const
{
    const std::optional<qint64> id = actIdNumber(act.id);
    if (!id)
        throw ActRefused(title, invalidActIdText(act.id));
    return ActsTable::archivedFile(m_workspace.context().DataDir, act.year, act.domeniul,
                                   act.subdom, *id);
}

bool ActOperations::waitUnderProgress(const std::function<bool()> &free,
                                      std::chrono::milliseconds wait, const QString &description)
{
    if (free())
        return true;
    using namespace std::chrono_literals;
    constexpr auto kProbe = 100ms;
    ProgressSink &progress = m_workspace.progress();
    FinishGuard guard(progress);
    progress.start(std::max<qint64>(1, wait / kProbe), description);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!free()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kProbe);
        progress.step();
    }
    guard.finish();
    return true;
}

void ActOperations::holdJournal(ActJournal &journal, const QString &title)
{
    // Another copy of this installation in the middle of an act operation: its journal is
    // waited for, never taken over.
    if (!waitUnderProgress([&] { return journal.hold(std::chrono::milliseconds(0)); },
                           m_journalWait,
                           QStringLiteral("Astept ca celalalt program deschis pe acest "
                                          "calculator sa termine lucrul la un act...")))
        throw ActRefused(title, QStringLiteral("\rProgramul mai este deschis o data pe acest "
                                               "calculator si lucreaza inca la un act.\r"
                                               "Incercati din nou dupa ce termina."));
}

void ActOperations::waitForRecoding(ArchiveUseLock &archive, const QString &title,
                                    const QString &notDone)
{
    const QString dataDir = m_workspace.context().DataDir;
    const auto free = [&] {
        if (archive.tryTake() && !ArchiveRecoding::isJournalHeld(dataDir))
            return true;
        archive.release();
        return false;
    };
    if (!waitUnderProgress(free, m_recodingWait,
                           QStringLiteral("Se asteapta recodarea arhivei...")))
        throw ActRefused(title, QStringLiteral("\rArhiva este recodata chiar acum de pe alt "
                                               "calculator.\rIncercati din nou mai tarziu.") +
                                    notDone);
}

void ActOperations::finishInterrupted(ActJournal &journal)
{
    if (!journal.exists())
        return;
    const QString notice = journal.finishPending();
    if (!journal.logText().isEmpty())
        m_workspace.WriteLog(journal.logText());
    if (!notice.isEmpty())
        m_workspace.showNotice(notice);
}

QString ActOperations::add(const ActEntry &act, ProgressSink &progress)
{
    const QString dataDir = m_workspace.context().DataDir;
    const QString folder = ArchiveFolder(dataDir, act.date.year(), act.domeniul, act.subdom);
    if (!EnsureArchiveFolder(folder))
        throw ActRefused(kAddTitle,
                         QStringLiteral("\rNu pot crea directorul ") + folder + QLatin1Char('!'));
    ArchiveUseLock archive(dataDir, ArchiveUseLock::Holder::ActOperation);
    waitForRecoding(archive, kAddTitle, QStringLiteral("\rActul nu a fost adaugat."));
    ActJournal journal(m_workspace.context());
    holdJournal(journal, kAddTitle);
    finishInterrupted(journal);
    // Past the last act number nothing can be added: said before anything is written.
    const QString counter = m_workspace.ReadSetting(QStringLiteral("INDEX"), ActsTable::kId);
    if (!counter.isEmpty() && counter.toLongLong() > kLastActId)
        throw ActRefused(kAddTitle, actIdsUsedUpText(counter));
    QString id = m_workspace.NextId(ActsTable::kId);
    if (!actIdNumber(id))
        throw ActRefused(kAddTitle, actIdsUsedUpText(id));
    QString file = joinPath(folder, id);
    if (QFileInfo::exists(file)) {
        // A counter behind the register (a settings file lost, or put back from an old copy)
        // would put this document over another act's: it is moved past the register first.
        const QString repaired = RepairActCounter(dataDir);
        if (!repaired.isEmpty())
            m_workspace.showNotice(repaired);
        id = m_workspace.NextId(ActsTable::kId);
        if (!actIdNumber(id))
            throw ActRefused(kAddTitle, actIdsUsedUpText(id));
        file = joinPath(folder, id);
        if (QFileInfo::exists(file))
            throw ActRefused(kAddTitle, QStringLiteral("\rIn arhiva exista deja fisierul ") + file +
                                            QStringLiteral("!\rActul nu a fost adaugat."));
    }
    // Logged once every check has passed: a refused addition leaves no entry.
    m_workspace.WriteLog(addedLogText(act));
    DocumentFingerprint print;
    try {
        print = chosenFingerprint(act);
    } catch (const Error &e) {
        throw Error(e.message() + QStringLiteral("\rActul nu a fost adaugat."));
    }
    // The document is in the archive before the row lists it: a stop in between leaves a file
    // that the journal names and the next start removes, never an act without its document.
    journal.begin(withFingerprint(
        named(ActJournal::Entry::of(ActJournal::Kind::Add, dataDir, id, QString(), file), act.nr,
              act.date, act.titlu),
        print));
    bool stored = false;
    try {
        CopyCoded(act.file, file, m_archiveKey(), progress);
        stored = true;
        print = fingerprintOfStored(print, act.file, file, m_archiveKey());
    } catch (const Error &e) {
        if (stored)
            QFile::remove(file);
        journal.end();
        throw Error(e.message() + QStringLiteral("\rActul nu a fost adaugat."));
    }
    try {
        m_workspace.runStatement(
            insertActStatement(m_workspace.actePath(), id, act, fileExtension(act.file)));
    } catch (const Error &e) {
        QFile::remove(file);
        journal.end();
        throw Error(e.message() + QStringLiteral("\rActul nu a fost adaugat."));
    }
    try {
        storeFingerprint(*actIdNumber(id), print, file);
    } catch (const Error &e) {
        // The act has no fingerprint yet: the archive check takes it later.
        m_workspace.showNotice(QStringLiteral("Actul a fost memorat, dar amprenta documentului "
                                              "nu a putut fi scrisa: ") +
                               e.message());
    }
    journal.end();
    return id;
}

void ActOperations::storeFingerprint(qint64 id, const DocumentFingerprint &print,
                                     const QString &codedFile)
{
    const QString dataDir = m_workspace.context().DataDir;
    FingerprintsTable::create(m_workspace.Sx(), dataDir, [this] { m_workspace.yield(); });
    const QStringList insert = FingerprintsTable::insertStatement(
        dataDir, id, print, codedFile, m_workspace.now(), m_workspace.context().WorkstationUser);
    m_workspace.runStatement(FingerprintsTable::deleteStatement(dataDir, id));
    m_workspace.runStatement(insert);
}

void ActOperations::modify(const StoredAct &old, const ActEntry &edited, ProgressSink &progress)
{
    const QString dataDir = m_workspace.context().DataDir;
    const QString oldPath = archivedFile(old, kModifyTitle);
    ActJournal journal(m_workspace.context());
    holdJournal(journal, kModifyTitle);
    finishInterrupted(journal);
    // A date left as the row holds it (an empty one) stays; so do the nested folders
    // of a domain or subdomain kept as the older program stored it.
    const qint64 newYear = edited.keepsStoredDate ? old.year : edited.date.year();
    const QString newPath =
        ArchivePath(dataDir, newYear, edited.domeniul, edited.subdom, *actIdNumber(old.id),
                    keptOr(edited.domeniul, old.domeniul), keptOr(edited.subdom, old.subdom));
    const bool fileChanged = !samePathAnyCase(edited.file, oldPath);
    const bool moved = !samePathAnyCase(oldPath, newPath);
    const QString extension = fileExtension(edited.file);
    const QStringList update = updateActStatement(m_workspace.actePath(), old.id, edited,
                                                  fileChanged ? &extension : nullptr);
    if (!fileChanged && !moved) {
        m_workspace.WriteLog(modifiedLogText(edited));
        m_workspace.runStatement(update);
        return;
    }

    ArchiveUseLock archive(dataDir, ArchiveUseLock::Holder::ActOperation);
    waitForRecoding(archive, kModifyTitle, kNotModified);
    const QString newFolder = QFileInfo(newPath).path();
    if (!EnsureArchiveFolder(newFolder))
        throw ActRefused(kModifyTitle, QStringLiteral("\rNu pot crea directorul ") + newFolder +
                                           QLatin1Char('!'));
    if (moved && QFileInfo::exists(newPath))
        throw ActRefused(kModifyTitle, QStringLiteral("\rIn arhiva exista deja fisierul ") +
                                           newPath +
                                           QStringLiteral("!\rActul nu a fost modificat."));
    ActJournal::Entry entry =
        named(ActJournal::Entry::of(ActJournal::Kind::Modify, dataDir, old.id, oldPath, newPath),
              edited.nr, edited.date, edited.titlu);
    entry.update = update;
    if (fileChanged)
        replaceArchivedFile(journal, entry, moved, edited, progress);
    else
        moveArchivedFile(journal, entry, edited);
}

void ActOperations::replaceArchivedFile(ActJournal &journal, ActJournal::Entry entry, bool moved,
                                        const ActEntry &edited, ProgressSink &progress)
{
    const QString oldPath = entry.oldFile;
    const QString newPath = entry.newFile;
    // The new document is stored whole, beside the old one, before the row changes; it
    // takes the old one's place only once the row names it.
    const QString copy = moved ? newPath : stagedPath(newPath);
    entry.stagedFile = moved ? QString() : copy;
    entry.newCopy = moved;
    m_workspace.WriteLog(modifiedLogText(edited));
    DocumentFingerprint print;
    try {
        print = chosenFingerprint(edited);
    } catch (const Error &e) {
        throw Error(e.message() + kNotModified);
    }
    entry = withFingerprint(entry, print);
    journal.begin(entry);
    bool stored = false;
    try {
        CopyCoded(edited.file, copy, m_archiveKey(), progress);
        stored = true;
        print = fingerprintOfStored(print, edited.file, copy, m_archiveKey());
    } catch (const Error &e) {
        if (stored)
            QFile::remove(copy);
        journal.end();
        throw Error(e.message() + kNotModified);
    }
    try {
        m_workspace.runStatement(entry.update);
    } catch (const Error &e) {
        if (QFileInfo::exists(copy) && !QFile::remove(copy))
            throw Error(e.message() + leftForNextStart(copy));
        journal.end();
        throw Error(e.message() + kNotModified);
    }
    if (moved) {
        QFile::remove(oldPath);
    } else if (!renameFile(copy, newPath)) {
        // The journal stays: the next start puts the new document in its place.
        throw Error(QStringLiteral("Actul a fost modificat, dar fisierul nou %1 nu a putut "
                                   "lua locul celui vechi; programul il va pune la "
                                   "urmatoarea pornire.")
                        .arg(copy));
    }
    try {
        storeFingerprint(*actIdNumber(entry.id), print, newPath);
    } catch (const Error &e) {
        // The journal stays: the next start gives the act its new document's fingerprint, so
        // the old one is never taken for it.
        throw Error(QStringLiteral("Actul a fost modificat, dar amprenta documentului nou nu a "
                                   "putut fi scrisa (%1); programul o va scrie la urmatoarea "
                                   "pornire.")
                        .arg(e.message()));
    }
    journal.end();
}

void ActOperations::moveArchivedFile(ActJournal &journal, const ActJournal::Entry &entry,
                                     const ActEntry &edited)
{
    const QString &oldPath = entry.oldFile;
    const QString &newPath = entry.newFile;
    journal.begin(entry);
    if (QFileInfo::exists(oldPath) && !QFile::rename(oldPath, newPath)) {
        journal.end();
        throw ActRefused(kModifyTitle, QStringLiteral("\rNu pot muta fisierul ") + oldPath +
                                           QStringLiteral(" in ") + QFileInfo(newPath).path() +
                                           QStringLiteral("!\rActul nu a fost modificat."));
    }
    // Logged once the move is done: a refused move leaves no entry.
    try {
        m_workspace.WriteLog(modifiedLogText(edited));
        m_workspace.runStatement(entry.update);
    } catch (const Error &e) {
        if (QFileInfo::exists(newPath) && !QFile::rename(newPath, oldPath))
            throw Error(e.message() + leftForNextStart(newPath));
        journal.end();
        throw Error(e.message() + kNotModified);
    }
    journal.end();
}

void ActOperations::remove(const StoredAct &act)
{
    if (!actIdNumber(act.id))
        throw ActRefused(kDeleteTitle, invalidActIdText(act.id));
    ArchiveUseLock archive(m_workspace.context().DataDir, ArchiveUseLock::Holder::ActOperation);
    waitForRecoding(archive, kDeleteTitle, QStringLiteral("\rActul nu a fost sters."));
    ActJournal journal(m_workspace.context());
    holdJournal(journal, kDeleteTitle);
    finishInterrupted(journal);
    QString path;
    try {
        path = archivedFile(act, kDeleteTitle);
    } catch (const LinkInArchive &) {
        throw; // a link on the way is shown, and nothing is deleted
    } catch (const Error &) {
        // A row whose texts cannot name a file has no file to remove.
    }
    m_workspace.WriteLog(deletedLogText(act));
    const QStringList statement = deleteActStatement(m_workspace.actePath(), act.id);
    const qint64 id = *actIdNumber(act.id);
    if (path.isEmpty()) {
        m_workspace.runStatement(statement);
        removeFingerprint(id);
        return;
    }
    // The row goes before its document: a stop in between leaves a file the journal names.
    journal.begin(
        named(ActJournal::Entry::of(ActJournal::Kind::Delete, m_workspace.context().DataDir, act.id,
                                    path, QString()),
              act.nr, act.date, act.titlu));
    try {
        m_workspace.runStatement(statement);
    } catch (...) {
        journal.end();
        throw;
    }
    removeFingerprint(id);
    QFile::remove(path);
    journal.end();
}

void ActOperations::removeFingerprint(qint64 id)
{
    const QString dataDir = m_workspace.context().DataDir;
    try {
        if (FingerprintsTable::exists(dataDir))
            m_workspace.runStatement(FingerprintsTable::deleteStatement(dataDir, id));
    } catch (const Error &) {
        // Left in a table that cannot be written: a fingerprint whose act is gone is never used.
    }
}

QString ActOperations::readableCopy(const StoredAct &act, ProgressSink &progress)
{
    const bool noRow = act.id.isEmpty() && act.domeniul.isEmpty() && act.subdom.isEmpty();
    if (act.id.isEmpty() && !noRow)
        throw ActRefused(kViewTitle,
                         QStringLiteral("\rActul nu are un numar (IDACT) bun in tabelul %1, asa "
                                        "ca nu are fisier in arhiva.\rVerificati dosarul cu "
                                        "dosarium-arhiva verifica.")
                             .arg(QDir::toNativeSeparators(m_workspace.actePath())));
    if (!noRow && !actIdNumber(act.id))
        throw ActRefused(kViewTitle, invalidActIdText(act.id));
    QString path;
    try {
        path = archivedFile(act);
    } catch (const LinkInArchive &) {
        throw;
    } catch (const Error &) {
        // Texts that can name no file of the archive: there is no file to show.
    }
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw ActRefused(kViewTitle, QStringLiteral("\rFisierul nu exista!"));
    // The copy stays in the temporary folder whatever the stored extension holds; an extension
    // no file name can carry (a separator, only a dot, longer than a name may be) is left out.
    const bool plainExtension = !act.extensie.contains(QLatin1Char('/')) &&
                                !act.extensie.contains(QLatin1Char('\\')) &&
                                act.extensie != QStringLiteral(".") && act.extensie.size() <= 32;
    const QString copy = joinPath(m_workspace.context().TempDir,
                                  act.id + (plainExtension ? act.extensie : QString()));
    if (QFileInfo::exists(copy) && !QFile::remove(copy))
        throw ActRefused(kViewTitle,
                         QStringLiteral("\rFisierul este deja deschis sau nu-l pot crea!"));
    // Readable by this account alone: the folder is shared by every user of the computer.
    CopyCoded(path, copy, m_archiveKey(), progress, true);
    return copy;
}

} // namespace dosarium
