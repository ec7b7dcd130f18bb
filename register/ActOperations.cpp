#include "register/ActOperations.h"

#include "app/DamagedFiles.h"
#include "app/Workspace.h"
#include "archive/ArchivePath.h"
#include "archive/CodedCopy.h"
#include "register/ActJournal.h"
#include "store/FilePath.h"
#include "store/Query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace dosarium {

namespace {

const QString kAddTitle = QStringLiteral("Memorare act");
const QString kModifyTitle = QStringLiteral("Modificare Act");
const QString kViewTitle = QStringLiteral("Vizualizare fisier");
const QString kNotModified = QStringLiteral("\rActul nu a fost modificat.");

bool samePathAnyCase(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A new document beside the archived file it is to replace, until the row names it.
QString stagedPath(const QString &archived)
{
    return archived + QStringLiteral(".nou");
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

} // namespace

ActOperations::ActOperations(Workspace &workspace, std::function<QByteArray()> archiveKey)
    : m_workspace(workspace), m_archiveKey(std::move(archiveKey))
{}

void ActOperations::run(const QStringList &lines)
{
    Query &sx = m_workspace.Sx();
    Workspace::ResetQuery(sx);
    for (const QString &line : lines)
        sx.appendSql(line);
    sx.execSql();
    m_workspace.yield();
}

QString ActOperations::archivedFile(const StoredAct &act) const
{
    return ArchivePath(m_workspace.context().DataDir, act.year, act.domeniul, act.subdom,
                       act.id.toLongLong());
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
    ActJournal journal(m_workspace.context());
    finishInterrupted(journal);
    m_workspace.WriteLog(addedLogText(act));
    QString id = m_workspace.NextId(QStringLiteral("IDACT"));
    QString file = joinPath(folder, id);
    if (QFileInfo::exists(file)) {
        // A counter behind the register (a settings file lost, or put back from an old copy)
        // would put this document over another act's: it is moved past the register first.
        const QString repaired = RepairActCounter(dataDir);
        if (!repaired.isEmpty())
            m_workspace.showNotice(repaired);
        id = m_workspace.NextId(QStringLiteral("IDACT"));
        file = joinPath(folder, id);
        if (QFileInfo::exists(file))
            throw ActRefused(kAddTitle, QStringLiteral("\rIn arhiva exista deja fisierul ") + file +
                                            QStringLiteral("!\rActul nu a fost adaugat."));
    }
    // The document is in the archive before the row lists it: a stop in between leaves a file
    // that the journal names and the next start removes, never an act without its document.
    journal.begin(named(ActJournal::Entry::of(ActJournal::Kind::Add, dataDir, id, QString(), file),
                        act.nr, act.date, act.titlu));
    try {
        CopyCoded(act.file, file, m_archiveKey(), progress);
    } catch (const Error &e) {
        journal.end();
        throw Error(e.message() + QStringLiteral("\rActul nu a fost adaugat."));
    }
    try {
        run(insertActStatement(m_workspace.actePath(), id, act, fileExtension(act.file)));
    } catch (const Error &e) {
        QFile::remove(file);
        journal.end();
        throw Error(e.message() + QStringLiteral("\rActul nu a fost adaugat."));
    }
    journal.end();
    return id;
}

void ActOperations::modify(const StoredAct &old, const ActEntry &edited, ProgressSink &progress)
{
    const QString dataDir = m_workspace.context().DataDir;
    const QString oldPath = archivedFile(old);
    ActJournal journal(m_workspace.context());
    finishInterrupted(journal);
    m_workspace.WriteLog(modifiedLogText(edited));
    const QString newPath = ArchivePath(dataDir, edited.date.year(), edited.domeniul, edited.subdom,
                                        old.id.toLongLong());
    const bool fileChanged = !samePathAnyCase(edited.file, oldPath);
    const bool moved = !samePathAnyCase(oldPath, newPath);
    const QString extension = fileExtension(edited.file);
    const QStringList update = updateActStatement(m_workspace.actePath(), old.id, edited,
                                                  fileChanged ? &extension : nullptr);
    if (!fileChanged && !moved) {
        run(update);
        return;
    }

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

    if (fileChanged) {
        // The new document is stored whole, beside the old one, before the row changes; it
        // takes the old one's place only once the row names it.
        const QString copy = moved ? newPath : stagedPath(newPath);
        entry.stagedFile = moved ? QString() : copy;
        entry.newCopy = moved;
        journal.begin(entry);
        try {
            CopyCoded(edited.file, copy, m_archiveKey(), progress);
        } catch (const Error &e) {
            journal.end();
            throw Error(e.message() + kNotModified);
        }
        try {
            run(update);
        } catch (const Error &e) {
            QFile::remove(copy);
            journal.end();
            throw Error(e.message() + kNotModified);
        }
        if (moved) {
            QFile::remove(oldPath);
        } else if (::rename(QFile::encodeName(copy).constData(),
                            QFile::encodeName(newPath).constData()) != 0) {
            // The journal stays: the next start puts the new document in its place.
            throw Error(QStringLiteral("Actul a fost modificat, dar fisierul nou %1 nu a putut "
                                       "lua locul celui vechi; programul il va pune la "
                                       "urmatoarea pornire.")
                            .arg(copy));
        }
        journal.end();
        return;
    }

    journal.begin(entry);
    if (QFileInfo::exists(oldPath) && !QFile::rename(oldPath, newPath)) {
        journal.end();
        throw ActRefused(kModifyTitle, QStringLiteral("\rNu pot muta fisierul ") + oldPath +
                                           QStringLiteral(" in ") + newFolder +
                                           QStringLiteral("!\rActul nu a fost modificat."));
    }
    try {
        run(update);
    } catch (const Error &e) {
        QFile::rename(newPath, oldPath);
        journal.end();
        throw Error(e.message() + kNotModified);
    }
    journal.end();
}

void ActOperations::remove(const StoredAct &act)
{
    ActJournal journal(m_workspace.context());
    finishInterrupted(journal);
    m_workspace.WriteLog(deletedLogText(act));
    QString path;
    try {
        path = archivedFile(act);
    } catch (const Error &) {
        // A row whose texts cannot name a file has no file to remove.
    }
    const QStringList statement = deleteActStatement(m_workspace.actePath(), act.id);
    if (path.isEmpty()) {
        run(statement);
        return;
    }
    // The row goes before its document: a stop in between leaves a file the journal names.
    journal.begin(
        named(ActJournal::Entry::of(ActJournal::Kind::Delete, m_workspace.context().DataDir, act.id,
                                    path, QString()),
              act.nr, act.date, act.titlu));
    try {
        run(statement);
    } catch (...) {
        journal.end();
        throw;
    }
    QFile::remove(path);
    journal.end();
}

QString ActOperations::readableCopy(const StoredAct &act, ProgressSink &progress)
{
    QString path;
    try {
        path = archivedFile(act);
    } catch (const Error &) {
        // Texts that can name no file of the archive: there is no file to show.
    }
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw ActRefused(kViewTitle, QStringLiteral("\rFisierul nu exista!"));
    // The copy stays in the temporary folder whatever the stored extension holds.
    const bool plainExtension =
        !act.extensie.contains(QLatin1Char('/')) && !act.extensie.contains(QLatin1Char('\\'));
    const QString copy = joinPath(m_workspace.context().TempDir,
                                  act.id + (plainExtension ? act.extensie : QString()));
    if (QFileInfo::exists(copy) && !QFile::remove(copy))
        throw ActRefused(kViewTitle,
                         QStringLiteral("\rFisierul este deja deschis sau nu-l pot crea!"));
    CopyCoded(path, copy, m_archiveKey(), progress);
    return copy;
}

} // namespace dosarium
