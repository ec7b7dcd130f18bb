#include "store/PlainFile.h"

#include "store/Error.h"
#include "store/FilePath.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dosarium {

namespace {

EntryKind kindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return EntryKind::Link;
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

} // namespace

EntryKind entryKind(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return EntryKind::Missing;
    return kindOf(info.st_mode);
}

QString notPlainFileText(const QString &path, EntryKind kind)
{
    const QString shown = QDir::toNativeSeparators(path);
    switch (kind) {
    case EntryKind::Link:
        return QStringLiteral("%1 este o legatura simbolica, nu un fisier; programul nu o urmeaza. "
                              "Stergeti legatura si puneti in locul ei fisierul.")
            .arg(shown);
    case EntryKind::Folder:
        return QStringLiteral("%1 este un director, nu un fisier. Mutati directorul din dosarul "
                              "de date.")
            .arg(shown);
    case EntryKind::Other:
        return QStringLiteral("%1 nu este un fisier obisnuit (este un fisier special, de exemplu "
                              "o conducta sau un dispozitiv); programul nu il deschide. Stergeti-l "
                              "din dosarul de date.")
            .arg(shown);
    case EntryKind::Missing:
    case EntryKind::File:
        break;
    }
    return QString();
}

int openPlainFile(const QString &path, int access, bool create, unsigned mode)
{
    // No waiting on a pipe's other end or a device: the descriptor is checked before any read.
    const int fd =
        ::open(QFile::encodeName(path).constData(),
               access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (create ? O_CREAT : 0), mode_t(mode));
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<QByteArray> readPlainFile(const QString &path)
{
    const int fd = openPlainFile(path, O_RDONLY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return std::nullopt;
        const QString refused = notPlainFileText(path, entryKind(path));
        throw Error(refused.isEmpty()
                        ? QStringLiteral("Nu pot citi fisierul %1: %2.")
                              .arg(QDir::toNativeSeparators(path), systemErrorText(error))
                        : refused);
    }
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw Error(QStringLiteral("Nu pot citi fisierul %1: %2.")
                            .arg(QDir::toNativeSeparators(path), systemErrorText(error)));
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

QString firstForeignLevel(const QString &base, const QStringList &levels)
{
    QString path = base;
    for (qsizetype i = 0; i < levels.size(); ++i) {
        path = joinPath(path, levels.at(i));
        const EntryKind kind = entryKind(path);
        if (kind == EntryKind::Missing)
            return QString();
        const bool last = i + 1 == levels.size();
        if (kind != EntryKind::Folder && !(last && kind == EntryKind::File))
            return path;
    }
    return QString();
}

qint64 dataEndFrom(int fd, qint64 from, qint64 size)
{
    if (from >= size)
        return size;
    const off_t hole = ::lseek(fd, off_t(from), SEEK_HOLE);
    return hole < 0 ? size : std::min(size, qint64(hole));
}

void useOfficeFileMode()
{
    const mode_t inherited = ::umask(0);
    ::umask((inherited & ~mode_t(S_IWGRP | S_IRGRP)) | S_IRWXO);
}

} // namespace dosarium
