// Where an act's file lives in the archive tree beside the tables:
// {data folder}/{year}/{domain}/{subdomain}/{act id}, the file without an extension.
#pragma once

#include "store/Error.h"

#include <QString>
#include <QStringList>

namespace dosarium {

// A symbolic link, or a special file, where the archive has a folder or an act's file. The
// program never goes through it: the shared folder is written by every user, and a link there
// would lead its reads, writes and deletions out of the archive.
class LinkInArchive : public Error {
public:
    using Error::Error;
};

// The folder name a domain or subdomain text gives: the text as the table stores it (the
// comma-below letters Ș ș Ț ț in their cedilla forms Ş ş Ţ ţ) without its trailing dots and
// blanks, as the Windows workstations' folders are. Empty when the text can name no folder inside
// the data folder: empty, "." or "..", holding a separator or a NUL character.
QString ArchiveFolderName(const QString &text);

// How a domain or subdomain text names its folders. A value entered now is one folder; a value
// read from a row may hold separators ("ACTE/2005", written by the older program, which made
// nested folders of it), and then reaches those nested folders, each a name that stays inside
// the data folder.
enum class FolderText { Entered, Stored };

// The folders a row's domain or subdomain text reaches, outermost first (several for a text
// with separators); empty when it reaches no folder inside the data folder.
QStringList StoredFolderNames(const QString &text);

// The folder of an act's file: the data folder, the year, the domain and the subdomain. Every
// level that does not exist under its exact name but exists in another letter case is written
// as it exists, so that every workstation reaches the same folder. A domain or subdomain loses
// its trailing dots and blanks, as the Windows workstations' folders do. Throws Error for a
// piece that would reach outside the data folder: empty, "." or "..", holding a separator or a
// NUL character, and for a negative year; throws LinkInArchive when a level that exists is a
// symbolic link or no folder. A Stored text is split at its separators first, and each of its
// pieces is held to the same rules.
QString ArchiveFolder(const QString &dataDir, qint64 year, const QString &domain,
                      const QString &subdomain, FolderText domainText = FolderText::Entered,
                      FolderText subdomainText = FolderText::Entered);

// The path of an act's archived file: its folder (as ArchiveFolder) and the act's identifier in
// decimal digits. Throws Error as ArchiveFolder does, and for a negative identifier; throws
// LinkInArchive when a symbolic link or a special file stands in the file's place.
QString ArchivePath(const QString &dataDir, qint64 year, const QString &domain,
                    const QString &subdomain, qint64 actId,
                    FolderText domainText = FolderText::Entered,
                    FolderText subdomainText = FolderText::Entered);

// Why `path`, read from a file anyone may have written, is not an act's file of the archive tree of
// `dataDir`: empty when it is {dataDir}/{year}/{domain}/{subdomain}/{name}, with a year of digits,
// a domain and subdomain that name a folder (never ".", "..", a separator), a name of the act's
// digits followed by `suffix` (the digits `actId` when it is given), and no link or special file
// on the way.
QString ArchiveFileProblem(const QString &dataDir, const QString &path, const QString &suffix = {},
                           const QString &actId = {});

// True when the folder exists, or could be created together with every missing level.
bool EnsureArchiveFolder(const QString &folder);

} // namespace dosarium
