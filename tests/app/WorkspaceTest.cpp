// The shared services without any window: folders, log, counters, distinct values, guarded
// actions; and the texts built from what users type and choose.
#include "app/Workspace.h"
#include "TestApplication.h"
#include "app/QueryText.h"
#include "app/WorkspaceReports.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "ui/ErrorReport.h"
#include "ui/ProgressWindow.h"
#include "widgets/CylinderProgressBar.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace dosarium;

namespace {

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        workspace.setWorkstation({exe.path(), QStringLiteral("BIROU2"), QStringLiteral("ion")});
        workspace.setClock([] { return QDateTime(QDate(2009, 3, 5), QTime(14, 5, 9)); });
        WorkspaceReports reports;
        reports.showError = [this](const QString &m) { errors << m; };
        reports.finishProgress = [this] { ++finished; };
        workspace.setReports(reports);
        workspace.prepareFolders();
        workspace.CreateTables();
        workspace.UpgradeActe();
    }
    void addAct(int id, int year, const QString &domain)
    {
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, DOMENIUL) VALUES (%2, %3, %4)")
                            .arg(quoteText(workspace.actePath()))
                            .arg(id)
                            .arg(year)
                            .arg(quoteText(domain)));
    }

    QTemporaryDir exe;
    Workspace workspace;
    QStringList errors;
    int finished = 0;
};

TEST_F(WorkspaceTest, withoutWindows_logsWithItsClockAndTakesIds)
{
    EXPECT_TRUE(QDir(joinPath(exe.path(), QStringLiteral("TMPSQL"))).exists());
    EXPECT_TRUE(QDir(workspace.context().TempDir).exists());
    EXPECT_EQ(workspace.NextId(QStringLiteral("IDACT")), QStringLiteral("1"));
    EXPECT_EQ(workspace.NextId(QStringLiteral("IDACT")), QStringLiteral("2"));
    workspace.WriteLog(QStringLiteral("Acces in program."));
    Query log;
    log.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(workspace.logPath()));
    log.open();
    ASSERT_EQ(log.recordCount(), 1);
    EXPECT_EQ(log.asString(QStringLiteral("DATAL")), QStringLiteral("05.03.2009"));
    EXPECT_EQ(log.asString(QStringLiteral("UTILIZATOR")), QStringLiteral("BIROU2 - ion"));
    EXPECT_EQ(workspace.ReadSetting(QStringLiteral("index"), QStringLiteral("idlog")),
              QStringLiteral("2"));
}

TEST_F(WorkspaceTest, fillDistinct_appendsEachValueOnceInOrder_andNeverABlankOne)
{
    addAct(1, 2009, QStringLiteral("CONTRACTE"));
    addAct(2, 2005, QStringLiteral("   "));
    addAct(3, 2009, QStringLiteral("ADRESE"));
    addAct(4, 10, QStringLiteral("CONTRACTE"));
    QStringList years{QStringLiteral("indiferent")};
    workspace.FillDistinct(years, workspace.actePath(), QStringLiteral("ANUL"));
    EXPECT_EQ(years, (QStringList{QStringLiteral("indiferent"), QStringLiteral("10"),
                                  QStringLiteral("2005"), QStringLiteral("2009")}));
    QStringList domains;
    workspace.FillDistinct(domains, workspace.actePath(), QStringLiteral("DOMENIUL"));
    EXPECT_EQ(domains, (QStringList{QStringLiteral("ADRESE"), QStringLiteral("CONTRACTE")}));
    EXPECT_FALSE(workspace.Sx().isOpen());
}

TEST_F(WorkspaceTest, runStatement_startsFromAClearedSharedQuery_andLetsEventsRunAfter)
{
    int yields = 0;
    WorkspaceReports reports = workspace.reports();
    reports.yield = [&yields] { ++yields; };
    workspace.setReports(reports);
    // What a listing leaves behind: an open, filtered SELECT on the shared query.
    Query &sx = workspace.Sx();
    Workspace::ResetQuery(sx);
    sx.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(workspace.actePath()));
    sx.setFilter(QStringLiteral("(ANUL=1900)"));
    sx.setFiltered(true);
    sx.open();

    workspace.runStatement({QStringLiteral("INSERT INTO ") + quoteText(workspace.actePath()),
                            QStringLiteral("(IDACT, ANUL) VALUES (7, 2009)")});
    EXPECT_EQ(yields, 1);
    EXPECT_FALSE(sx.isOpen());
    EXPECT_FALSE(sx.filtered());
    Query acts;
    acts.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(workspace.actePath()));
    acts.open();
    ASSERT_EQ(acts.recordCount(), 1);
    EXPECT_EQ(acts.asString(QStringLiteral("ANUL")), QStringLiteral("2009"));
}

TEST_F(WorkspaceTest, guard_reportsEveryKindOfFailure_afterTakingDownTheProgress)
{
    EXPECT_FALSE(workspace.guard([] { throw Error(QStringLiteral("Tabelul lipseste.")); }));
    EXPECT_FALSE(workspace.guard([] { throw std::runtime_error("disc plin"); }));
    EXPECT_FALSE(workspace.guard([] { throw 42; }));
    int done = 0;
    EXPECT_TRUE(workspace.guard([&done] { ++done; }));
    EXPECT_EQ(done, 1);
    EXPECT_EQ(errors, (QStringList{QStringLiteral("Tabelul lipseste."), QStringLiteral("disc plin"),
                                   QStringLiteral("Eroare neprevazuta.")}));
    EXPECT_EQ(finished, 3);
}

TEST(WorkspaceWindows, failedActionDuringProgress_givesTheWindowBackBeforeTheReport)
{
    ensureApplication();
    QWidget owner;
    owner.show();
    QApplication::setActiveWindow(&owner);
    TContor contor;
    Workspace workspace;
    connectToWindows(workspace, &contor);

    bool stripShownAtReport = true;
    bool ownerEnabledAtReport = false;
    const ErrorReportHook before = setErrorReportHook([&](const QString &) {
        stripShownAtReport = contor.isVisible();
        ownerEnabledAtReport = owner.isEnabled();
    });
    const bool ok = workspace.guard([&workspace] {
        workspace.startProgress(10, QStringLiteral("Pregatesc fisierul..."));
        workspace.stepProgress();
        throw Error(QStringLiteral("Nu pot copia fisierul."));
    });
    setErrorReportHook(before);

    EXPECT_FALSE(ok);
    EXPECT_FALSE(stripShownAtReport);
    EXPECT_TRUE(ownerEnabledAtReport);
    EXPECT_EQ(contor.rememberedWindow(), nullptr);
    EXPECT_EQ(contor.Bar->maximum(), 10);
}

TEST(QueryText, cleanText_tidiesBlanksAndTurnsDoubleQuotesIntoBackquotes)
{
    EXPECT_EQ(CleanText(QStringLiteral("  CONTRACTE   CU \"12\" '' \t")),
              QStringLiteral("CONTRACTE CU `12` ''"));
    EXPECT_EQ(CleanText(QStringLiteral(" \r\n ")), QString());
}

TEST(QueryText, joinConditions_joinsBracketsButNeverLooksInsideAQuotedValue)
{
    EXPECT_EQ(JoinConditions(QStringLiteral("(ANUL=2005)(LUNA=3)")),
              QStringLiteral("(ANUL=2005) AND (LUNA=3)"));
    EXPECT_EQ(JoinConditions(QStringLiteral("  (ANUL=2005)\r\n")), QStringLiteral("(ANUL=2005)"));
    EXPECT_EQ(JoinConditions(QStringLiteral(" \t")), QString());
    // Values holding ")(", quotes and an asterisk stay as they are.
    EXPECT_EQ(JoinConditions(QStringLiteral("(SERIA='A)(B')(NR='O''BRIEN)(*')(TITLU='\"X\"')")),
              QStringLiteral("(SERIA='A)(B') AND (NR='O''BRIEN)(*') AND (TITLU='\"X\"')"));
}

} // namespace
