#include "tools/ArchiveTree.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>

namespace dosarium {

namespace {

// The year folders hold three levels (domain, subdomain, file); deeper trees are still read for
// stray files. A link is never gone through, so the listing cannot leave the data folder.
constexpr int kMaxDepth = 32;

bool isYearName(const QString &name)
{
    return !name.isEmpty() &&
           std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

QString archiveChildPath(const QString &folder, const QString &name)
{
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

ArchiveTree::ArchiveTree(const QString &dataDir)
{
    const int fd = FolderListing::openFolder(dataDir);
    if (fd < 0)
        throw FolderUnreadable(QStringLiteral("Nu pot citi dosarul %1: %2.")
                                   .arg(QDir::toNativeSeparators(dataDir), systemErrorText(errno)));
    folders.push_back({});
    list(fd, 0, 0); // closes fd
}

void ArchiveTree::list(int dirFd, int index, int depth)
{
    std::vector<TreeEntry> entries;
    const int error = m_listing.list(dirFd, [&](const QString &name, EntryKind kind, qint64 size) {
        TreeEntry e;
        e.name = name;
        if (kind == EntryKind::File) {
            e.type = TreeEntry::Type::File;
            e.size = size;
        } else if (kind == EntryKind::Folder) {
            e.type = TreeEntry::Type::Folder;
        } else if (kind == EntryKind::Link) {
            e.type = TreeEntry::Type::Link;
            links << archiveChildPath(folders[size_t(index)].relative, e.name);
        }
        entries.push_back(std::move(e));
    });
    if (error != 0)
        unreadable << folders[size_t(index)].relative + QStringLiteral(": ") +
                          systemErrorText(error);
    std::sort(entries.begin(), entries.end(),
              [](const TreeEntry &a, const TreeEntry &b) { return a.name < b.name; });
    // Below the data folder only the year folders belong to the archive. Each folder is opened
    // when its turn comes, so no more are open at once than the tree is deep.
    const QString base = folders[size_t(index)].relative;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].type != TreeEntry::Type::Folder || depth >= kMaxDepth ||
            (depth == 0 && !isYearName(entries[i].name)))
            continue;
        const QString relative = archiveChildPath(base, entries[i].name);
        const int fd = FolderListing::openSubfolder(dirFd, entries[i].name);
        if (fd < 0) {
            unreadable << relative + QStringLiteral(": ") + systemErrorText(errno);
            continue;
        }
        const int child = int(folders.size());
        entries[i].folder = child;
        folders.push_back({relative, {}});
        list(fd, child, depth + 1);
    }
    FolderListing::closeFolder(dirFd);
    folders[size_t(index)].entries = std::move(entries);
}

int ArchiveTree::resolve(const QStringList &levels) const
{
    int at = 0;
    for (const QString &level : levels) {
        const TreeFolder &folder = folders[size_t(at)];
        if (const TreeEntry *exact = folder.find(level)) {
            if (exact->type != TreeEntry::Type::Folder || exact->folder < 0)
                return -1;
            at = exact->folder;
            continue;
        }
        const TreeEntry *best = nullptr;
        for (const TreeEntry &e : folder.entries) {
            if (e.type == TreeEntry::Type::Folder && e.folder >= 0 &&
                e.name.compare(level, Qt::CaseInsensitive) == 0 && (!best || e.name < best->name))
                best = &e;
        }
        if (!best)
            return -1;
        at = best->folder;
    }
    return at;
}

} // namespace dosarium
