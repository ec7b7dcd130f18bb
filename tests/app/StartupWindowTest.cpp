// The start-up sequence through the real splash window, on folders of its own.
#include "app/StartupWindow.h"
#include "TestApplication.h"
#include "app/DataTables.h"
#include "app/SettingsFile.h"
#include "app/Workspace.h"
#include "app/WorkspaceReports.h"
#include "store/Engine.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "ui/ErrorReport.h"
#include "widgets/CylinderProgressBar.h"
#include "widgets/HintBalloon.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace dosarium;

namespace {

// Makes `file` one that cannot be deleted: a read-only folder for a user, an immutable file for
// the administrator (who may delete from read-only folders). False when neither can be had.
bool setUndeletable(const QString &file, bool on)
{
    const QByteArray name = QFile::encodeName(file);
    if (geteuid() != 0) {
        const QString folder = QFileInfo(file).path();
        return QFile::setPermissions(folder,
                                     on ? QFile::ReadOwner | QFile::ExeOwner
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const int fd = ::open(name.constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

// A later start of the program in the same folder, with a workspace of its own.
struct LaterStart {
    explicit LaterStart(const QString &exeDir)
    {
        connectToWindows(workspace, nullptr);
        workspace.setWorkstation({exeDir, QString(), QString()});
    }
    Workspace workspace;
    TForm1 form{workspace};
};

class StartupWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void SetUp() override
    {
        previousReport = setErrorReportHook([this](const QString &m) { reports << m; });
        connectToWindows(workspace, nullptr);
        workspace.setWorkstation(
            {exe.path() + QStringLiteral("/"), QStringLiteral("BIROU1"), QStringLiteral("maria")});
        form.setMainWindowHooks({[this](const QString &t) { databaseText = t; },
                                 [this](const QString &c) { caption = c; },
                                 [this](const QString &p) { serverPath = p; },
                                 [this] { ++shown; },
                                 {}});
    }
    void TearDown() override { setErrorReportHook(previousReport); }

    QString local(const char *name) const
    {
        return joinPath(joinPath(exe.path(), QStringLiteral("Data")), QLatin1String(name));
    }
    int rows(const QString &table)
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(table));
        q.open();
        return q.recordCount();
    }

    QTemporaryDir exe;
    Workspace workspace;
    TForm1 form{workspace};
    QStringList reports;
    ErrorReportHook previousReport;
    QString databaseText, caption, serverPath;
    int shown = 0;
};

TEST_F(StartupWindowTest, splash_looksAsDesigned)
{
    EXPECT_EQ(form.size(), QSize(395, 187));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.Label5->text(), QStringLiteral("Incarcare date"));
    EXPECT_EQ(form.Label5->pos(), QPoint(28, 124));
    EXPECT_EQ(form.Bar1->geometry(), QRect(24, 144, 353, 25));
    EXPECT_EQ(form.Bar1->maximum(), 100);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 1000);
    // The background's middle rows are the light colour and its edges the dark one.
    const QImage picture = form.grab().toImage();
    EXPECT_EQ(picture.pixelColor(390, 93), QColor(0xACB8CC));
    EXPECT_LT(picture.pixelColor(392, 0).red(), 0x55);
    // The empty bar shows its unfilled part in the pale blue-grey, not the bar's background.
    const QColor unfilled = picture.pixelColor(200, 150);
    EXPECT_NE(unfilled, QColor(0x8080FF));
    EXPECT_GT(unfilled.red(), 0x60);
    EXPECT_EQ(picture.pixelColor(200, 144), QColor(0x0000FF)); // the outline
}

TEST_F(StartupWindowTest, firstStartInAnEmptyFolder_createsFoldersAndTablesAndShowsTheMainWindow)
{
    form.show();
    form.Timer1Timer();
    EXPECT_TRUE(reports.isEmpty()) << reports.join(QLatin1Char('\n')).toStdString();
    const AppContext &c = form.context();
    EXPECT_EQ(c.ExeDir, exe.path());
    EXPECT_EQ(c.DataDir, joinPath(exe.path(), QStringLiteral("Data")));
    EXPECT_EQ(c.LocalDataDir, c.DataDir);
    EXPECT_EQ(c.WorkstationUser, QStringLiteral("BIROU1 - maria"));
    for (const char *folder : {"Data", "TEMP", "TMPSQL"})
        EXPECT_TRUE(QFileInfo(joinPath(exe.path(), QLatin1String(folder))).isDir()) << folder;
    EXPECT_TRUE(QFile::exists(local("LOG.DBF")));
    EXPECT_TRUE(QFile::exists(local("Acte.DBF")));
    // The log ends with the column of the program user.
    EXPECT_EQ(Engine::readLayout(resolveFileName(local("Log.dbf"))).fields.last().name,
              LogTable::kProgramUser);
    EXPECT_EQ(databaseText, QStringLiteral("Baza : ") + c.DataDir);
    EXPECT_EQ(caption, QStringLiteral("Dosarium v.1.08"));
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Bar1->position(), 100);

    form.WriteLog(QStringLiteral("Acces in program."));
    EXPECT_EQ(rows(local("Log.dbf")), 1);
}

TEST_F(StartupWindowTest, serverFolderThatExists_isUsed_withoutPackingAndWithItsLogTrimmed)
{
    QTemporaryDir server;
    QDir().mkpath(joinPath(exe.path(), QStringLiteral("Data")));
    SettingsFile(joinPath(exe.path(), QStringLiteral("Data")))
        .write(QStringLiteral("CONST"), QStringLiteral("SERVER"), server.path());
    const QString serverLog = joinPath(server.path(), QStringLiteral("Log.dbf"));
    Engine::execute(QStringLiteral("CREATE TABLE %1 (IDLOG DECIMAL(10,0), ACTIUNE CHAR(120))")
                        .arg(quoteText(serverLog)));
    Engine::execute(QStringLiteral("CREATE TABLE %1 (IDACT DECIMAL(10,0))")
                        .arg(quoteText(joinPath(server.path(), QStringLiteral("Acte.dbf")))));
    // Ids 1 to 10,003: the server's log keeps the newest id minus 10,000 and up.
    for (int id = 1; id <= 10003; ++id)
        Engine::execute(
            QStringLiteral("INSERT INTO %1 (IDLOG) VALUES (%2)").arg(quoteText(serverLog)).arg(id));
    // A deleted act of the local folder stays in its file while the server is in use.
    form.Timer1Timer();
    Engine::execute(
        QStringLiteral("INSERT INTO %1 (IDACT) VALUES (1)").arg(quoteText(local("Acte.dbf"))));
    Engine::execute(
        QStringLiteral("DELETE FROM %1 WHERE IDACT=1").arg(quoteText(local("Acte.dbf"))));
    const qint64 size = QFileInfo(resolveFileName(local("Acte.dbf"))).size();

    LaterStart later(exe.path());
    TForm1 &second = later.form;
    QString text;
    second.setMainWindowHooks({[&text](const QString &t) { text = t; }, {}, {}, {}, {}});
    second.Timer1Timer();
    EXPECT_TRUE(reports.isEmpty()) << reports.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(second.context().DataDir, server.path());
    EXPECT_EQ(text, QStringLiteral("Baza : ") + server.path());
    EXPECT_EQ(second.context().WorkstationUser, QStringLiteral(" - Necunoscut"));
    EXPECT_EQ(QFileInfo(resolveFileName(local("Acte.dbf"))).size(), size);
    EXPECT_EQ(rows(serverLog), 10001);
    Query first;
    first.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(serverLog));
    first.appendSql(QStringLiteral("ORDER BY IDLOG"));
    first.open();
    EXPECT_EQ(first.asInteger(QStringLiteral("IDLOG")), 3);
}

TEST_F(StartupWindowTest, serverFolderOutOfReach_isNamed_andTheUserChoosesLocalWorkOrTheEnd)
{
    form.Timer1Timer();
    const QString server = joinPath(exe.path(), QStringLiteral("retea"));
    form.WriteSetting(QStringLiteral("CONST"), QStringLiteral("SERVER"), server);
    // Gone, or there but empty (a share not mounted on its mount point): the same question.
    for (const bool mounted : {false, true}) {
        if (mounted) {
            ASSERT_TRUE(QDir().mkpath(server));
        }
        for (const bool goOn : {false, true}) {
            LaterStart later(exe.path());
            QStringList asked;
            int mainShown = 0;
            later.form.setMainWindowHooks({{},
                                           {},
                                           {},
                                           [&mainShown] { ++mainShown; },
                                           [&asked, goOn](const QString &folder) {
                                               asked << folder;
                                               return goOn;
                                           }});
            later.form.Timer1Timer();
            EXPECT_EQ(asked, QStringList{server});
            EXPECT_EQ(mainShown, goOn ? 1 : 0);
            EXPECT_EQ(later.form.context().DataDir, later.form.context().LocalDataDir);
        }
    }
}

TEST_F(StartupWindowTest, serverFolderThatIsGone_meansLocalWork_andLocalDeletionsArePacked)
{
    form.Timer1Timer(); // the tables of the local folder
    const QString acte = local("Acte.dbf");
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT) VALUES (1)").arg(quoteText(acte)));
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT) VALUES (2)").arg(quoteText(acte)));
    Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT=1").arg(quoteText(acte)));
    form.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDACT"), QStringLiteral("3"));
    const qint64 size = QFileInfo(resolveFileName(acte)).size();
    form.WriteSetting(QStringLiteral("CONST"), QStringLiteral("SERVER"),
                      joinPath(exe.path(), QStringLiteral("retea/Data")));

    LaterStart later(exe.path());
    QString path;
    later.form.setMainWindowHooks({{}, {}, [&path](const QString &p) { path = p; }, {}, {}});
    later.form.Timer1Timer();
    EXPECT_TRUE(reports.isEmpty()) << reports.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(later.form.context().DataDir, later.form.context().LocalDataDir);
    EXPECT_TRUE(path.isEmpty());
    EXPECT_LT(QFileInfo(resolveFileName(acte)).size(), size); // the deleted act is gone
    EXPECT_EQ(rows(acte), 1);
}

TEST_F(StartupWindowTest, serverSetToTheLocalFolderInTheSameLetters_countsAsLocalWork)
{
    form.Timer1Timer();
    const QString acte = local("Acte.dbf");
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT) VALUES (1)").arg(quoteText(acte)));
    Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT=1").arg(quoteText(acte)));
    form.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDACT"), QStringLiteral("3"));
    const qint64 size = QFileInfo(resolveFileName(acte)).size();
    form.WriteSetting(QStringLiteral("CONST"), QStringLiteral("SERVER"),
                      form.context().LocalDataDir);

    LaterStart later(exe.path());
    TForm1 &again = later.form;
    again.Timer1Timer();
    EXPECT_TRUE(reports.isEmpty()) << reports.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(again.context().DataDir, again.context().LocalDataDir);
    EXPECT_LT(QFileInfo(resolveFileName(acte)).size(), size); // the deleted act is gone
}

TEST_F(StartupWindowTest, tablesThatCannotBeMade_showTheErrorAndEndTheStart)
{
    // A file where the data folder should be.
    QFile blocker(joinPath(exe.path(), QStringLiteral("Data")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSignalSpy failed(&form, &TForm1::startupFailed);
    form.Timer1Timer();
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(reports.size(), 1);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(databaseText.isEmpty());
}

TEST_F(StartupWindowTest, upkeepErrors_stillShowTheMainWindowAndThenTheError)
{
    QDir().mkpath(joinPath(exe.path(), QStringLiteral("Data")));
    // The log is not a table: the pruning fails after the tables were checked.
    form.Timer1Timer(); // creates the tables
    QFile log(resolveFileName(local("Log.dbf")));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly | QIODevice::Truncate));
    log.write("no table");
    log.close();
    LaterStart later(exe.path());
    TForm1 &again = later.form;
    int mainShown = 0;
    again.setMainWindowHooks({{}, {}, {}, [&mainShown] { ++mainShown; }, {}});
    again.Timer1Timer();
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(reports.size(), 1);
    EXPECT_FALSE(again.isVisible());
}

TEST_F(StartupWindowTest, deleteFolder_removesTheTreeForGood_andReportsAFileItCannotDelete)
{
    const QString temp = joinPath(exe.path(), QStringLiteral("TEMP"));
    QTemporaryDir outside;
    const QString kept = joinPath(outside.path(), QStringLiteral("pastrat.pdf"));
    for (const QString &f : {joinPath(temp, QStringLiteral("a/b/act 12.pdf")),
                             joinPath(temp, QStringLiteral(".ascuns")), kept}) {
        QDir().mkpath(QFileInfo(f).path());
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // A link to a folder elsewhere goes; what it points at stays.
    ASSERT_TRUE(QFile::link(outside.path(), joinPath(temp, QStringLiteral("a/legatura"))));
    EXPECT_TRUE(form.DeleteFolder(temp));
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_TRUE(QFile::exists(kept));
    EXPECT_TRUE(form.DeleteFolder(temp)); // already gone
    EXPECT_TRUE(reports.isEmpty());

    // A document still held by a viewer: the rest goes, the document is named in the report.
    const QString held = joinPath(temp, QStringLiteral("vazut/12.pdf"));
    QDir().mkpath(QFileInfo(held).path());
    QFile(held).open(QIODevice::WriteOnly);
    QFile(joinPath(temp, QStringLiteral("alt.pdf"))).open(QIODevice::WriteOnly);
    if (!setUndeletable(held, true))
        GTEST_SKIP() << "no way to make a file that cannot be deleted here";
    const bool removed = form.DeleteFolder(temp);
    setUndeletable(held, false);
    EXPECT_FALSE(removed);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.first().contains(QDir::toNativeSeparators(held)))
        << reports.first().toStdString();
    EXPECT_TRUE(reports.first().startsWith(QStringLiteral("Nu pot sterge ")));
    EXPECT_FALSE(QFile::exists(joinPath(temp, QStringLiteral("alt.pdf"))));
}

TEST_F(StartupWindowTest, showProblem_pointsABalloonAtTheControl_andReturnsAtOnce)
{
    QWidget dialog;
    dialog.setGeometry(300, 300, 300, 200);
    auto *field = new QLineEdit(&dialog);
    field->setGeometry(100, 120, 150, 22);
    dialog.show();
    form.ShowProblem(QStringLiteral("Lipseste Numele!"), field);
    THintBalloon *balloon = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *b = qobject_cast<THintBalloon *>(w); b && b->isVisible())
            balloon = b;
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->content().title, QStringLiteral("Problema !"));
    EXPECT_EQ(balloon->content().text, QStringLiteral("Lipseste Numele!"));
    EXPECT_EQ(balloon->content().iconResName, QStringLiteral("ERROR"));
    EXPECT_EQ(balloon->content().bestWidth, 300);
    EXPECT_EQ(balloon->duration(), 5000);
    EXPECT_EQ(balloon->position(), 0); // room above and to the left of the field
    balloon->close();
}

} // namespace
