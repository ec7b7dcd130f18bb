#include "register/ActOperations.h"

#include "app/Workspace.h"
#include "archive/ArchivePath.h"
#include "archive/CodedCopy.h"
#include "store/FilePath.h"
#include "store/Query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace dosarium {

namespace {

const QString kAddTitle = QStringLiteral("Memorare act");
const QString kModifyTitle = QStringLiteral("Modificare Act");
const QString kViewTitle = QStringLiteral("Vizualizare fisier");

bool samePathAnyCase(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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

QString ActOperations::add(const ActEntry &act, ProgressSink &progress)
{
    const QString folder =
        ArchiveFolder(m_workspace.context().DataDir, act.date.year(), act.domeniul, act.subdom);
    if (!EnsureArchiveFolder(folder))
        throw ActRefused(kAddTitle,
                         QStringLiteral("\rNu pot crea directorul ") + folder + QLatin1Char('!'));
    m_workspace.WriteLog(addedLogText(act));
    const QString id = m_workspace.NextId(QStringLiteral("IDACT"));
    run(insertActStatement(m_workspace.actePath(), id, act, fileExtension(act.file)));
    try {
        CopyCoded(act.file, joinPath(folder, id), m_archiveKey(), progress);
    } catch (const Error &e) {
        // The register never lists an act whose document is not in the archive.
        try {
            run(deleteActStatement(m_workspace.actePath(), id));
        } catch (const Error &undo) {
            throw Error(e.message() + QStringLiteral("\rActul %1 a ramas in registru fara "
                                                     "fisier: %2")
                                          .arg(id, undo.message()));
        }
        throw Error(e.message() + QStringLiteral("\rActul nu a fost adaugat."));
    }
    return id;
}

void ActOperations::modify(const StoredAct &old, const ActEntry &edited, ProgressSink &progress)
{
    const QString dataDir = m_workspace.context().DataDir;
    const QString oldPath = archivedFile(old);
    m_workspace.WriteLog(modifiedLogText(edited));
    const QString newPath = ArchivePath(dataDir, edited.date.year(), edited.domeniul, edited.subdom,
                                        old.id.toLongLong());
    const bool fileChanged = !samePathAnyCase(edited.file, oldPath);
    const bool moved = !samePathAnyCase(oldPath, newPath);
    const QString extension = fileExtension(edited.file);
    const QStringList update = updateActStatement(m_workspace.actePath(), old.id, edited,
                                                  fileChanged ? &extension : nullptr);
    const QString newFolder = QFileInfo(newPath).path();

    if (fileChanged) {
        // The new document is stored whole before the old one goes: a failure keeps the old.
        if (!EnsureArchiveFolder(newFolder))
            throw ActRefused(kModifyTitle, QStringLiteral("\rNu pot crea directorul ") + newFolder +
                                               QLatin1Char('!'));
        CopyCoded(edited.file, newPath, m_archiveKey(), progress);
        try {
            run(update);
        } catch (...) {
            if (moved)
                QFile::remove(newPath);
            throw;
        }
        if (moved)
            QFile::remove(oldPath);
        return;
    }
    if (moved) {
        if (!EnsureArchiveFolder(newFolder))
            throw ActRefused(kModifyTitle, QStringLiteral("\rNu pot crea directorul ") + newFolder +
                                               QLatin1Char('!'));
        if (QFileInfo::exists(newPath))
            throw ActRefused(kModifyTitle, QStringLiteral("\rIn arhiva exista deja fisierul ") +
                                               newPath +
                                               QStringLiteral("!\rActul nu a fost modificat."));
        if (QFileInfo::exists(oldPath) && !QFile::rename(oldPath, newPath))
            throw ActRefused(kModifyTitle, QStringLiteral("\rNu pot muta fisierul ") + oldPath +
                                               QStringLiteral(" in ") + newFolder +
                                               QStringLiteral("!\rActul nu a fost modificat."));
        try {
            run(update);
        } catch (...) {
            QFile::rename(newPath, oldPath);
            throw;
        }
        return;
    }
    run(update);
}

void ActOperations::remove(const StoredAct &act)
{
    m_workspace.WriteLog(deletedLogText(act));
    QString path;
    try {
        path = archivedFile(act);
    } catch (const Error &) {
        // A row whose texts cannot name a file has no file to remove.
    }
    if (!path.isEmpty())
        QFile::remove(path);
    run(deleteActStatement(m_workspace.actePath(), act.id));
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
