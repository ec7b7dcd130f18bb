// The main window driven as a user drives it: typing, Enter, the function keys, the menu and
// the exit question, over a data folder of its own.
#include "access/MainWindow.h"
#include "LogEntries.h"
#include "app/StartupWindow.h"
#include "app/Workspace.h"
#include "app/WorkspaceReports.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "ui/ErrorReport.h"
#include "ui/MessageDialog.h"
#include "widgets/BalloonGeometry.h"
#include "widgets/FlatButton.h"
#include "widgets/GradientPanel.h"
#include "widgets/HintBalloon.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "TestApplication.h"

using namespace dosarium;

namespace {

QByteArray record(const QByteArray &name, const QByteArray &password, quint8 rank)
{
    return UserEntry{name, password, rank}.toRecord();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        connectToWindows(workspace, nullptr);
        AppContext &c = workspace.context();
        c.ExeDir = dir.path();
        c.DataDir = joinPath(dir.path(), QStringLiteral("Data"));
        c.LocalDataDir = c.DataDir;
        c.TempDir = joinPath(dir.path(), QStringLiteral("TEMP"));
        c.WorkstationUser = QStringLiteral("BIROU1 - test");
        ASSERT_TRUE(QDir().mkpath(c.DataDir));
        ASSERT_TRUE(QDir().mkpath(c.TempDir));
        QFile scratch(joinPath(c.TempDir, QStringLiteral("copie.pdf")));
        ASSERT_TRUE(scratch.open(QIODevice::WriteOnly));
        workspace.CreateTables();
        workspace.UpgradeLog();
        form3.attach(erori);
        previousReport = setErrorReportHook([this](const QString &m) { reports << m; });
        form3.show();
        form3.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form3));
    }
    void TearDown() override
    {
        TErori::setAnswerHook(nullptr);
        setErrorReportHook(previousReport);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<THintBalloon *>(w))
                delete w;
    }

    void writeUsers(const QByteArray &bytes)
    {
        QFile f(joinPath(workspace.context().DataDir, QStringLiteral("ini.mpg")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The exit question is answered with `button` (BE1 DA, BE2 NU); its texts are kept.
    void answerWith(TFlatSpeedButton *TErori::*button)
    {
        TErori::setAnswerHook([this, button](TErori &d) {
            questions << d.Label1->text() + QLatin1Char('|') + d.EroText->text();
            (d.*button)->click();
        });
    }
    QStringList logActions()
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") +
                    quoteText(joinPath(workspace.context().DataDir, QStringLiteral("Log.dbf"))));
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next())
            out << q.asString(QStringLiteral("ACTIUNE"));
        return out;
    }
    void type(QWidget *w, const QString &text) { QTest::keyClicks(w, text); }
    void signInAsAdmin()
    {
        type(form3.UtzNume, QStringLiteral("admin"));
        QTest::keyClick(form3.UtzNume, Qt::Key_Return);
        QTest::keyClick(form3.UtzParola, Qt::Key_Return);
        ASSERT_TRUE(form3.isSignedIn());
    }
    THintBalloon *balloon() const
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *b = qobject_cast<THintBalloon *>(w); b && b->isVisible())
                return b;
        return nullptr;
    }

    const bool applicationReady = (ensureApplication(), true); // before the first widget
    QTemporaryDir dir;
    Workspace workspace;
    TForm1 balloonOwner{workspace}; // the splash holds the wrong-entry balloon
    TErori erori;
    TForm3 form3{workspace, [this](const QString &text, QWidget *control) {
                     balloonOwner.ShowProblem(text, control);
                 }};
    QStringList questions;
    QStringList reports;
    ErrorReportHook previousReport;
};

TEST_F(MainWindowTest, layout_isAScreenWideStripWithTheSignInFieldsAndTodaysDate)
{
    const QRect screen = form3.screen()->geometry();
    EXPECT_EQ(form3.height(), TForm3::ClientHeight);
    EXPECT_LE(form3.frameGeometry().width(), screen.width());
    EXPECT_GE(form3.width(), screen.width() - 16);
    EXPECT_EQ(form3.frameGeometry().top(), screen.top());
    EXPECT_FALSE(form3.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form3.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form3.Label1->text(), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    EXPECT_EQ(form3.statusText(0), QStringLiteral("ESC - Iesire din program"));
    form3.setDatabaseText(QStringLiteral("Baza : /srv/Data"));
    EXPECT_EQ(form3.statusText(1), QStringLiteral("Baza : /srv/Data"));
    EXPECT_TRUE(form3.Panel2->isVisible());
    EXPECT_FALSE(form3.Panel1->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), form3.UtzNume);
    EXPECT_EQ(form3.UtzParola->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form3.UtzParola->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                  form3.UtzParola),
              'X');
    // The sign-in panel sits at the right edge, over the date.
    EXPECT_EQ(form3.Panel2->mapTo(&form3, form3.Panel2->rect().topRight()).x(), form3.width() - 1);
    EXPECT_TRUE(form3.Panel2->geometry().contains(form3.Label1->geometry().center()));
}

TEST_F(MainWindowTest, newFolder_adminSignsInWithEnterTwiceAndTheMenuReplacesTheFields)
{
    type(form3.UtzNume, QStringLiteral("admin"));
    EXPECT_EQ(form3.UtzNume->text(), QStringLiteral("ADMIN"));
    QTest::keyClick(form3.UtzNume, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form3.UtzParola);
    EXPECT_FALSE(form3.isSignedIn());
    QTest::keyClick(form3.UtzParola, Qt::Key_Return);
    // A habitual third Enter, in either hidden box, signs in no second time.
    QTest::keyClick(form3.UtzParola, Qt::Key_Return);
    QTest::keyClick(form3.UtzNume, Qt::Key_Return);

    EXPECT_EQ(form3.CurrentUser(), (UserEntry{QByteArrayLiteral("ADMIN"), {}, 0}));
    EXPECT_FALSE(form3.Panel2->isVisible());
    EXPECT_TRUE(form3.Panel1->isVisible());
    EXPECT_EQ(form3.UtzNume->text(), QStringLiteral("ADMIN"));
    EXPECT_EQ(QFileInfo(joinPath(workspace.context().DataDir, QStringLiteral("ini.mpg"))).size(),
              67);
    EXPECT_EQ(logActions(), QStringList{QStringLiteral("Acces in program.")});
    // The log names the person by the name signed in with, beside the computer and account.
    EXPECT_EQ(dosarium::testing::logColumn(workspace.context().DataDir, QStringLiteral("NUMEUTIL")),
              QStringList{QStringLiteral("ADMIN")});
    EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(QLatin1Char('\n')));
}

TEST_F(MainWindowTest, failedSignIn_pointsTheBalloonAtTheNameBoxAndChangesNothing)
{
    writeUsers(record("ION", "PAROLA", 1) + record("ADMIN", "", 0));
    type(form3.UtzNume, QStringLiteral("ion"));
    type(form3.UtzParola, QStringLiteral("gresit"));
    QTest::mouseClick(form3.StartB, Qt::LeftButton);

    THintBalloon *b = balloon();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->content().title, QStringLiteral("Problema !"));
    EXPECT_EQ(b->content().text, QStringLiteral("Nume sau parola incorecta!"));
    const QRect box(form3.UtzNume->mapToGlobal(QPoint(0, 0)), form3.UtzNume->size());
    EXPECT_EQ(b->geometry(),
              BalloonGeometry::windowRect(BalloonGeometry::tailTip(box, b->position()), b->size(),
                                          b->position()));
    EXPECT_FALSE(form3.isSignedIn());
    EXPECT_TRUE(form3.CurrentUser().isEmpty());
    EXPECT_EQ(form3.UtzNume->text(), QStringLiteral("ION"));
    EXPECT_EQ(form3.UtzParola->text(), QStringLiteral("GRESIT"));
    EXPECT_TRUE(form3.Panel2->isVisible());
    EXPECT_TRUE(logActions().isEmpty());

    // An empty name fails the same way; the right password then signs in.
    b->close();
    form3.UtzNume->clear();
    form3.UtzParola->clear();
    form3.StartBClick();
    EXPECT_FALSE(form3.isSignedIn());
    type(form3.UtzNume, QStringLiteral("ion"));
    type(form3.UtzParola, QStringLiteral("parola"));
    form3.StartBClick();
    EXPECT_EQ(form3.CurrentUser().Rank, 1);
}

TEST_F(MainWindowTest, unreadableUserFile_reachesTheErrorReportAndStaysSignedOut)
{
    ASSERT_TRUE(QDir().mkpath(joinPath(workspace.context().DataDir, QStringLiteral("ini.mpg"))));
    type(form3.UtzNume, QStringLiteral("admin"));
    form3.StartBClick();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("ini.mpg"))) << qPrintable(reports[0]);
    EXPECT_FALSE(form3.isSignedIn());
    EXPECT_TRUE(form3.Panel2->isVisible());
    EXPECT_EQ(balloon(), nullptr);
}

TEST_F(MainWindowTest, f1_opensTheRegisterOnlyAfterSignIn)
{
    QSignalSpy opened(&form3, &TForm3::registerRequested);
    bool disabledWhileOpen = false;
    QObject::connect(&form3, &TForm3::registerRequested,
                     [&] { disabledWhileOpen = !form3.MBut1->isEnabled(); });

    QTest::keyClick(form3.UtzNume, Qt::Key_F1);
    EXPECT_EQ(opened.count(), 0);
    EXPECT_TRUE(questions.isEmpty());

    signInAsAdmin();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                : static_cast<QWidget *>(&form3),
                    Qt::Key_F1);
    EXPECT_EQ(opened.count(), 1);
    EXPECT_TRUE(disabledWhileOpen);
    EXPECT_TRUE(form3.MBut1->isEnabled());

    QTest::mouseClick(form3.MBut1, Qt::LeftButton);
    EXPECT_EQ(opened.count(), 2);
}

TEST_F(MainWindowTest, escOrF12AnsweredNu_keepsTheProgramRunningSignedOut)
{
    answerWith(&TErori::BE2);
    QSignalSpy quitting(QCoreApplication::instance(), &QCoreApplication::aboutToQuit);
    type(form3.UtzNume, QStringLiteral("ion"));
    QTest::keyClick(form3.UtzNume, Qt::Key_Escape);
    QTest::keyClick(form3.UtzNume, Qt::Key_F12);

    EXPECT_EQ(questions, QStringList(2, QStringLiteral("Inchidere program|\nVreti sa inchideti "
                                                       "programul?")));
    EXPECT_TRUE(form3.isVisible());
    EXPECT_FALSE(form3.isSignedIn());
    EXPECT_EQ(form3.UtzNume->text(), QStringLiteral("ION"));
    EXPECT_TRUE(QDir(workspace.context().TempDir).exists());
    EXPECT_TRUE(logActions().isEmpty());
    EXPECT_EQ(quitting.count(), 0);
}

TEST_F(MainWindowTest, confirmedExit_removesTempLogsTheExitLastAndEndsTheProgram)
{
    signInAsAdmin();
    answerWith(&TErori::BE1);
    // Iesire, as a user clicks it, inside the running event loop.
    QTimer::singleShot(0, form3.ModelF,
                       [this] { QTest::mouseClick(form3.ModelF, Qt::LeftButton); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(QApplication::exec(), 0);

    EXPECT_EQ(questions.size(), 1);
    EXPECT_FALSE(QDir(workspace.context().TempDir).exists());
    EXPECT_EQ(logActions(), (QStringList{QStringLiteral("Acces in program."),
                                         QStringLiteral("Inchidere program.")}));
    EXPECT_FALSE(form3.isVisible());
}

TEST_F(MainWindowTest, settingsButton_dropsItsMenuBelowAndTheEntriesReachTheirWindows)
{
    signInAsAdmin();
    QSignalSpy administration(&form3, &TForm3::administrationRequested);
    QSignalSpy log(&form3, &TForm3::logRequested);

    QTest::mouseClick(form3.MButAdm, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return form3.PopupMenu1->isVisible(); }));
    EXPECT_EQ(form3.PopupMenu1->geometry().topLeft(),
              form3.MButAdm->mapToGlobal(QPoint(0, form3.MButAdm->height())));
    EXPECT_EQ(form3.PopupMenu1->actions(),
              (QList<QAction *>{form3.Setari1, form3.IstoricModificaridate1}));
    form3.PopupMenu1->close();

    form3.Setari1->trigger();
    form3.IstoricModificaridate1->trigger();
    EXPECT_EQ(administration.count(), 1);
    EXPECT_EQ(log.count(), 1);
}

TEST_F(MainWindowTest, passwordChange_isKeptInTheCurrentUser)
{
    writeUsers(record("ION", "VECHE", 1));
    type(form3.UtzNume, QStringLiteral("ion"));
    type(form3.UtzParola, QStringLiteral("veche"));
    form3.StartBClick();
    form3.setCurrentUserPassword(QByteArrayLiteral("NOUA"));
    EXPECT_EQ(form3.CurrentUser(), (UserEntry{QByteArrayLiteral("ION"), "NOUA", 1}));
}

} // namespace
