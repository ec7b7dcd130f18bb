// A fast listing of large folder trees: the entries of a folder are read straight from the
// system into one buffer that every folder reuses, and a folder is opened by its name inside its
// parent, never through a link.
#pragma once

#include "platform/FileStatus.h"

#include <QString>

#include <functional>
#include <vector>

namespace dosarium {

class FolderListing {
public:
    // What `list` hands over for each entry but "." and "..": its name, what it is (a link as a
    // link) and, for a file, its size.
    using Visit = std::function<void(const QString &name, EntryKind kind, qint64 size)>;

    // Open folders are descriptors; -1 with errno set when the folder cannot be opened.
    static int openFolder(const QString &path);
    // `name` inside the open folder `parent`; a link there is refused.
    static int openSubfolder(int parent, const QString &name);
    static void closeFolder(int folder);

    // Visits every entry of the open folder; 0, or the system's error number when the listing
    // broke off (the entries visited until then stay visited).
    int list(int folder, const Visit &visit);

private:
    // Directory records as the kernel writes them, aligned for their 64-bit fields.
    std::vector<quint64> m_buffer = std::vector<quint64>(8 * 1024);
};

} // namespace dosarium
