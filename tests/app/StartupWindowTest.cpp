// The start-up sequence through the real splash window, on folders of its own.
#include "app/StartupWindow.h"
#include "TestApplication.h"
#include "app/SettingsFile.h"
#include "store/Engine.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "ui/ErrorReport.h"
#include "widgets/CylinderProgressBar.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

class StartupWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void SetUp() override
    {
        previousReport = setErrorReportHook([this](const QString &m) { reports << m; });
        form.setWorkstation(
            {exe.path() + QStringLiteral("/"), QStringLiteral("BIROU1"), QStringLiteral("maria")});
        form.setMainWindowHooks({[this](const QString &t) { databaseText = t; },
                                 [this](const QString &c) { caption = c; },
                                 [this](const QString &p) { serverPath = p; },
                                 [this] { ++shown; }});
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
    TForm1 form;
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
    Engine::execute(QStringLiteral("CREATE TABLE %1 (IDLOG DECIMAL(10,0), ACTIUNE CHAR(120))")
                        .arg(quoteText(joinPath(server.path(), QStringLiteral("Log.dbf")))));
    // A deleted act of the local folder stays in its file while the server is in use.
    form.Timer1Timer();
    Engine::execute(
        QStringLiteral("INSERT INTO %1 (IDACT) VALUES (1)").arg(quoteText(local("Acte.dbf"))));
    Engine::execute(
        QStringLiteral("DELETE FROM %1 WHERE IDACT=1").arg(quoteText(local("Acte.dbf"))));
    const qint64 size = QFileInfo(resolveFileName(local("Acte.dbf"))).size();

    TForm1 second;
    second.setWorkstation({exe.path(), QString(), QString()});
    QString text;
    second.setMainWindowHooks({[&text](const QString &t) { text = t; }, {}, {}, {}});
    second.Timer1Timer();
    EXPECT_TRUE(reports.isEmpty()) << reports.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(second.context().DataDir, server.path());
    EXPECT_EQ(text, QStringLiteral("Baza : ") + server.path());
    EXPECT_EQ(second.context().WorkstationUser, QStringLiteral(" - Necunoscut"));
    EXPECT_EQ(QFileInfo(resolveFileName(local("Acte.dbf"))).size(), size);
}

TEST_F(StartupWindowTest, serverFolderThatIsGone_meansLocalWork_andLocalDeletionsArePacked)
{
    QDir().mkpath(joinPath(exe.path(), QStringLiteral("Data")));
    SettingsFile(joinPath(exe.path(), QStringLiteral("Data")))
        .write(QStringLiteral("CONST"), QStringLiteral("SERVER"),
               joinPath(exe.path(), QStringLiteral("retea/Data")));
    form.Timer1Timer();
    EXPECT_EQ(form.context().DataDir, form.context().LocalDataDir);
    EXPECT_TRUE(serverPath.isEmpty());
    EXPECT_EQ(shown, 1);
}

TEST_F(StartupWindowTest, serverSetToTheLocalFolderInTheSameLetters_countsAsLocalWork)
{
    form.Timer1Timer();
    const QString acte = local("Acte.dbf");
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT) VALUES (1)").arg(quoteText(acte)));
    Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT=1").arg(quoteText(acte)));
    const qint64 size = QFileInfo(resolveFileName(acte)).size();
    form.WriteSetting(QStringLiteral("CONST"), QStringLiteral("SERVER"),
                      form.context().LocalDataDir);

    TForm1 again;
    again.setWorkstation({exe.path(), QString(), QString()});
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
    TForm1 again;
    int mainShown = 0;
    again.setWorkstation({exe.path(), QString(), QString()});
    again.setMainWindowHooks({{}, {}, {}, [&mainShown] { ++mainShown; }});
    again.Timer1Timer();
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(reports.size(), 1);
    EXPECT_FALSE(again.isVisible());
}

} // namespace
