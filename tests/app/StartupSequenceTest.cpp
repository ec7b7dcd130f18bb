// The start-up sequence without any window: what it asks of the windows, and in which order.
#include "app/StartupSequence.h"
#include "app/Workspace.h"
#include "platform/Error.h"
#include "store/FilePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

class StartupSequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        workspace.setWorkstation(
            {exe.path() + QStringLiteral("/"), QStringLiteral("BIROU1"), QStringLiteral("maria")});
        WorkspaceReports reports;
        reports.showError = [this](const QString &m) { steps << QStringLiteral("error: ") + m; };
        reports.showNotice = [this](const QString &m) { steps << QStringLiteral("notice: ") + m; };
        workspace.setReports(reports);
        sequence.setMainWindowHooks({
            [this](const QString &t) { steps << t; },
            [this](const QString &c) { steps << QStringLiteral("caption ") + c; },
            [this](const QString &p) { steps << QStringLiteral("server ") + p; },
            [this] { steps << QStringLiteral("main window"); },
            [this](const QString &server) {
                steps << QStringLiteral("asked ") + server;
                return goOnLocally;
            },
        });
        display = {[this](const QString &t) { steps << t; },
                   [this](int p) { steps << QString::number(p); }};
    }

    QTemporaryDir exe;
    Workspace workspace;
    StartupSequence sequence{workspace, QStringLiteral("Dosarium v.1.08")};
    StartupSequence::Display display;
    QStringList steps;
    bool goOnLocally = true;
};

TEST_F(StartupSequenceTest,
       aFirstStart_makesTheTablesThenShowsTheMainWindowThenRunsTheRepairsInOrder)
{
    sequence.addRepair([this] {
        steps << QStringLiteral("repair 1");
        throw Error(QStringLiteral("Jurnalul nu poate fi citit."));
    });
    sequence.addRepair([this] { steps << QStringLiteral("repair 2"); });

    ASSERT_EQ(sequence.prepare(display), StartupSequence::Outcome::Ready);
    const QString data = joinPath(exe.path(), QStringLiteral("Data"));
    EXPECT_TRUE(QFile::exists(joinPath(data, QStringLiteral("Acte.DBF"))));
    EXPECT_TRUE(QFileInfo(joinPath(exe.path(), QStringLiteral("TEMP"))).isDir());
    EXPECT_EQ(steps, QStringList({QStringLiteral("Baza : ") + data,
                                  QStringLiteral("caption Dosarium v.1.08"),
                                  QStringLiteral("Refac baza de date ..."), QStringLiteral("50"),
                                  QStringLiteral("100")}));
    steps.clear();
    // A repair that fails shows its error; the next one still runs.
    sequence.finish();
    EXPECT_EQ(steps, QStringList({QStringLiteral("main window"), QStringLiteral("repair 1"),
                                  QStringLiteral("error: Jurnalul nu poate fi citit."),
                                  QStringLiteral("repair 2")}));
}

TEST_F(StartupSequenceTest,
       aServerOutOfReachDeclined_orTablesThatCannotBeMade_endTheStartBeforeTheMainWindow)
{
    QDir().mkpath(joinPath(exe.path(), QStringLiteral("Data")));
    QFile settings(
        joinPath(joinPath(exe.path(), QStringLiteral("Data")), QStringLiteral("Dsm.in")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[CONST]\r\nSERVER=" +
                   QFile::encodeName(joinPath(exe.path(), QStringLiteral("retea"))) + "\r\n");
    settings.close();
    goOnLocally = false;
    EXPECT_EQ(sequence.prepare(display), StartupSequence::Outcome::Declined);
    EXPECT_EQ(steps, QStringList{QStringLiteral("asked ") +
                                 joinPath(exe.path(), QStringLiteral("retea"))});

    QTemporaryDir other;
    QFile blocker(joinPath(other.path(), QStringLiteral("Data"))); // a file where the folder goes
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Workspace elsewhere;
    elsewhere.setWorkstation({other.path() + QStringLiteral("/"), QString(), QString()});
    QStringList errors;
    elsewhere.setReports({{}, {}, {}, {}, [&errors](const QString &m) { errors << m; }, {}});
    StartupSequence failing(elsewhere, QString());
    EXPECT_EQ(failing.prepare(display), StartupSequence::Outcome::TablesFailed);
    EXPECT_EQ(errors.size(), 1);
}

} // namespace
