// The program's users as the administrator window manages them, without any window: the working
// users table u.dbf in the temporary folder, built from the user file at every opening and
// removed at closing; the rank rules; adding and deleting users and changing passwords, each
// carried into the users table, the signed-in user and the user file in that order; and, when
// the archive key (ADMIN's password) changes, the re-coding of the whole archive, all or nothing.
#pragma once

#include "access/ArchiveRecoding.h"
#include "access/Refusal.h"
#include "access/UserFile.h"
#include "store/Error.h"

#include <QHash>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace dosarium {

class ProgressSink;
class Query;
class Workspace;

namespace AdminTexts {
inline const QString SettingsTitle = QStringLiteral("Setari");
inline const QString AddTitle = QStringLiteral("Adaugare Utilizator");
inline const QString ModifyTitle = QStringLiteral("Modificare Utilizator");
inline const QString DeleteTitle = QStringLiteral("Stergere Utilizator");
inline const QString AlreadyThere = QStringLiteral("Acest utilizator exista deja!!");
inline const QString AdminStays = QStringLiteral("Nu puteti sterge ADMIN-ul!");
inline const QString OthersData = QStringLiteral("Nu aveti dreptul sa modificati datele altora!");
inline const QString StaleKey =
    QStringLiteral("\rParola administratorului a fost schimbata intre timp de pe alt calculator."
                   "\rNu s-a schimbat nimic: inchideti programul si intrati din nou cu parola "
                   "noua.");
inline const QString MissingName = QStringLiteral("Lipseste Numele!");
inline const QString PasswordsDiffer =
    QStringLiteral("Parola nu e scrisa la fel in cele doua casute!");
inline const QString NoSecondAdmin = QStringLiteral("Nu mai puteti adauga inca un Administrator!");
inline const QString AdminName = QStringLiteral("ADMIN");
} // namespace AdminTexts

// The refusals of user administration, for the message box.
using UserRefused = Refusal;

// The signed-in user as the main window holds it.
struct SignedInUser {
    std::function<UserEntry()> current;
    std::function<void(const QByteArray &password)> setPassword; // the user's own new password
    std::function<QString()> typedName;                          // the sign-in name box, as typed
};

// The rank's name in the list: Administrator, Operator, Privitor; empty for any other value.
QString rankText(qint64 rank);
// The rank list of the user dialog, by position.
QStringList rankChoices();
// Only administrators see "Adaugare" and "Stergere".
bool mayAddAndDelete(const UserEntry &current);
// The server-folder buttons answer only the name typed exactly as ADMIN at sign-in.
bool mayChooseServer(const QString &typedName);

// What "Memoreaza" of the user dialog finds wrong, with the entry it points at; the name is
// already cleaned.
enum class UserField { Name, Password2, Rank };
struct UserProblem {
    UserField field;
    QString text;
};
std::optional<UserProblem> checkUserEntry(const QString &name, const QString &password1,
                                          const QString &password2, bool addMode, int rank);

class UserAdministration {
public:
    UserAdministration(Workspace &workspace, SignedInUser user);
    ~UserAdministration();
    UserAdministration(const UserAdministration &) = delete;
    UserAdministration &operator=(const UserAdministration &) = delete;

    // The users table in the temporary folder.
    QString usersTablePath() const;

    // Builds the users table from the user file (a table left over is deleted first) and opens
    // the list sorted by name. Throws UserRefused when the table left over is in use, Error
    // when the user file cannot be read.
    void open();
    // Closes the list and deletes the users table (a failure to delete is ignored).
    void close();
    // The list of users: NUME, PAROLA, RANG and the computed RANGT.
    Query &Ux() const { return *m_ux; }
    bool isOpen() const;

    // The current row's name and rank; its password as stored, trailing blanks included.
    QString currentName() const;
    int currentRank() const;
    QString passwordOf(const QString &name) const;

    // A new user; throws UserRefused when the name is taken. The new row becomes the current.
    void add(const QString &name, const QString &password, int rank);
    // Throws UserRefused for ADMIN, who cannot be deleted.
    static void checkDeletion(const QString &name);
    void remove(const QString &name);
    // Throws UserRefused when the signed-in user may not change the row's data.
    void checkModification(const QString &rowName) const;
    // The new password of `name` in the users table, the signed-in user (their own) and the
    // user file; when ADMIN's password, the archive key, becomes another text, the archive is
    // re-coded from the old key to the new. Throws UserRefused when the signed-in user's key is
    // no longer the user file's, when another program re-codes the archive, or when a file
    // could not be re-coded (everything is then back on the old password and key).
    void changePassword(const QString &name, const QString &password, ProgressSink &progress);

    // Rewrites the user file from the list.
    void SaveUserFile();
    // Re-codes the archive from ADMIN's old password to the new one, as planned in the journal
    // before the user file changed; when a file fails, puts the old password back and turns
    // the files already re-coded back (see changePassword).
    void RecodeArchive(const QByteArray &oldKey, const QByteArray &newKey, ProgressSink &progress);

    ArchiveRecoding &recoding() const { return *m_recoding; }

private:
    void reopenAt(const QString &name);
    QString dataDir() const;
    // The stored entry of the user whose name the table reads as `name`.
    UserEntry storedEntry(const QByteArray &name) const;
    // Puts `password` into the row of `user`, and into the signed-in user when it is theirs.
    void storePassword(const UserEntry &user, const QByteArray &password);
    UserEntry exactEntry(const UserEntry &row) const;
    QByteArray archiveKey() const;

    Workspace &m_workspace;
    SignedInUser m_user;
    std::unique_ptr<Query> m_ux;
    std::unique_ptr<ArchiveRecoding> m_recoding;
    // The stored bytes of each user's name and password, by the name as the table reads it: the
    // table drops trailing blanks, the user file keeps them.
    QHash<QByteArray, UserEntry> m_exact;
};

} // namespace dosarium
