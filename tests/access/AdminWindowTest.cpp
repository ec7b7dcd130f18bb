// The administrator window and the user dialog driven as a user drives them: the buttons by
// rank, adding, deleting, password changes with the re-coding under the progress strip, and the
// two server buttons with the end of the program caught by the test.
#include "access/AdminWindow.h"
#include "AdminData.h"
#include "TestApplication.h"
#include "access/PasswordPrompt.h"
#include "access/ServerConnection.h"
#include "access/UserDialog.h"
#include "app/WorkspaceReports.h"
#include "store/Query.h"
#include "ui/ErrorReport.h"
#include "ui/FileChooser.h"
#include "ui/MessageDialog.h"
#include "ui/ProgressWindow.h"
#include "widgets/DataGrid.h"
#include "widgets/FlatSpeedButton.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

class AdminWindowTest : public ::testing::Test, public AdminData {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        connectToWindows(workspace, &contor);
        form4.attach(addUser, erori);
        form4.setEndProgram([this] { ++ended; });
        previousReport = setErrorReportHook([this](const QString &m) { reports << m; });
        TErori::setAnswerHook([this](TErori &d) {
            messages << d.Label1->text() + QLatin1Char('|') + d.EroText->text();
            (answerYes && d.BE1->isVisible() ? d.BE1 : d.BE4->isVisible() ? d.BE4 : d.BE2)->click();
        });
    }
    void TearDown() override
    {
        TErori::setAnswerHook(nullptr);
        setChooserHook(nullptr);
        setErrorReportHook(previousReport);
    }
    // Runs `action` once `window` shows (events run while the window is being prepared).
    static void once(QWidget *window, const std::function<void()> &action)
    {
        QTimer::singleShot(0, window, [window, action] {
            if (window->isVisible())
                action();
            else
                once(window, action);
        });
    }
    // Opens the window, runs `steps` while it shows, then closes it.
    void inside(const std::function<void()> &steps)
    {
        bool ran = false;
        once(&form4, [&] {
            steps();
            ran = true;
            if (form4.isVisible())
                QTest::keyClick(form4.DBGrid3, Qt::Key_Escape);
        });
        form4.ShowAdministration();
        EXPECT_TRUE(ran);
        EXPECT_FALSE(form4.isVisible());
    }
    // The user dialog, once it shows, is filled in by `fill`; it is cancelled if still open.
    void whenDialogShows(const std::function<void(TAddUser &)> &fill)
    {
        once(&addUser, [this, fill] {
            fill(addUser);
            if (addUser.isVisible())
                QTest::keyClick(addUser.Pass1, Qt::Key_Escape);
        });
    }
    void selectRow(const QString &name)
    {
        ASSERT_TRUE(form4.administration().Ux().locate(QStringLiteral("NUME"), name));
    }
    QString setting(const QString &folder)
    {
        return QString::fromLatin1(readAll(folder + QStringLiteral("/Dsm.in")));
    }

    UserEntry current{QByteArrayLiteral("ADMIN"), {}, 0};
    QString typedName = QStringLiteral("ADMIN");
    QList<std::pair<QString, QWidget *>> problems;
    TContor contor;
    TErori erori;
    TAddUser addUser{[this](const QString &text, QWidget *at) { problems.append({text, at}); }};
    TForm4 form4{workspace,
                 {[this] { return current; },
                  [this](const QByteArray &password) { current.Password = password; },
                  [this] { return typedName; }},
                 [this](const QString &text, QWidget *at) {
                     problems.append({text, at});
                 }};
    QStringList messages;
    QStringList reports;
    bool answerYes = true;
    int ended = 0;
    ErrorReportHook previousReport;
};

TEST_F(AdminWindowTest, look_andWhatEachRankAndTypedNameSees)
{
    EXPECT_EQ(form4.windowTitle(), QStringLiteral("Administrator program"));
    EXPECT_EQ(form4.size(), QSize(459, 266));
    EXPECT_FALSE(form4.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form4.GroupBox1->title(), QStringLiteral(" Utilizatorii programului "));
    EXPECT_EQ(form4.GroupBox1->toolTip(), QStringLiteral("Schimbarea parolei administrator."));
    EXPECT_EQ(form4.BitBtn1->toolTip(), QStringLiteral("Modificare cale server."));
    EXPECT_EQ(form4.BitBtn2->toolTip(), QStringLiteral("Stergere cale server. Lucru local."));
    EXPECT_EQ(form4.CaleServer->text(), QStringLiteral(" -   "));
    const QList<DataGridColumn> &columns = form4.DBGrid3->columns();
    ASSERT_EQ(columns.size(), 2);
    EXPECT_EQ(columns.at(0).title, QStringLiteral("Numele"));
    EXPECT_EQ(columns.at(0).width, 216);
    EXPECT_EQ(columns.at(1).field, QStringLiteral("RANGT"));
    EXPECT_EQ(columns.at(1).width, 138);
    EXPECT_EQ(addUser.windowTitle(), QStringLiteral("Modificare utilizator"));
    EXPECT_EQ(addUser.size(), QSize(339, 253));
    EXPECT_EQ(addUser.Rang->count(), 3);

    inside([this] {
        EXPECT_TRUE(form4.AddBut->isVisible());
        EXPECT_TRUE(form4.DelBut->isVisible());
        EXPECT_TRUE(form4.BitBtn1->isEnabled());
        EXPECT_TRUE(form4.BitBtn2->isEnabled());
        EXPECT_EQ(form4.DBGrid3->model()->rowCount(), 3);
        EXPECT_TRUE(QFileInfo::exists(form4.administration().usersTablePath()));
    });
    EXPECT_FALSE(QFileInfo::exists(form4.administration().usersTablePath()));

    // An administrator under another name, then an operator: no server buttons, and only
    // administrators add and delete.
    current = {QByteArrayLiteral("BOSS"), {}, 0};
    typedName = QStringLiteral("BOSS");
    inside([this] {
        EXPECT_TRUE(form4.AddBut->isVisible());
        EXPECT_FALSE(form4.BitBtn1->isEnabled());
        EXPECT_FALSE(form4.BitBtn2->isEnabled());
    });
    current = {QByteArrayLiteral("ION"), QByteArrayLiteral("PAROLA"), 1};
    typedName = QStringLiteral("ION");
    inside([this] {
        EXPECT_FALSE(form4.AddBut->isVisible());
        EXPECT_FALSE(form4.DelBut->isVisible());
        EXPECT_TRUE(form4.ModBut->isVisible());
        EXPECT_FALSE(form4.BitBtn1->isEnabled());
    });
}

TEST_F(AdminWindowTest, adding_cleansTheTypedName_andRefusesAnAdministratorAndATakenName)
{
    inside([this] {
        // A second administrator: the balloon at the rank list, the dialog stays open.
        whenDialogShows([this](TAddUser &d) {
            EXPECT_EQ(d.Label2->text(), QStringLiteral("Adaugare Utilizator"));
            EXPECT_TRUE(d.Utilizator->isEnabled());
            EXPECT_EQ(d.Rang->currentText(), QStringLiteral("PRIVITOR"));
            QTest::keyClicks(d.Utilizator, QStringLiteral("sef"));
            d.Rang->setCurrentIndex(0);
            d.BitBtn1->click();
            EXPECT_TRUE(d.isVisible());
        });
        form4.AddBut->click();
        ASSERT_EQ(problems.size(), 1);
        EXPECT_EQ(problems.at(0).first,
                  QStringLiteral("Nu mai puteti adauga inca un Administrator!"));
        EXPECT_EQ(problems.at(0).second, addUser.Rang);

        // Blanks around and inside, a double quote; Enter walks the boxes and saves from the
        // rank list.
        whenDialogShows([](TAddUser &d) {
            QTest::keyClicks(d.Utilizator, QStringLiteral("  maria   \"pop\" "));
            QTest::keyClick(d.Utilizator, Qt::Key_Return);
            EXPECT_EQ(QApplication::focusWidget(), d.Pass1);
            QTest::keyClicks(d.Pass1, QStringLiteral("p q"));
            QTest::keyClick(d.Pass1, Qt::Key_Return);
            QTest::keyClicks(d.Pass2, QStringLiteral("p q"));
            QTest::keyClick(d.Pass2, Qt::Key_Return);
            d.Rang->setCurrentIndex(1);
            QTest::keyClick(d.Rang, Qt::Key_Return);
        });
        form4.AddBut->click();
        EXPECT_EQ(form4.administration().currentName(), QStringLiteral("MARIA `POP`"));

        whenDialogShows([](TAddUser &d) {
            QTest::keyClicks(d.Utilizator, QStringLiteral("ion"));
            d.BitBtn1->click();
        });
        form4.AddBut->click();
    });
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("Adaugare Utilizator|Acest utilizator exista deja!!")});
    EXPECT_EQ(
        users(),
        (QList<StoredUser>{
            {"ADMIN", "", 0}, {"ANA", "X", 2}, {"ION", "PAROLA", 1}, {"MARIA `POP`", "P Q", 1}}));
    EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(QLatin1Char('\n')));
}

TEST_F(AdminWindowTest, deleting_refusesAdmin_andAsksBeforeAnyOther)
{
    inside([this] {
        selectRow(QStringLiteral("ADMIN"));
        form4.DelBut->click();
        selectRow(QStringLiteral("ION"));
        answerYes = false;
        form4.DelBut->click();
        EXPECT_EQ(form4.DBGrid3->model()->rowCount(), 3);
        answerYes = true;
        form4.DelBut->click();
        EXPECT_EQ(form4.DBGrid3->model()->rowCount(), 2);
        EXPECT_EQ(form4.administration().currentName(), QStringLiteral("ADMIN"));
    });
    EXPECT_EQ(messages,
              (QStringList{QStringLiteral("Stergere Utilizator|Nu puteti sterge ADMIN-ul!"),
                           QStringLiteral("Stergere Utilizator|Stergeti pe ION ?"),
                           QStringLiteral("Stergere Utilizator|Stergeti pe ION ?")}));
    EXPECT_EQ(users(), (QList<StoredUser>{{"ADMIN", "", 0}, {"ANA", "X", 2}}));
}

TEST_F(AdminWindowTest, anOperator_changesOnlyTheirOwnPassword_withNameAndRankLocked)
{
    current = {QByteArrayLiteral("ION"), QByteArrayLiteral("PAROLA"), 1};
    typedName = QStringLiteral("ION");
    inside([this] {
        selectRow(QStringLiteral("ANA"));
        form4.ModBut->click();
        selectRow(QStringLiteral("ION"));
        whenDialogShows([](TAddUser &d) {
            EXPECT_EQ(d.Label2->text(), QStringLiteral("Modificare Utilizator"));
            EXPECT_FALSE(d.Utilizator->isEnabled());
            EXPECT_FALSE(d.Rang->isEnabled());
            EXPECT_EQ(d.Utilizator->text(), QStringLiteral("ION"));
            EXPECT_EQ(d.Pass1->text(), QStringLiteral("PAROLA"));
            EXPECT_EQ(d.Rang->currentIndex(), 1);
            d.Pass1->clear();
            QTest::keyClicks(d.Pass1, QStringLiteral("noua"));
            d.BitBtn1->click(); // the second box still says PAROLA
            d.Pass2->clear();
            QTest::keyClicks(d.Pass2, QStringLiteral("noua"));
            // The rank cannot take the focus: Enter in the second password box saves.
            QTest::keyClick(d.Pass2, Qt::Key_Return);
        });
        form4.ModBut->click();
    });
    EXPECT_EQ(messages,
              QStringList{QStringLiteral(
                  "Modificare Utilizator|Nu aveti dreptul sa modificati datele altora!")});
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems.at(0).second, addUser.Pass2);
    EXPECT_EQ(current.Password, QByteArray("NOUA"));
    EXPECT_EQ(users().at(2), (StoredUser{"ION", "NOUA", 1}));
}

TEST_F(AdminWindowTest, adminsNewPassword_recodesUnderTheStrip_andAFailureLeavesAllAsItWas)
{
    fillArchive({});
    inside([this] {
        selectRow(QStringLiteral("ADMIN"));
        whenDialogShows([](TAddUser &d) {
            QTest::keyClicks(d.Pass1, QStringLiteral("cheie"));
            QTest::keyClicks(d.Pass2, QStringLiteral("cheie"));
            d.BitBtn1->click();
        });
        form4.ModBut->click();
        EXPECT_FALSE(contor.isVisible());
        EXPECT_TRUE(form4.isEnabled());

        form4.administration().recoding().setRecodeStep(
            [](const QString &, const QByteArray &, const QByteArray &) {
                throw Error(QStringLiteral("acces interzis"));
            });
        whenDialogShows([](TAddUser &d) {
            d.Pass1->clear();
            d.Pass2->clear();
            d.BitBtn1->click();
        });
        form4.ModBut->click();
        EXPECT_FALSE(contor.isVisible());
        EXPECT_TRUE(form4.isEnabled());
    });
    expectArchiveCodedWith("CHEIE");
    EXPECT_EQ(current.Password, QByteArray("CHEIE"));
    EXPECT_EQ(users().at(0), (StoredUser{"ADMIN", "CHEIE", 0}));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).contains(QStringLiteral("acces interzis")));
    EXPECT_TRUE(messages.at(0).contains(QStringLiteral("Parola nu a fost schimbata")));
    EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(QLatin1Char('\n')));
}

TEST_F(AdminWindowTest, connecting_checksTheFolder_writesTheLocalSetting_andEndsTheProgram)
{
    const QString server = exe.path() + QStringLiteral("/server");
    ASSERT_TRUE(QDir().mkpath(server));
    const QString shown = QDir::toNativeSeparators(server); // as the program gives it back
    QStringList titles;
    QString chosen = server + QLatin1Char('/'); // as a drive root comes back from the picker
    setChooserHook([&](ChooserKind kind, const QString &title) {
        EXPECT_EQ(kind, ChooserKind::Folder);
        titles << title;
        return chosen;
    });
    inside([this] { form4.BitBtn1->click(); });
    EXPECT_EQ(titles, QStringList{QStringLiteral("Indicati baza de date din retea")});
    EXPECT_EQ(messages, QStringList{QStringLiteral("Conectare server|Baza de date ") + shown +
                                    QStringLiteral("\nNU este accesibila!\nVerificati conexiunea "
                                                   "si reporniti programul!")});
    EXPECT_EQ(ended, 0);
    EXPECT_FALSE(setting(dataDir()).contains(QStringLiteral("SERVER")));

    // Cancelled: nothing at all.
    chosen.clear();
    inside([this] { form4.BitBtn1->click(); });
    EXPECT_EQ(messages.size(), 1);

    // With the documents table (its name in another letter case) the setting is written.
    QFile(server + QStringLiteral("/ACTE.DBF")).open(QIODevice::WriteOnly);
    chosen = server + QLatin1Char('/');
    messages.clear();
    inside([this, &shown] {
        form4.BitBtn1->click();
        EXPECT_FALSE(form4.isVisible());
        EXPECT_EQ(form4.CaleServer->text(), shown);
        EXPECT_FALSE(form4.administration().Ux().isOpen());
    });
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(messages, QStringList{QStringLiteral(
                            "Conectat la server|Conectarea la server a reusit!\nPorniti programul "
                            "din nou !")});
    EXPECT_TRUE(setting(dataDir()).contains(QStringLiteral("SERVER=") + shown + QLatin1Char('\r')))
        << qPrintable(setting(dataDir()));
    EXPECT_FALSE(QFileInfo::exists(form4.administration().usersTablePath()));

    // The next start works on the server folder; the setting of the server stays untouched.
    Workspace next;
    next.setWorkstation(workspace.workstation());
    next.prepareFolders();
    EXPECT_EQ(next.chooseDataFolder(), shown);
    EXPECT_EQ(next.context().DataDir, shown);
    EXPECT_FALSE(QFileInfo::exists(server + QStringLiteral("/Dsm.in")));
}

TEST_F(AdminWindowTest, connecting_storesAPathThatReadsBackTheSame_orRefusesItBeforeAnyChange)
{
    QString chosen;
    setChooserHook([&](ChooserKind, const QString &) { return chosen; });
    const auto serverFolder = [this](const QString &name) {
        const QString folder = exe.path() + QLatin1Char('/') + name;
        EXPECT_TRUE(QDir().mkpath(folder));
        QFile(folder + QStringLiteral("/Acte.dbf")).open(QIODevice::WriteOnly);
        return folder;
    };

    // Comma-below letters would come back from the settings file in their cedilla forms:
    // another folder. Refused, and nothing written.
    chosen = serverFolder(QStringLiteral("Re\u021Bea"));
    inside([this] { form4.BitBtn1->click(); });
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).startsWith(QStringLiteral("Conectare server|Calea ") +
                                          QDir::toNativeSeparators(chosen)))
        << qPrintable(messages.at(0));
    EXPECT_TRUE(messages.at(0).contains(QStringLiteral("Nimic nu s-a schimbat.")));
    EXPECT_EQ(ended, 0);
    EXPECT_FALSE(setting(dataDir()).contains(QStringLiteral("SERVER")));

#ifndef Q_OS_WIN
    // Trailing blanks are kept: the next start reaches this very folder. (Windows takes the
    // trailing blanks off every name, so no such folder can be chosen there.)
    chosen = serverFolder(QStringLiteral("Server  "));
    messages.clear();
    inside([this] { form4.BitBtn1->click(); });
    EXPECT_EQ(ended, 1);
    Workspace next;
    next.setWorkstation(workspace.workstation());
    next.prepareFolders();
    EXPECT_EQ(next.chooseDataFolder(), chosen);
#endif
}

TEST_F(AdminWindowTest, disconnecting_asksThenClears_refusesInLocalWork_andAFailedWriteKeepsAll)
{
    // Local work: the balloon at the label, nothing asked.
    inside([this] { form4.BitBtn2->click(); });
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems.at(0).first, QStringLiteral("Nu aveti ce sterge."));
    EXPECT_EQ(problems.at(0).second, form4.CaleServer);
    EXPECT_TRUE(messages.isEmpty());

    // On a server folder; the local settings file cannot be written (a folder in its place).
    const QString local = dataDir();
    const QString server = exe.path() + QStringLiteral("/server");
    ASSERT_TRUE(QDir().mkpath(server));
    writeUsers({{"ADMIN", "", 0}}, server);
    workspace.context().DataDir = server;
    form4.setServerPath(server);
    ASSERT_TRUE(QDir().mkpath(local + QStringLiteral("/Dsm.in")));
    answerYes = false;
    inside([this] { form4.BitBtn2->click(); });
    EXPECT_EQ(messages, QStringList{QStringLiteral(
                            "Stergere cale server|Doriti sa va deconectati de la server?")});
    answerYes = true;
    inside([this, &server] {
        form4.BitBtn2->click();
        EXPECT_TRUE(form4.isVisible());
        EXPECT_EQ(form4.CaleServer->text(), server);
        EXPECT_TRUE(form4.administration().Ux().isOpen());
    });
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(workspace.context().DataDir, server);
    EXPECT_EQ(ended, 0);

    ASSERT_TRUE(QDir(local + QStringLiteral("/Dsm.in")).removeRecursively());
    messages.clear();
    inside([this] { form4.BitBtn2->click(); });
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(form4.CaleServer->text(), QStringLiteral("  -"));
    EXPECT_EQ(messages.last(), QStringLiteral("Deconectat de la server|Sunteti deconectat de la "
                                              "server!\nPorniti programul din nou !"));
    EXPECT_TRUE(setting(local).contains(QStringLiteral("SERVER=\r")));
    Workspace next;
    next.setWorkstation(workspace.workstation());
    next.prepareFolders();
    EXPECT_EQ(next.chooseDataFolder(), QString());

    // A server path shorter than 7 characters counts as none.
    form4.setServerPath(QStringLiteral("/srv"));
    problems.clear();
    inside([this] { form4.BitBtn2->click(); });
    EXPECT_EQ(problems.size(), 1);
}

TEST_F(AdminWindowTest, passwordPrompt_givesTheTypedPasswordOrNothing)
{
    TForm5 prompt;
    EXPECT_EQ(prompt.objectName(), QStringLiteral("Form5"));
    QTimer::singleShot(0, &prompt, [&] {
        QTest::keyClicks(prompt.Parola, QStringLiteral("taina"));
        QTest::keyClick(prompt.Parola, Qt::Key_Return);
    });
    EXPECT_EQ(prompt.AskPassword(QStringLiteral("Parola")), QStringLiteral("TAINA"));
    QTimer::singleShot(0, &prompt, [&] { QTest::keyClick(prompt.Parola, Qt::Key_Escape); });
    EXPECT_EQ(prompt.AskPassword(QStringLiteral("Parola")), std::nullopt);
}

} // namespace
