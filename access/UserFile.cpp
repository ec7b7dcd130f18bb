#include "access/UserFile.h"

#include "app/DamagedFiles.h"
#include "app/UsersTable.h"
#include "platform/ReplacementFile.h"
#include "store/CodePage.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/PlainFile.h"
#include "store/Query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace dosarium {

namespace {

const QString FileName = QStringLiteral("ini.mpg");

// What went wrong with a file, in the words the user reads.
QString reason(const QFileDevice &file)
{
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        return QStringLiteral("acces interzis");
    case QFileDevice::ResourceError:
        return QStringLiteral("spatiu insuficient pe disc");
    case QFileDevice::ReadError:
        return QStringLiteral("eroare la citire");
    case QFileDevice::OpenError:
        return QFileInfo(file.fileName()).isDir() ? QStringLiteral("este un director")
                                                  : QStringLiteral("nu poate fi deschis");
    default:
        return QStringLiteral("eroare de intrare/iesire");
    }
}

[[noreturn]] void fail(const QString &what, const QString &path, const QFileDevice &file)
{
    throw Error(QStringLiteral("Fisierul utilizatorilor %1 %2 (%3).")
                    .arg(QDir::toNativeSeparators(path), what, reason(file)));
}

QByteArray encodeCut(const QString &text)
{
    return CodePage::windows1250().encode(text.left(UserEntry::TextSize));
}

// Writes the whole file anew beside the old one and renames it over; with `onlyIfAbsent` it
// takes the name only when no file holds it yet (another workstation may have created it
// meanwhile, and then that file stays).
void writeEntries(const QString &path, const QList<UserEntry> &entries, const QString &what,
                  bool onlyIfAbsent = false)
{
    QByteArray bytes;
    bytes.reserve(entries.size() * UserEntry::RecordSize);
    for (const UserEntry &entry : entries)
        bytes += entry.toRecord();
    try {
        ReplacementFile file(path);
        file.write(bytes);
        if (onlyIfAbsent)
            file.commitIfAbsent();
        else
            file.commit();
    } catch (const ReplacementError &e) {
        throw Error(QStringLiteral("Fisierul utilizatorilor %1 %2 (%3).")
                        .arg(QDir::toNativeSeparators(path), what, e.reason()));
    }
}

// Opens the file for reading, creating it with the default entry when `create` is set.
void openForReading(QFile &file, const QString &path, bool create)
{
    // A link, a folder or a special file in its place is refused by name, never opened.
    const EntryKind kind = entryKind(path);
    if (kind != EntryKind::File && kind != EntryKind::Missing)
        throw Error(QStringLiteral("Fisierul utilizatorilor nu poate fi citit: ") +
                    notPlainFileText(path, kind));
    if (kind == EntryKind::Missing) {
        if (!create)
            throw Error(QStringLiteral("Fisierul utilizatorilor %1 nu exista.")
                            .arg(QDir::toNativeSeparators(path)));
        writeEntries(path, {defaultUserEntry()}, QStringLiteral("nu poate fi creat"), true);
    }
    const int fd = openPlainFile(path, FileAccess::Read);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            closeFile(fd);
        file.setFileName(path);
        fail(QStringLiteral("nu poate fi citit"), path, file);
    }
}

// Reads the next whole record; false at the end or before a trailing fragment.
bool readRecord(QFile &file, const QString &path, char (&record)[UserEntry::RecordSize])
{
    const qint64 n = file.read(record, UserEntry::RecordSize);
    if (n < 0)
        fail(QStringLiteral("nu poate fi citit"), path, file);
    return n == UserEntry::RecordSize;
}

} // namespace

QString UserEntry::nameText() const
{
    return CodePage::windows1250().decode(Name);
}

QString UserEntry::passwordText() const
{
    return CodePage::windows1250().decode(Password);
}

UserEntry UserEntry::fromText(const QString &name, const QString &password, quint8 rank)
{
    return UserEntry{encodeCut(name), encodeCut(password), rank};
}

QByteArray UserEntry::toRecord() const
{
    QByteArray record(RecordSize, '\0');
    const QByteArray name = Name.left(TextSize);
    const QByteArray password = Password.left(TextSize);
    record[0] = char(name.size());
    std::copy(name.begin(), name.end(), record.begin() + 1);
    record[33] = char(password.size());
    std::copy(password.begin(), password.end(), record.begin() + 34);
    record[66] = char(Rank);
    return record;
}

UserEntry UserEntry::fromRecord(const char *record)
{
    const int nameSize = std::min<int>(uchar(record[0]), TextSize);
    const int passwordSize = std::min<int>(uchar(record[33]), TextSize);
    return UserEntry{QByteArray(record + 1, nameSize), QByteArray(record + 34, passwordSize),
                     quint8(record[66])};
}

UserEntry defaultUserEntry()
{
    return UserEntry{QByteArrayLiteral("ADMIN"), QByteArray(), RankAdministrator};
}

QString userFilePath(const QString &dataDir)
{
    return resolveFileName(joinPath(dataDir, FileName));
}

UserEntry FindUser(const QString &dataDir, const UserEntry &wanted)
{
    const QString path = userFilePath(dataDir);
    QFile file;
    openForReading(file, path, true);
    char record[UserEntry::RecordSize];
    while (readRecord(file, path, record)) {
        UserEntry entry = UserEntry::fromRecord(record);
        // A name's first entry is the user: a later one of the same name never signs in, as
        // the archive key and the administrator window take the first too.
        if (entry.Name == wanted.Name)
            return entry.Password == wanted.Password ? entry : UserEntry();
    }
    return UserEntry();
}

QByteArray ReadArchiveKey(const QString &dataDir)
{
    const QString path = userFilePath(dataDir);
    QFile file;
    openForReading(file, path, true);
    char record[UserEntry::RecordSize];
    while (readRecord(file, path, record)) {
        const UserEntry entry = UserEntry::fromRecord(record);
        if (entry.Name == "ADMIN")
            return entry.Password;
    }
    return QByteArray();
}

QList<UserEntry> ReadUserFile(const QString &dataDir)
{
    const QString path = userFilePath(dataDir);
    QFile file;
    openForReading(file, path, false);
    QList<UserEntry> entries;
    char record[UserEntry::RecordSize];
    while (readRecord(file, path, record))
        entries.append(UserEntry::fromRecord(record));
    return entries;
}

QString WriteUserFile(const QString &dataDir, const QList<UserEntry> &entries)
{
    const QString path = userFilePath(dataDir);
    QString notice;
    if (entryKind(path) == EntryKind::File) {
        if (const std::optional<QByteArray> bytes = readPlainFile(path)) {
            const QString damage = userFileDamage(*bytes);
            if (!damage.isEmpty())
                notice = keepDamagedCopy(path, damage);
        }
    }
    writeEntries(path, entries, QStringLiteral("nu poate fi scris"));
    return notice;
}

QString SaveUserFile(const QString &dataDir, Query &users,
                     const std::function<UserEntry(const UserEntry &row)> &exact)
{
    const QString &nume = UsersTable::kName;
    // A file without users would shut everyone out for good: it is never written.
    if (!users.isOpen() || users.isEmpty())
        throw Error(QStringLiteral("Lista utilizatorilor este goala; fisierul utilizatorilor %1 "
                                   "a ramas neschimbat.")
                        .arg(QDir::toNativeSeparators(userFilePath(dataDir))));

    const QString current = users.asString(nume);
    users.disableControls();
    const auto release = [&] {
        users.enableControls();
        users.locate(nume, current);
    };
    QString notice;
    try {
        QList<UserEntry> entries;
        for (users.first(); !users.eof(); users.next()) {
            const UserEntry row =
                UserEntry::fromText(users.asString(nume), users.asString(UsersTable::kPassword),
                                    quint8(users.asInteger(UsersTable::kRank)));
            entries.append(exact ? exact(row) : row);
        }
        notice = WriteUserFile(dataDir, entries);
    } catch (...) {
        release();
        throw;
    }
    release();
    return notice;
}

} // namespace dosarium
