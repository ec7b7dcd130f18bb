#include "app/FolderRemoval.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

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
    folders << folder;
    for (const QString &f : folders) {
        if (!QDir().rmdir(f) && left.isEmpty())
            left << QDir::toNativeSeparators(f);
    }
    return left;
}

} // namespace dosarium
