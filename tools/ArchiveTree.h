// The archive tree of a data folder read as one listing: every folder below the year folders
// with its entries sorted by name, so that an act's file is found without a system call of its
// own.
#pragma once

#include "platform/FolderListing.h"
#include "store/Error.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

namespace dosarium {

// A data folder that cannot be read at all: missing, not a folder, or without a documents table
// that can be read.
class FolderUnreadable : public Error {
public:
    using Error::Error;
};

struct TreeEntry {
    enum class Type : quint8 { File, Folder, Link, Other };
    QString name;
    Type type = Type::Other;
    int folder = -1; // Folder: its index
    qint64 size = 0; // File
    bool claimed = false;
};

struct TreeFolder {
    QString relative; // from the data folder, with "/"
    std::vector<TreeEntry> entries;

    const TreeEntry *find(const QString &name) const
    {
        auto it = std::lower_bound(entries.begin(), entries.end(), name,
                                   [](const TreeEntry &e, const QString &n) { return e.name < n; });
        return it != entries.end() && it->name == name ? &*it : nullptr;
    }
    TreeEntry *find(const QString &name)
    {
        return const_cast<TreeEntry *>(std::as_const(*this).find(name));
    }
};

class ArchiveTree {
public:
    // Lists the data folder and every folder below its year folders. Throws FolderUnreadable when
    // the data folder itself cannot be listed.
    explicit ArchiveTree(const QString &dataDir);

    std::vector<TreeFolder> folders; // [0] is the data folder
    QStringList unreadable;          // folders below it that could not be listed, with the cause
    QStringList links;               // symbolic links found, relative: never gone through

    // The folder of `levels` as the program reaches it: each level under its exact name, else
    // the first folder in order that is the same name in another letter case; -1 when a level is
    // missing (or a file stands in its place).
    int resolve(const QStringList &levels) const;

private:
    void list(int dirFd, int index, int depth);

    FolderListing m_listing;
};

// `name` inside the folder `folder` (relative, with "/"; empty for the data folder).
QString archiveChildPath(const QString &folder, const QString &name);

} // namespace dosarium
