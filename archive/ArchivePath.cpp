#include "archive/ArchivePath.h"

#include "store/Error.h"
#include "store/FilePath.h"
#include "store/PlainFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace dosarium {

namespace {

// The name a domain or subdomain gives its folder; throws when it would leave the data folder.
QString folderPiece(const QString &text, const char *what)
{
    const QString piece = ArchiveFolderName(text);
    if (piece.isEmpty())
        throw Error(QStringLiteral("%1 \"%2\" nu poate fi nume de director in arhiva.")
                        .arg(QLatin1String(what), text));
    return piece;
}

// The folders a domain or subdomain text gives, outermost first.
QStringList folderLevels(const QString &text, FolderText kind, const char *what)
{
    if (kind == FolderText::Entered)
        return {folderPiece(text, what)};
    QStringList levels;
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    for (const QString &part : text.split(separators))
        levels << folderPiece(part, what);
    return levels;
}

bool allDigits(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString linkText(const QString &path)
{
    return QStringLiteral("In arhiva, %1 este o legatura simbolica sau un fisier special, nu un "
                          "director sau fisier al arhivei; programul nu trece prin ea. Stergeti-o "
                          "sau puneti in locul ei directorul sau fisierul adevarat.")
        .arg(QDir::toNativeSeparators(path));
}

// Refuses a link or a special file on the levels of `path` below `dataDir`.
void refuseLinks(const QString &dataDir, const QString &path)
{
    QString level = dataDir;
    for (const QString &name : QDir::toNativeSeparators(path.mid(dataDir.size() + 1))
                                   .split(QDir::separator(), Qt::SkipEmptyParts)) {
        level = joinPath(level, name);
        const EntryKind kind = entryKind(level);
        if (kind == EntryKind::Link || kind == EntryKind::Other)
            throw LinkInArchive(linkText(level));
        if (kind != EntryKind::Folder)
            return; // nothing below a missing level; a file there is no folder to make
    }
}

#ifndef Q_OS_WIN
// The entry of `folder` that is `name` without regard to letter case: the first in order when
// several match; empty when none does.
QString existingSpelling(const QString &folder, const QString &name)
{
    QString best;
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QString entry = it.fileName();
        if (entry.compare(name, Qt::CaseInsensitive) == 0 && (best.isEmpty() || entry < best))
            best = entry;
    }
    return best;
}
#endif

// `base` followed by the levels; each level that exists only in another letter case is
// written as it exists.
QString resolvedFolder(const QString &base, const QStringList &levels)
{
    QString path = base;
    for (const QString &level : levels)
        path = joinPath(path, level);
#ifndef Q_OS_WIN
    if (QFileInfo(path).isDir())
        return path; // every level exists under its exact name
    path = base;
    bool resolving = true;
    for (const QString &level : levels) {
        QString name = level;
        if (resolving && !QFileInfo(joinPath(path, level)).exists()) {
            const QString found = existingSpelling(path, level);
            if (found.isEmpty())
                resolving = false; // nothing exists below a missing level
            else
                name = found;
        }
        path = joinPath(path, name);
    }
#endif
    return path;
}

} // namespace

QString ArchiveFolderName(const QString &text)
{
    QString piece = text;
    // The table stores the comma-below letters in their cedilla forms, so a text as typed and
    // the same text read back from its row must reach one folder.
    for (QChar &c : piece) {
        switch (c.unicode()) {
        case u'\u0218':
            c = QChar(u'\u015E');
            break;
        case u'\u0219':
            c = QChar(u'\u015F');
            break;
        case u'\u021A':
            c = QChar(u'\u0162');
            break;
        case u'\u021B':
            c = QChar(u'\u0163');
            break;
        default:
            break;
        }
    }
    // Windows drops trailing dots and blanks from a folder name, so "Contr." is the folder
    // "Contr" there; the same text must reach the same folder here.
    while (!piece.isEmpty() &&
           (piece.back() == QLatin1Char('.') || piece.back() == QLatin1Char(' ')))
        piece.chop(1);
    if (piece.contains(QLatin1Char('/')) || piece.contains(QLatin1Char('\\')) ||
        piece.contains(QChar(u'\0')))
        return QString();
    return piece;
}

QStringList StoredFolderNames(const QString &text)
{
    try {
        return folderLevels(text, FolderText::Stored, "");
    } catch (const Error &) {
        return {};
    }
}

QString ArchiveFolder(const QString &dataDir, qint64 year, const QString &domain,
                      const QString &subdomain, FolderText domainText, FolderText subdomainText)
{
    if (year < 0)
        throw Error(QStringLiteral("Anul %1 nu poate fi nume de director in arhiva.").arg(year));
    const QStringList levels = QStringList{QString::number(year)} +
                               folderLevels(domain, domainText, "Domeniul") +
                               folderLevels(subdomain, subdomainText, "Subdomeniul");
    const QString folder = resolvedFolder(dataDir, levels);
    refuseLinks(dataDir, folder);
    return folder;
}

QString ArchivePath(const QString &dataDir, qint64 year, const QString &domain,
                    const QString &subdomain, qint64 actId, FolderText domainText,
                    FolderText subdomainText)
{
    if (actId < 0)
        throw Error(QStringLiteral("Actul %1 nu poate avea un fisier in arhiva.").arg(actId));
    const QString path =
        joinPath(ArchiveFolder(dataDir, year, domain, subdomain, domainText, subdomainText),
                 QString::number(actId));
    const EntryKind kind = entryKind(path);
    if (kind == EntryKind::Link || kind == EntryKind::Other)
        throw LinkInArchive(linkText(path));
    return path;
}

QString ArchiveFileProblem(const QString &dataDir, const QString &path, const QString &suffix,
                           const QString &actId)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QString prefix = QDir::toNativeSeparators(dataDir + QLatin1Char('/'));
    const QStringList levels = shown.startsWith(prefix)
                                   ? shown.mid(prefix.size()).split(QDir::separator())
                                   : QStringList();
    // The year, the domain's and subdomain's folders (several for the nested folders the older
    // program made of a text with separators) and the file.
    if (levels.size() < 4)
        return QStringLiteral("%1 nu este un fisier al arhivei din %2")
            .arg(shown, QDir::toNativeSeparators(dataDir));
    const QString &name = levels.constLast();
    const QString digits = name.chopped(std::min(name.size(), suffix.size()));
    const bool foldersSound =
        std::all_of(levels.begin() + 1, levels.end() - 1,
                    [](const QString &f) { return !f.isEmpty() && ArchiveFolderName(f) == f; });
    if (!allDigits(levels.at(0)) || !foldersSound || !name.endsWith(suffix) || !allDigits(digits) ||
        (!actId.isEmpty() && digits != actId))
        return QStringLiteral("%1 nu este fisierul unui act in arhiva").arg(shown);
    const QString foreign = firstForeignLevel(dataDir, levels);
    if (!foreign.isEmpty())
        return QStringLiteral("%1 este o legatura simbolica sau un fisier special")
            .arg(QDir::toNativeSeparators(foreign));
    return QString();
}

bool EnsureArchiveFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    return QDir().mkpath(folder);
}

} // namespace dosarium
