#include "app/FolderRemoval.h"

#include "platform/FileNames.h"
#include "platform/FileStatus.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>

namespace dosarium {

QStringList removeFolderTree(const QString &folder)
{
    QStringList left;
    const QFileInfo root(folder);
    if (!root.exists() && !root.isSymLink())
        return left;
    if (!root.isDir() || root.isSymLink()) {
        if (!QFile::remove(folder))
            left << QDir::toNativeSeparators(folder);
        return left;
    }
    // Files first, then the folders from the deepest up; links are removed, never followed.
    QStringList folders;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        if (entry.isDir() && !entry.isSymLink()) {
            folders << entry.filePath();
        } else if (!QFile::remove(entry.filePath())) {
            left << QDir::toNativeSeparators(entry.filePath());
        }
    }
    std::sort(folders.begin(), folders.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &f : std::as_const(folders)) {
        if (!QDir().rmdir(f) && left.isEmpty())
            left << QDir::toNativeSeparators(f);
    }
    // A folder whose parent this user may not change (the package's shared scratch folder, made
    // by the installation) is emptied; the folder itself stays.
    if (!removeEmptyFolder(folder) && left.isEmpty() &&
        !((errno == EACCES || errno == EPERM) && QDir(folder).isEmpty()))
        left << QDir::toNativeSeparators(folder);
    return left;
}

void clearOwnScratchFiles(const QString &folder)
{
    // An act's readable copy is named by its id and extension; the users' table is u.dbf.
    static const QRegularExpression ownName(
        QStringLiteral("^(\\d+(\\.[^/]*)?|u\\.dbf)(\\.~dsm-.*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!ownName.match(name).hasMatch())
            continue;
        const QString path = dir.filePath(name);
        const std::optional<FileStatus> info = statusAt(path);
        if (info && info->kind == EntryKind::File && info->ownedByUser)
            removeEntry(path);
    }
}

} // namespace dosarium
