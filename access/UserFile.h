// The user file ini.mpg of the data folder: fixed records of 67 bytes (name length, 32 name
// bytes, password length, 32 password bytes, rank), Windows-1250 text, no header. Sign-in looks
// users up in it, the archive key is read from it and the administrator window rewrites it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace dosarium {

class Query;

// Ranks of the user file, the users table and the rank list.
enum : quint8 { RankAdministrator = 0, RankOperator = 1, RankViewer = 2 };

// One user as the file stores it; names and passwords are kept as their stored bytes so that
// they compare and round-trip byte for byte.
struct UserEntry {
    static constexpr int RecordSize = 67;
    static constexpr int TextSize = 32;

    QByteArray Name;     // at most 32 bytes
    QByteArray Password; // at most 32 bytes
    quint8 Rank = 0;

    // An entry without a name: the result of a failed lookup.
    bool isEmpty() const { return Name.isEmpty(); }

    QString nameText() const;
    QString passwordText() const;

    // Name and password cut to their first 32 characters and stored in Windows-1250 (the
    // comma-below letters as their cedilla forms). Throws dosarium::Error for a character the
    // code page cannot hold.
    static UserEntry fromText(const QString &name, const QString &password, quint8 rank = 0);

    // The 67 stored bytes; the bytes after a text's significant characters are zeros.
    QByteArray toRecord() const;
    // Reads one record of 67 bytes; a length byte above 32 counts as 32.
    static UserEntry fromRecord(const char *record);

    friend bool operator==(const UserEntry &, const UserEntry &) = default;
};

// ADMIN with an empty password and the administrator rank: the only user of a new data folder.
UserEntry defaultUserEntry();

// The user file of `dataDir`, its name matched without regard to letter case.
QString userFilePath(const QString &dataDir);

// The first entry named as `wanted`, byte for byte, when its password equals that of `wanted`
// byte for byte; otherwise an empty entry (a later entry of the same name never matches). A
// missing file is first created holding the default entry.
UserEntry FindUser(const QString &dataDir, const UserEntry &wanted);

// The password of the first entry named exactly "ADMIN" (empty when there is none), read from
// the file at every call: the key of the coded archive. A missing file is first created.
QByteArray ReadArchiveKey(const QString &dataDir);

// Every entry in file order, for the administrator window's users table. A missing file is an
// error here; it is not created.
QList<UserEntry> ReadUserFile(const QString &dataDir);

// Replaces the file by `entries`: the new file is written beside the old one and renamed over
// it, so a failure leaves the old file whole. A damaged file (a piece of a record, impossible
// lengths or ranks) is first kept in a dated copy beside it; returns the notice that says so,
// empty for a sound file.
QString WriteUserFile(const QString &dataDir, const QList<UserEntry> &entries);

// Rewrites the file from the users query (columns NUME, PAROLA, RANG), walking it from its
// first row to its last with its controls frozen, then back to the row it stood on. `exact`,
// when given, turns each row's entry as read into the entry to store (a table drops the
// trailing blanks of its texts). Returns WriteUserFile's notice.
QString SaveUserFile(const QString &dataDir, Query &users,
                     const std::function<UserEntry(const UserEntry &row)> &exact = {});

} // namespace dosarium
