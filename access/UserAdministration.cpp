#include "access/UserAdministration.h"

#include "app/UsersTable.h"
#include "app/Workspace.h"
#include "archive/ProgressSink.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/TableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace dosarium {

namespace {

const QByteArray kAdmin = QByteArrayLiteral("ADMIN");

// The bytes as a table column gives them back: without trailing blanks.
QByteArray asTableReads(QByteArray bytes)
{
    while (!bytes.isEmpty() && (bytes.back() == ' ' || bytes.back() == '\0'))
        bytes.chop(1);
    return bytes;
}

// The statement that adds one user to the users table at `path`.
QStringList insertUser(const QString &path, const QString &name, const QString &password, int rank)
{
    return {QStringLiteral("INSERT INTO ") + quoteText(path),
            UsersTable::insertColumns(),
            QStringLiteral("VALUES ("),
            quoteText(name) + QLatin1Char(','),
            quoteText(password) + QLatin1Char(','),
            QString::number(rank) + QLatin1Char(')')};
}

QByteArray storedName(const QString &name)
{
    return UserEntry::fromText(name, QString()).Name;
}

// A users table left over by a window that did not close: deleted unless another program has it.
bool removeLeftOver(const QString &path)
{
    try {
        TableFile::open(path, TableFile::Mode::Exclusive);
    } catch (const TableInUseError &) {
        return false;
    } catch (const Error &) {
        // Not a table one can read: it goes all the same.
    }
    return QFile::remove(path);
}

// The progress window of a password change that re-codes the archive, up from before the pass
// is prepared to its end: each part restarts its bar, and only the change takes it down.
class HeldProgress final : public ProgressSink {
public:
    explicit HeldProgress(ProgressSink &window) : m_window(window) {}
    void start(qint64 maximum, const QString &description) override
    {
        m_window.start(maximum, description);
    }
    void step() override { m_window.step(); }
    void finish() override {}

private:
    ProgressSink &m_window;
};

} // namespace

QString rankText(qint64 rank)
{
    switch (rank) {
    case RankAdministrator:
        return QStringLiteral("Administrator");
    case RankOperator:
        return QStringLiteral("Operator");
    case RankViewer:
        return QStringLiteral("Privitor");
    default:
        return QString();
    }
}

QStringList rankChoices()
{
    return {QStringLiteral("ADMINISTRATOR"), QStringLiteral("OPERATOR"),
            QStringLiteral("PRIVITOR")};
}

bool mayAddAndDelete(const UserEntry &current)
{
    return current.Rank == RankAdministrator;
}

bool mayChooseServer(const QString &typedName)
{
    return typedName == AdminTexts::AdminName;
}

std::optional<UserProblem> checkUserEntry(const QString &name, const QString &password1,
                                          const QString &password2, bool addMode, int rank)
{
    if (name.isEmpty())
        return UserProblem{UserField::Name, AdminTexts::MissingName};
    if (password1 != password2)
        return UserProblem{UserField::Password2, AdminTexts::PasswordsDiffer};
    if (addMode && rank == RankAdministrator)
        return UserProblem{UserField::Rank, AdminTexts::NoSecondAdmin};
    return std::nullopt;
}

UserAdministration::UserAdministration(Workspace &workspace, SignedInUser user)
    : m_workspace(workspace), m_user(std::move(user)), m_ux(std::make_unique<Query>()),
      m_recoding(std::make_unique<ArchiveRecoding>(workspace, [this] { return archiveKey(); }))
{
    // UxCalcFields: the rank's name beside its number.
    m_ux->addCalculatedField(UsersTable::kRankText, [](const Query &ux, int row) {
        return rankText(ux.text(row, ux.fieldIndex(UsersTable::kRank)).toLongLong());
    });
}

UserAdministration::~UserAdministration() = default;

QString UserAdministration::dataDir() const
{
    return m_workspace.context().DataDir;
}

QByteArray UserAdministration::archiveKey() const
{
    return ReadArchiveKey(dataDir());
}

QString UserAdministration::usersTablePath() const
{
    return UsersTable::path(m_workspace.context().TempDir);
}

bool UserAdministration::isOpen() const
{
    return m_ux->isOpen();
}

void UserAdministration::open()
{
    const QString path = usersTablePath();
    const QString leftOver = resolveFileName(path);
    if (QFileInfo::exists(leftOver) && !removeLeftOver(leftOver))
        throw UserRefused(AdminTexts::SettingsTitle, QStringLiteral("Fisierul ") + path +
                                                         QStringLiteral(" este in utilizare!"));
    const QString users = quoteText(path);
    m_workspace.runStatement(UsersTable::createStatement(path));

    // Every entry of the user file, in file order; the file is not created here.
    const QList<UserEntry> entries = ReadUserFile(dataDir());
    m_exact.clear();
    for (const UserEntry &entry : entries) {
        m_workspace.runStatement(
            insertUser(path, entry.nameText(), entry.passwordText(), entry.Rank));
        // A name written twice (a user file made elsewhere) is its first entry, as at sign-in
        // and for the archive key.
        if (!m_exact.contains(asTableReads(entry.Name)))
            m_exact.insert(asTableReads(entry.Name), entry);
    }

    Query &ux = *m_ux;
    Workspace::ResetQuery(ux);
    ux.appendSql(QStringLiteral("SELECT * FROM ") + users);
    ux.appendSql(QStringLiteral("ORDER BY ") + UsersTable::kName);
    ux.open();
    m_workspace.yield();
}

void UserAdministration::close()
{
    Workspace::ResetQuery(*m_ux);
    m_exact.clear();
    QFile::remove(resolveFileName(usersTablePath()));
}

void UserAdministration::reopenAt(const QString &name)
{
    m_ux->close();
    m_ux->open();
    m_workspace.yield();
    if (!name.isNull())
        m_ux->locate(UsersTable::kName, name);
}

QString UserAdministration::currentName() const
{
    return m_ux->isOpen() && !m_ux->isEmpty() ? m_ux->asString(UsersTable::kName) : QString();
}

int UserAdministration::currentRank() const
{
    return m_ux->isOpen() && !m_ux->isEmpty() ? int(m_ux->asInteger(UsersTable::kRank))
                                              : RankViewer;
}

UserEntry UserAdministration::storedEntry(const QByteArray &name) const
{
    const auto found = m_exact.constFind(name);
    if (found != m_exact.constEnd())
        return *found;
    const Query &ux = *m_ux;
    const int nume = ux.fieldIndex(UsersTable::kName);
    for (int row = 0; row < ux.recordCount(); ++row) {
        const UserEntry entry = UserEntry::fromText(
            ux.text(row, nume), ux.text(row, ux.fieldIndex(UsersTable::kPassword)),
            quint8(ux.text(row, ux.fieldIndex(UsersTable::kRank)).toInt()));
        if (entry.Name == name)
            return entry;
    }
    return UserEntry{name, QByteArray(), RankViewer};
}

QString UserAdministration::passwordOf(const QString &name) const
{
    return storedEntry(storedName(name)).passwordText();
}

UserEntry UserAdministration::exactEntry(const UserEntry &row) const
{
    const auto found = m_exact.constFind(row.Name);
    if (found == m_exact.constEnd() || asTableReads(found->Password) != row.Password)
        return row;
    return UserEntry{found->Name, found->Password, row.Rank};
}

void UserAdministration::SaveUserFile()
{
    // A damaged user file was kept in a dated copy before the save: the user hears where.
    const QString notice = dosarium::SaveUserFile(
        dataDir(), *m_ux, [this](const UserEntry &row) { return exactEntry(row); });
    if (!notice.isEmpty())
        m_workspace.showNotice(notice);
}

void UserAdministration::add(const QString &name, const QString &password, int rank)
{
    const Query &ux = *m_ux;
    const int nume = ux.fieldIndex(UsersTable::kName);
    for (int row = 0; row < ux.recordCount(); ++row) {
        if (ux.text(row, nume) == name)
            throw UserRefused(AdminTexts::AddTitle, AdminTexts::AlreadyThere);
    }
    const UserEntry entry = UserEntry::fromText(name, password, quint8(rank));
    m_workspace.runStatement(insertUser(usersTablePath(), name, password, rank));
    m_exact.insert(asTableReads(entry.Name), entry);
    reopenAt(name);
    SaveUserFile();
    m_workspace.WriteLog(QStringLiteral("Adaugare Utilizator ") + name +
                         QStringLiteral(" - Rang: ") + rankText(rank));
}

void UserAdministration::checkDeletion(const QString &name)
{
    if (name == AdminTexts::AdminName)
        throw UserRefused(AdminTexts::DeleteTitle, AdminTexts::AdminStays);
}

void UserAdministration::remove(const QString &name)
{
    m_workspace.runStatement(
        {QStringLiteral("DELETE FROM ") + quoteText(usersTablePath()),
         QStringLiteral("WHERE ") + UsersTable::kName + QLatin1Char('=') + quoteText(name)});
    m_exact.remove(storedName(name));
    reopenAt(QString());
    SaveUserFile();
    m_workspace.WriteLog(QStringLiteral("Stergere Utilizator ") + name);
}

void UserAdministration::checkModification(const QString &rowName) const
{
    const UserEntry current = m_user.current();
    if (current.Rank != RankAdministrator && storedEntry(storedName(rowName)).Name != current.Name)
        throw UserRefused(AdminTexts::ModifyTitle, AdminTexts::OthersData);
}

void UserAdministration::storePassword(const UserEntry &user, const QByteArray &password)
{
    const UserEntry changed{user.Name, password, user.Rank};
    m_workspace.runStatement({QStringLiteral("UPDATE ") + quoteText(usersTablePath()),
                              QStringLiteral("SET ") + UsersTable::kPassword + QLatin1Char('=') +
                                  quoteText(changed.passwordText()),
                              QStringLiteral("WHERE ") + UsersTable::kName + QLatin1Char('=') +
                                  quoteText(changed.nameText())});
    m_exact.insert(asTableReads(user.Name), changed);
    if (m_user.current().Name == user.Name && m_user.setPassword)
        m_user.setPassword(password);
    reopenAt(changed.nameText());
}

void UserAdministration::changePassword(const QString &name, const QString &password,
                                        ProgressSink &progress)
{
    checkModification(name);
    const QByteArray newPassword = UserEntry::fromText(name, password).Password;
    const UserEntry before = storedEntry(storedName(name));
    const UserEntry current = m_user.current();

    // ADMIN's password is the archive key: the files follow it whenever it becomes another text.
    QByteArray oldKey;
    bool recode = false;
    if (before.Name == kAdmin) {
        oldKey = current.Name == kAdmin ? current.Password : before.Password;
        // Another workstation may have changed it since this one read it.
        if (archiveKey() != oldKey)
            throw UserRefused(AdminTexts::ModifyTitle, AdminTexts::StaleKey);
        recode = newPassword != oldKey;
    }
    // The progress window disables the window behind it before the pass is prepared: a click
    // there meanwhile would run on the same tables while the acts are read.
    std::optional<FinishGuard> window;
    HeldProgress held(progress);
    if (recode) {
        window.emplace(progress);
        progress.start(0, ArchiveRecoding::kDescription);
        try {
            m_recoding->open(held);
        } catch (const RecodingBusy &busy) {
            throw UserRefused(AdminTexts::ModifyTitle, busy.message());
        }
        try {
            m_recoding->plan(oldKey, newPassword);
        } catch (...) {
            m_recoding->close();
            throw;
        }
    }

    try {
        storePassword(before, newPassword);
        SaveUserFile();
    } catch (...) {
        // The user file kept the old password (it is replaced whole or not at all).
        try {
            storePassword(before, before.Password);
        } catch (...) {
        }
        if (recode)
            m_recoding->close();
        throw;
    }
    // Logged once the archive follows the new key: a log that cannot be written never stops
    // a pass between the user file and the archive.
    if (recode)
        RecodeArchive(oldKey, newPassword, held);
    m_workspace.WriteLog(QStringLiteral("Modificare Parola Utilizator ") + name);
    if (recode) {
        m_workspace.WriteLog(ArchiveRecoding::kBegunLog);
        window->finish();
    }
}

void UserAdministration::RecodeArchive(const QByteArray &oldKey, const QByteArray &newKey,
                                       ProgressSink &progress)
{
    try {
        m_recoding->run(progress);
    } catch (const RecodeFailed &failed) {
        const QString stopped = QStringLiteral("\rRecodarea arhivei s-a oprit la fisierul %1:\r%2")
                                    .arg(QDir::toNativeSeparators(failed.path()), failed.message());
        const UserEntry admin = storedEntry(kAdmin);
        try {
            storePassword(admin, oldKey);
            SaveUserFile();
        } catch (...) {
            // The user file keeps the new key: the next start finishes the pass towards it.
            const QString reason = Workspace::failureText(std::current_exception());
            try {
                storePassword(admin, newKey);
            } catch (...) {
            }
            m_recoding->leave();
            throw UserRefused(
                AdminTexts::ModifyTitle,
                stopped + QStringLiteral("\rParola veche nu a putut fi pusa la loc: ") + reason +
                    QStringLiteral("\rParola noua ramane; recodarea arhivei va fi "
                                   "terminata la urmatoarea pornire a programului."));
        }
        try {
            m_recoding->restore(progress);
        } catch (const Error &e) {
            m_recoding->leave();
            throw UserRefused(AdminTexts::ModifyTitle,
                              stopped + QStringLiteral("\rParola nu a fost schimbata.\r") +
                                  e.message());
        } catch (...) {
            m_recoding->leave();
            throw;
        }
        m_recoding->close();
        m_workspace.WriteLog(ArchiveRecoding::kTurnedBackLog);
        throw UserRefused(AdminTexts::ModifyTitle,
                          stopped + QStringLiteral("\rParola nu a fost schimbata; arhiva a ramas "
                                                   "codata cu parola veche."));
    } catch (...) {
        m_recoding->leave();
        throw;
    }
    m_recoding->close();
}

} // namespace dosarium
