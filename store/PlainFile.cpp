#include "store/PlainFile.h"

#include "store/Error.h"
#include "store/FilePath.h"

#include <QDir>
#include <QFile>

#include <cerrno>

namespace dosarium {

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

std::optional<QByteArray> readPlainFile(const QString &path)
{
    const int fd = openPlainFile(path, FileAccess::Read);
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
        const qint64 n = readFile(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            closeFile(fd);
            throw Error(QStringLiteral("Nu pot citi fisierul %1: %2.")
                            .arg(QDir::toNativeSeparators(path), systemErrorText(error)));
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    closeFile(fd);
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

} // namespace dosarium
