#include "tools/ArchiveTree.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const int fd =
        ::open(QFile::encodeName(dataDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw FolderUnreadable(QStringLiteral("Nu pot citi dosarul %1: %2.")
                                   .arg(QDir::toNativeSeparators(dataDir), systemErrorText(errno)));
    folders.push_back({});
    list(fd, 0, 0); // closes fd
}

void ArchiveTree::list(int dirFd, int index, int depth)
{
    // The entries are read straight from the kernel into one buffer that every folder reuses:
    // the library's directory streams cost a buffer and two system calls more per folder, and
    // the year folders hold tens of thousands of folders.
    std::vector<TreeEntry> entries;
    for (;;) {
        const ssize_t n = ::getdents64(dirFd, m_buffer.data(), m_buffer.size() * sizeof(quint64));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            unreadable << folders[size_t(index)].relative + QStringLiteral(": ") +
                              systemErrorText(errno);
            break;
        }
        if (n == 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto *d = reinterpret_cast<const dirent64 *>(
                reinterpret_cast<const char *>(m_buffer.data()) + at);
            at += d->d_reclen;
            const char *raw = d->d_name;
            if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
                continue;
            TreeEntry e;
            e.name = QFile::decodeName(raw);
            unsigned char type = d->d_type;
            struct stat info {};
            if (type == DT_UNKNOWN || type == DT_REG) {
                // Looked at as it stands: a link is never followed.
                if (::fstatat(dirFd, raw, &info, AT_SYMLINK_NOFOLLOW) == 0)
                    type = S_ISDIR(info.st_mode)   ? DT_DIR
                           : S_ISREG(info.st_mode) ? DT_REG
                           : S_ISLNK(info.st_mode) ? DT_LNK
                                                   : DT_UNKNOWN;
                else
                    type = DT_UNKNOWN;
            }
            if (type == DT_REG) {
                e.type = TreeEntry::Type::File;
                e.size = qint64(info.st_size);
            } else if (type == DT_DIR) {
                e.type = TreeEntry::Type::Folder;
            } else if (type == DT_LNK) {
                e.type = TreeEntry::Type::Link;
                links << archiveChildPath(folders[size_t(index)].relative, e.name);
            }
            entries.push_back(std::move(e));
        }
    }
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
        const int fd = ::openat(dirFd, QFile::encodeName(entries[i].name).constData(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            unreadable << relative + QStringLiteral(": ") + systemErrorText(errno);
            continue;
        }
        const int child = int(folders.size());
        entries[i].folder = child;
        folders.push_back({relative, {}});
        list(fd, child, depth + 1);
    }
    ::close(dirFd);
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
