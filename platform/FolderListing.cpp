#include "platform/FolderListing.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dosarium {

int FolderListing::openFolder(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int FolderListing::openSubfolder(int parent, const QString &name)
{
    return ::openat(parent, QFile::encodeName(name).constData(),
                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void FolderListing::closeFolder(int folder)
{
    ::close(folder);
}

int FolderListing::list(int folder, const Visit &visit)
{
    // The library's directory streams cost a buffer and two system calls more per folder, and
    // the trees listed hold tens of thousands of folders.
    for (;;) {
        const ssize_t n = ::getdents64(folder, m_buffer.data(), m_buffer.size() * sizeof(quint64));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        for (ssize_t at = 0; at < n;) {
            const auto *d = reinterpret_cast<const dirent64 *>(
                reinterpret_cast<const char *>(m_buffer.data()) + at);
            at += d->d_reclen;
            const char *raw = d->d_name;
            if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
                continue;
            unsigned char type = d->d_type;
            struct stat info {};
            if (type == DT_UNKNOWN || type == DT_REG) {
                // Looked at as it stands: a link is never followed.
                if (::fstatat(folder, raw, &info, AT_SYMLINK_NOFOLLOW) == 0)
                    type = S_ISDIR(info.st_mode)   ? DT_DIR
                           : S_ISREG(info.st_mode) ? DT_REG
                           : S_ISLNK(info.st_mode) ? DT_LNK
                                                   : DT_UNKNOWN;
                else
                    type = DT_UNKNOWN;
            }
            const EntryKind kind = type == DT_REG   ? EntryKind::File
                                   : type == DT_DIR ? EntryKind::Folder
                                   : type == DT_LNK ? EntryKind::Link
                                                    : EntryKind::Other;
            visit(QFile::decodeName(raw), kind, kind == EntryKind::File ? qint64(info.st_size) : 0);
        }
    }
}

} // namespace dosarium
