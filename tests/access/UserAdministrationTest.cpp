// User administration without windows: the users table, the rank rules, the user file after
// every change, and the archive re-coded all or nothing when ADMIN's password changes, with
// failures and crashes part-way.
#include "access/UserAdministration.h"
#include "AdminData.h"
#include "LogEntries.h"
#include "access/Session.h"
#include "archive/CodedCopy.h"
#include "store/Query.h"

#include <QFileInfo>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

class UserAdministrationTest : public ::testing::Test, public AdminData {
protected:
    SignedInUser signedIn()
    {
        return {[this] { return current; },
                [this](const QByteArray &password) { current.Password = password; },
                [this] { return typedName; }};
    }
    // The u.dbf row of `name`, as the table reads it.
    QString tablePassword(const QString &name)
    {
        Query &ux = admin.Ux();
        EXPECT_TRUE(ux.locate(QStringLiteral("NUME"), name)) << qPrintable(name);
        return ux.asString(QStringLiteral("PAROLA"));
    }
    QStringList listed()
    {
        QStringList out;
        Query &ux = admin.Ux();
        for (int row = 0; row < ux.recordCount(); ++row)
            out << ux.text(row, ux.fieldIndex(QStringLiteral("NUME"))) + QLatin1Char('/') +
                       ux.text(row, ux.fieldIndex(QStringLiteral("RANGT")));
        return out;
    }
    template <typename F> QString refusal(F &&action)
    {
        try {
            action();
        } catch (const UserRefused &refused) {
            return refused.title() + QLatin1Char('|') + refused.message();
        }
        return QString();
    }

    UserEntry current{QByteArrayLiteral("ADMIN"), {}, 0};
    QString typedName = QStringLiteral("ADMIN");
    UserAdministration admin{workspace, signedIn()};
    CountingProgress progress;
};

TEST_F(UserAdministrationTest, opening_listsTheUserFileByName_andClosingRemovesTheTable)
{
    admin.open();
    EXPECT_TRUE(QFileInfo::exists(admin.usersTablePath()));
    EXPECT_EQ(listed(),
              (QStringList{QStringLiteral("ADMIN/Administrator"), QStringLiteral("ANA/Privitor"),
                           QStringLiteral("ION/Operator")}));
    admin.close();
    EXPECT_FALSE(QFileInfo::exists(admin.usersTablePath()));
    EXPECT_FALSE(admin.Ux().isOpen());

    // Reopened, it is built afresh from the file; a rank of no name shows none.
    writeUsers({{"ADMIN", "", 0}, {"ZED", "", 7}});
    admin.open();
    EXPECT_EQ(listed(),
              (QStringList{QStringLiteral("ADMIN/Administrator"), QStringLiteral("ZED/")}));
    admin.close();
}

TEST_F(UserAdministrationTest, aLeftOverTableInUse_refusesOpening_andAMissingUserFileIsAnError)
{
    Engine::execute(
        QStringLiteral("CREATE TABLE %1 (NUME CHAR(32))").arg(quoteText(admin.usersTablePath())));
    {
        Query holder; // another program has the table open
        holder.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(admin.usersTablePath()));
        holder.open();
        EXPECT_EQ(refusal([&] { admin.open(); }), QStringLiteral("Setari|Fisierul ") +
                                                      admin.usersTablePath() +
                                                      QStringLiteral(" este in utilizare!"));
        EXPECT_FALSE(admin.Ux().isOpen());
    }
    admin.open(); // the left-over goes once nobody holds it
    EXPECT_EQ(admin.Ux().recordCount(), 3);
    admin.close();

    QFile::remove(dataDir() + QStringLiteral("/ini.mpg"));
    EXPECT_THROW(admin.open(), Error);
    EXPECT_FALSE(QFileInfo::exists(dataDir() + QStringLiteral("/ini.mpg")));
}

TEST_F(UserAdministrationTest, adding_storesNameAndPasswordExactly_andRefusesATakenName)
{
    admin.open();
    // Quotes, inner and trailing blanks reach the user file as typed.
    admin.add(QStringLiteral("MARIA `POP`"), QStringLiteral("A\"B C "), 1);
    EXPECT_EQ(admin.currentName(), QStringLiteral("MARIA `POP`"));
    EXPECT_EQ(admin.Ux().asString(QStringLiteral("RANGT")), QStringLiteral("Operator"));
    EXPECT_EQ(admin.passwordOf(QStringLiteral("MARIA `POP`")), QStringLiteral("A\"B C "));
    const QList<StoredUser> expected{
        {"ADMIN", "", 0}, {"ANA", "X", 2}, {"ION", "PAROLA", 1}, {"MARIA `POP`", "A\"B C ", 1}};
    EXPECT_EQ(users(), expected);

    EXPECT_EQ(refusal([&] { admin.add(QStringLiteral("ION"), QStringLiteral("NOUA"), 2); }),
              QStringLiteral("Adaugare Utilizator|Acest utilizator exista deja!!"));
    EXPECT_EQ(users(), expected);
    EXPECT_EQ(admin.Ux().recordCount(), 4);

    // A later rewrite keeps the trailing blank of a password the table cannot hold.
    admin.remove(QStringLiteral("ANA"));
    EXPECT_EQ(users(), (QList<StoredUser>{
                           {"ADMIN", "", 0}, {"ION", "PAROLA", 1}, {"MARIA `POP`", "A\"B C ", 1}}));
    // Each change of the users leaves its entry; the refused one none.
    EXPECT_EQ(logColumn(dataDir()),
              (QStringList{QStringLiteral("Adaugare Utilizator MARIA `POP` - Rang: Operator"),
                           QStringLiteral("Stergere Utilizator ANA")}));
}

TEST_F(UserAdministrationTest, rankRules_andTheChecksOfTheUserDialog)
{
    EXPECT_EQ(refusal([] { UserAdministration::checkDeletion(QStringLiteral("ADMIN")); }),
              QStringLiteral("Stergere Utilizator|Nu puteti sterge ADMIN-ul!"));
    EXPECT_TRUE(
        refusal([] { UserAdministration::checkDeletion(QStringLiteral("ION")); }).isEmpty());

    admin.open();
    current = {QByteArrayLiteral("ION"), QByteArrayLiteral("PAROLA"), 1};
    EXPECT_EQ(
        refusal([&] { admin.checkModification(QStringLiteral("ADMIN")); }),
        QStringLiteral("Modificare Utilizator|Nu aveti dreptul sa modificati datele altora!"));
    EXPECT_TRUE(refusal([&] { admin.checkModification(QStringLiteral("ION")); }).isEmpty());
    EXPECT_FALSE(mayAddAndDelete(current));
    CountingProgress none;
    EXPECT_FALSE(refusal([&] {
                     admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("X"), none);
                 }).isEmpty());
    EXPECT_EQ(users().at(0), (StoredUser{"ADMIN", "", 0}));
    current = {QByteArrayLiteral("ADMIN"), {}, 0};
    EXPECT_TRUE(refusal([&] { admin.checkModification(QStringLiteral("ION")); }).isEmpty());
    EXPECT_TRUE(mayAddAndDelete(current));

    EXPECT_TRUE(mayChooseServer(QStringLiteral("ADMIN")));
    for (const char *typed : {"ADMIN ", "ADMINA", "ION", ""})
        EXPECT_FALSE(mayChooseServer(QLatin1String(typed))) << typed;

    const QString a = QStringLiteral("A");
    EXPECT_EQ(checkUserEntry({}, a, a, true, 1)->text, QStringLiteral("Lipseste Numele!"));
    EXPECT_EQ(checkUserEntry(a, a, QStringLiteral("a"), true, 1)->field, UserField::Password2);
    EXPECT_EQ(checkUserEntry(a, a, a, true, 0)->text,
              QStringLiteral("Nu mai puteti adauga inca un Administrator!"));
    EXPECT_FALSE(checkUserEntry(a, {}, {}, false, 0)); // an empty password is fine
    EXPECT_FALSE(checkUserEntry(a, a, a, true, 2));
}

TEST_F(UserAdministrationTest, passwordChanges_recodeOnlyWhenTheArchiveKeyBecomesAnotherText)
{
    fillArchive({});
    admin.open();
    // Another user's password: the user file changes, the archive does not.
    admin.changePassword(QStringLiteral("ION"), QStringLiteral("NOUA"), progress);
    EXPECT_EQ(users().at(2), (StoredUser{"ION", "NOUA", 1}));
    EXPECT_EQ(admin.currentName(), QStringLiteral("ION"));
    // One's own, to the same text.
    admin.changePassword(QStringLiteral("ADMIN"), QString(), progress);
    EXPECT_EQ(progress.starts, 0);
    expectArchiveCodedWith({});

    // A first password for ADMIN codes the plain archive, quote and blanks included.
    const QByteArray key("K\"E Y ");
    admin.changePassword(QStringLiteral("ADMIN"), QString::fromLatin1(key), progress);
    expectArchiveCodedWith(key);
    EXPECT_EQ(current.Password, key);
    EXPECT_EQ(users().at(0), (StoredUser{"ADMIN", key, 0}));
    EXPECT_EQ(tablePassword(QStringLiteral("ADMIN")), QStringLiteral("K\"E Y"));
    EXPECT_EQ(progress.description, QStringLiteral("Recodare arhiva..."));
    EXPECT_EQ(progress.maximum, 6); // one step per act, the one without a file too
    EXPECT_EQ(progress.steps, 6);
    EXPECT_FALSE(progress.shown);
    EXPECT_FALSE(QFileInfo::exists(journal()));

    // Another key, then none: the files are decoded to plain.
    admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("ALTA"), progress);
    expectArchiveCodedWith("ALTA");
    admin.changePassword(QStringLiteral("ADMIN"), QString(), progress);
    expectArchiveCodedWith({});
    EXPECT_EQ(users().at(0), (StoredUser{"ADMIN", "", 0}));
    const QString changed = QStringLiteral("Modificare Parola Utilizator ");
    const QString recoded = QStringLiteral("Recodare Arhiva");
    EXPECT_EQ(
        logColumn(dataDir()),
        (QStringList{changed + QStringLiteral("ION"), changed + QStringLiteral("ADMIN"),
                     changed + QStringLiteral("ADMIN"), recoded, changed + QStringLiteral("ADMIN"),
                     recoded, changed + QStringLiteral("ADMIN"), recoded}));
}

TEST_F(UserAdministrationTest, clicksWhileThePassIsPrepared_findTheWindowDisabledAndLoseNoRow)
{
    fillArchive({});
    // More acts than the plan reads between two yields.
    QStringList more;
    for (int id = 10; id < 310; ++id)
        more << addAct(id, 2010, QStringLiteral("MULTE"), QStringLiteral("ACTE"), "act", {});
    admin.open();
    int yieldsWithTheWindowEnabled = 0;
    WorkspaceReports reports;
    reports.yield = [&] {
        if (!progress.shown)
            ++yieldsWithTheWindowEnabled;
        // A click on a button of the window resets the shared query before its statement.
        Workspace::ResetQuery(workspace.Sx());
    };
    workspace.setReports(reports);
    admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("NOUA"), progress);
    EXPECT_EQ(yieldsWithTheWindowEnabled, 0);
    EXPECT_FALSE(progress.shown);
    expectArchiveCodedWith("NOUA");
    for (const QString &path : std::as_const(more))
        EXPECT_EQ(readAll(path), coded("act", "NOUA")) << qPrintable(path);
}

TEST_F(UserAdministrationTest, aNameWrittenTwice_signsInKeysAndChangesByItsFirstEntry)
{
    fillArchive("UNU");
    writeUsers({{"ADMIN", "UNU", 0}, {"ADMIN", "DOI", 0}, {"SEF", "S", 0}});
    EXPECT_EQ(SignIn(dataDir(), QStringLiteral("ADMIN"), QStringLiteral("UNU")).Password, "UNU");
    EXPECT_TRUE(SignIn(dataDir(), QStringLiteral("ADMIN"), QStringLiteral("DOI")).isEmpty());
    EXPECT_EQ(SignInRefusal(dataDir(), QStringLiteral("ADMIN"), QStringLiteral("DOI")),
              QStringLiteral("Numele ADMIN apare de mai multe ori in lista utilizatorilor; este "
                             "folosit numai primul, iar parola data este a altuia."));
    EXPECT_EQ(SignInRefusal(dataDir(), QStringLiteral("ADMIN"), QStringLiteral("TREI")),
              SessionTexts::SignInFailed);

    // A second administrator changes ADMIN's password: the first entry's is the archive key.
    current = {"SEF", "S", 0};
    typedName = QStringLiteral("SEF");
    admin.open();
    EXPECT_EQ(admin.passwordOf(QStringLiteral("ADMIN")), QStringLiteral("UNU"));
    admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("NOUA"), progress);
    expectArchiveCodedWith("NOUA");
    EXPECT_EQ(ReadArchiveKey(dataDir()), QByteArray("NOUA"));
    EXPECT_EQ(users().at(0), (StoredUser{"ADMIN", "NOUA", 0}));
    EXPECT_EQ(users().at(1), (StoredUser{"ADMIN", "NOUA", 0}));
}

TEST_F(UserAdministrationTest, twoRowsOfOneId_shareTheirFile_whichIsRecodedOnce)
{
    const QByteArray plain("%PDF shared by two rows");
    const QString path =
        addAct(7, 2005, QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"), plain, {});
    addAct(7, 2005, QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"), QByteArray(), {});
    admin.open();
    admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("CHEIE"), progress);
    EXPECT_EQ(readAll(path), coded(plain, "CHEIE"));
}

TEST_F(UserAdministrationTest, aRowFiledInTheOlderProgramsNestedFolders_isRecodedThere)
{
    const QByteArray plain("%PDF filed under ACTE/2005");
    const QString path =
        addAct(8, 2005, QStringLiteral("ACTE/2005"), QStringLiteral("VECHI"), plain, {});
    admin.open();
    admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("CHEIE"), progress);
    EXPECT_EQ(readAll(path), coded(plain, "CHEIE"));
}

TEST_F(UserAdministrationTest,
       aKeyChangedElsewhere_orAPassRunningElsewhere_refusesAndChangesNothing)
{
    fillArchive({});
    admin.open();
    writeUsers({{"ADMIN", "ALTUL", 0}, {"ION", "PAROLA", 1}, {"ANA", "X", 2}});
    EXPECT_EQ(refusal([&] {
                  admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("NOU"), progress);
              }),
              QStringLiteral("Modificare Utilizator|") + AdminTexts::StaleKey);
    EXPECT_EQ(users().at(0), (StoredUser{"ADMIN", "ALTUL", 0}));
    EXPECT_EQ(current.Password, QByteArray());
    EXPECT_EQ(tablePassword(QStringLiteral("ADMIN")), QString());
    expectArchiveCodedWith({});

    writeUsers({{"ADMIN", "", 0}, {"ION", "PAROLA", 1}, {"ANA", "X", 2}});
    ArchiveRecoding elsewhere(workspace, [] { return QByteArray(); });
    elsewhere.open(progress);
    EXPECT_TRUE(refusal([&] {
                    admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("NOU"), progress);
                }).contains(QStringLiteral("alt calculator")));
    EXPECT_EQ(users().at(0), (StoredUser{"ADMIN", "", 0}));
    expectArchiveCodedWith({});
    elsewhere.close();
}

TEST_F(UserAdministrationTest, aFileFailingMidway_putsBackTheOldKeyEverywhere)
{
    fillArchive("VECHE");
    writeUsers({{"ADMIN", "VECHE", 0}, {"ION", "PAROLA", 1}});
    current.Password = "VECHE";
    admin.open();
    int calls = 0;
    QString failedFile;
    admin.recoding().setRecodeStep(
        [&](const QString &path, const QByteArray &from, const QByteArray &to) {
            if (++calls == 3) {
                failedFile = path;
                throw Error(QStringLiteral("Nu pot recoda fisierul: disc plin."));
            }
            RecodeFile(path, from, to);
        });
    const QString message = refusal(
        [&] { admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("NOUA"), progress); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Modificare Utilizator|\rRecodarea arhivei s-a "
                                                  "oprit la fisierul ") +
                                   failedFile))
        << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("disc plin")));
    expectArchiveCodedWith("VECHE");
    EXPECT_EQ(admin.recoding().filesRecoded(), 4); // two forwards, the same two back
    EXPECT_EQ(users().at(0), (StoredUser{"ADMIN", "VECHE", 0}));
    EXPECT_EQ(current.Password, QByteArray("VECHE"));
    EXPECT_EQ(tablePassword(QStringLiteral("ADMIN")), QStringLiteral("VECHE"));
    EXPECT_FALSE(QFileInfo::exists(journal()));
    EXPECT_FALSE(progress.shown);
    EXPECT_EQ(logColumn(dataDir()).last(),
              QStringLiteral("Recodare Arhiva anulata, parola veche pusa la loc."));
}

TEST_F(UserAdministrationTest, aCrashPartWay_isFinishedOrUndoneByTheNextStart)
{
    fillArchive({});
    admin.open();
    // Killed after two files: the user file already holds the new key, so the pass is finished.
    admin.recoding().setCrashPoint([](int recoded) { return recoded == 2; });
    EXPECT_THROW(admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("NOU"), progress),
                 SimulatedCrash);
    EXPECT_TRUE(QFileInfo::exists(journal()));
    EXPECT_EQ(users().at(0).password, QByteArray("NOU"));
    {
        ArchiveRecoding nextStart(workspace, [this] { return users().at(0).password; });
        EXPECT_TRUE(nextStart.finishPending(progress));
        EXPECT_EQ(nextStart.filesRecoded(), 2);
        EXPECT_EQ(nextStart.recoveredLog(),
                  QStringLiteral("Recodare Arhiva terminata la repornire"));
    }
    expectArchiveCodedWith("NOU");
    EXPECT_FALSE(QFileInfo::exists(journal()));

    // A failure at the third file, then killed while turning the first back: the user file
    // holds the old key again, so the pass is undone.
    current.Password = "NOU";
    int calls = 0;
    const int before = admin.recoding().filesRecoded();
    admin.recoding().setCrashPoint([before](int recoded) { return recoded == before + 3; });
    admin.recoding().setRecodeStep(
        [&](const QString &path, const QByteArray &from, const QByteArray &to) {
            if (++calls == 3)
                throw Error(QStringLiteral("fisier blocat"));
            RecodeFile(path, from, to);
        });
    EXPECT_THROW(admin.changePassword(QStringLiteral("ADMIN"), QStringLiteral("ALT"), progress),
                 SimulatedCrash);
    EXPECT_EQ(users().at(0).password, QByteArray("NOU"));
    ArchiveRecoding nextStart(workspace, [this] { return users().at(0).password; });
    EXPECT_TRUE(nextStart.finishPending(progress));
    expectArchiveCodedWith("NOU");
    EXPECT_EQ(nextStart.recoveredLog(), QStringLiteral("Recodare Arhiva anulata la repornire"));
    EXPECT_FALSE(nextStart.finishPending(progress)); // nothing left
}

TEST_F(UserAdministrationTest, journal_cutShortIsDropped_damagedStays_andHeldElsewhereIsLeft)
{
    fillArchive("K");
    ArchiveRecoding recoding(workspace, [] { return QByteArray("K"); });
    const auto put = [this](const QByteArray &text) {
        QFile f(journal());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    // Cut short while it was written: nothing had changed yet.
    put("DOSARIUM RECODARE 1\nCHEIE_VECHE 4b\nCHEIE_NOUA 4c\nACTE 6\nF 0 0 1");
    EXPECT_TRUE(recoding.finishPending(progress));
    EXPECT_FALSE(QFileInfo::exists(journal()));
    expectArchiveCodedWith("K");

    put("DOSARIUM RECODARE 1\nCHEIE_VECHE 4b\nF x\nSFARSIT\n");
    EXPECT_THROW(recoding.finishPending(progress), Error);
    EXPECT_TRUE(QFileInfo::exists(journal()));

    // A journal that names neither key the user file holds is not guessed at.
    ArchiveRecoding pass(workspace, [] { return QByteArray("K"); });
    QFile::remove(journal());
    pass.open(progress);
    pass.plan("K", "L");
    EXPECT_FALSE(recoding.finishPending(progress)); // held by the running pass
    pass.leave();
    ArchiveRecoding third(workspace, [] { return QByteArray("M"); });
    EXPECT_THROW(third.finishPending(progress), Error);
    expectArchiveCodedWith("K");
    EXPECT_EQ(ArchiveRecoding::readJournal(readAll(journal()), journal()).files.size(), 4);
}

TEST_F(UserAdministrationTest, telltaleOffset_findsWhereTwoKeysDiffer)
{
    EXPECT_EQ(ArchiveRecoding::telltaleOffset({}, "K", 10), 0);
    EXPECT_EQ(ArchiveRecoding::telltaleOffset("AB", "AC", 10), 1);
    EXPECT_EQ(ArchiveRecoding::telltaleOffset("AB", "AC", 1), -1);    // too short to tell
    EXPECT_EQ(ArchiveRecoding::telltaleOffset("AB", "ABAB", 99), -1); // the same stream
    EXPECT_EQ(ArchiveRecoding::telltaleOffset("AAB", "AA", 99), 2);
}

} // namespace
