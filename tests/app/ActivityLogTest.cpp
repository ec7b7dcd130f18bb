// The activity log and the id counters: exact entries, skipped ids, and several workstations
// taking ids at once.
#include "app/ActivityLog.h"
#include "app/DataTables.h"
#include "app/SettingsFile.h"
#include "app/TextFormats.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dosarium;

namespace {

class ActivityLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.DataDir = dir.path();
        context.WorkstationUser = QStringLiteral("BIROU-CONTABIL - maria");
        CreateTables(sx, dir.path(), [] {});
    }
    QString counter(const QString &key) const
    {
        return SettingsFile(dir.path()).read(QStringLiteral("INDEX"), key);
    }
    Query *log()
    {
        sx.clearSql();
        sx.appendSql(QStringLiteral("SELECT * FROM ") +
                     quoteText(joinPath(dir.path(), QStringLiteral("Log.dbf"))));
        sx.open();
        return &sx;
    }
    QTemporaryDir dir;
    AppContext context;
    Query sx;
    const QDateTime now{QDate(2026, 12, 8), QTime(9, 5, 7)};
};

TEST_F(ActivityLogTest, firstEntry_takesIdOne_andLeavesTwoInTheSettings)
{
    WriteLog(sx, context, QStringLiteral("Acces in program."), now);
    EXPECT_EQ(counter(QStringLiteral("IDLOG")), QStringLiteral("2"));
    QFile settings(joinPath(dir.path(), QStringLiteral("Dsm.in")));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_EQ(settings.readAll(), QByteArray("[INDEX]\r\nIDLOG=2\r\n"));

    Query *q = log();
    ASSERT_EQ(q->recordCount(), 1);
    EXPECT_EQ(q->asString(QStringLiteral("IDLOG")), QStringLiteral("1"));
    EXPECT_EQ(q->asString(QStringLiteral("DATAL")), QStringLiteral("08.12.2026"));
    EXPECT_EQ(q->asString(QStringLiteral("ORA")), longTimeText(QTime(9, 5, 7)));
    EXPECT_TRUE(q->asString(QStringLiteral("ORA")).contains(QStringLiteral("05")));
    EXPECT_EQ(q->asString(QStringLiteral("ACTIUNE")), QStringLiteral("Acces in program."));
    // The workstation text is cut to its column of 16.
    EXPECT_EQ(q->asString(QStringLiteral("UTILIZATOR")), QStringLiteral("BIROU-CONTABIL -"));
}

// The program user's column is added at the end, as LUNA was: the entries already there and
// those of workstations that do not know it keep it empty, and their statement still runs.
TEST_F(ActivityLogTest, programUserColumn_isAddedAtTheEnd_andFilledByThisVersionOnly)
{
    WriteLog(sx, context, QStringLiteral("Acces in program."), now, QStringLiteral("MARIA"));
    LogTable::upgrade(sx, dir.path(), [] {});
    LogTable::upgrade(sx, dir.path(), [] {}); // the next start only reads the header
    WriteLog(sx, context, QStringLiteral("Acces in program."), now, QStringLiteral("MARIA"));
    const QString oldStatement =
        QStringLiteral("INSERT INTO %1 (IDLOG, DATAL, ORA, ACTIUNE, UTILIZATOR) VALUES (9, "
                       "\"08.12.2026\", \"09:05:07\", \"Inchidere program.\", \"BIROU2 - ion\")")
            .arg(quoteText(joinPath(dir.path(), QStringLiteral("Log.dbf"))));
    sx.clearSql();
    sx.appendSql(oldStatement);
    sx.execSql();

    Query *q = log();
    ASSERT_EQ(q->fieldCount(), 6);
    EXPECT_EQ(q->fieldName(4), QStringLiteral("UTILIZATOR"));
    EXPECT_EQ(q->fieldName(5), LogTable::kProgramUser);
    QStringList users;
    for (q->first(); !q->eof(); q->next())
        users << q->asString(LogTable::kProgramUser);
    EXPECT_EQ(users, (QStringList{QString(), QStringLiteral("MARIA"), QString()}));
    q->first();
    q->next();
    EXPECT_EQ(q->asString(QStringLiteral("UTILIZATOR")), QStringLiteral("BIROU-CONTABIL -"));
}

TEST_F(ActivityLogTest, actionWithQuotesAndTooLong_isStoredCutAndWhole)
{
    const QString action = QStringLiteral("Adaugare Act 7/01.02.2026 - Domeniul: \"Contracte\" ") +
                           QString(200, QLatin1Char('x'));
    WriteLog(sx, context, action, now);
    WriteLog(sx, context, QStringLiteral("Inchidere program."), now);
    Query *q = log();
    ASSERT_EQ(q->recordCount(), 2);
    EXPECT_EQ(q->asString(QStringLiteral("ACTIUNE")), action.left(120));
    q->next();
    EXPECT_EQ(q->asString(QStringLiteral("IDLOG")), QStringLiteral("2"));
}

TEST_F(ActivityLogTest, counterThatIsNoNumber_failsWithoutAdvancingOrWriting)
{
    SettingsFile(dir.path())
        .write(QStringLiteral("INDEX"), QStringLiteral("IDLOG"), QStringLiteral("12a"));
    try {
        WriteLog(sx, context, QStringLiteral("Acces in program."), now);
        ADD_FAILURE() << "no error";
    } catch (const Error &e) {
        // The conversion's own words, then what the user is to do about which file.
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("'12a' is not a valid integer value\r"
                                                          "Contorul IDLOG din fisierul de setari")))
            << e.what();
    }
    EXPECT_EQ(counter(QStringLiteral("IDLOG")), QStringLiteral("12a"));
    EXPECT_EQ(log()->recordCount(), 0);
}

TEST_F(ActivityLogTest, counterWrittenOtherwise_handsOutTheNumbersCanonicalText)
{
    // The id names the act's file and fills its row: both must read the same number.
    for (const char *stored : {"0004", "+4", " 4 "}) {
        SettingsFile(dir.path())
            .write(QStringLiteral("INDEX"), QStringLiteral("IDACT"), QLatin1String(stored));
        EXPECT_EQ(NextId(dir.path(), QStringLiteral("IDACT")), QStringLiteral("4")) << stored;
        EXPECT_EQ(counter(QStringLiteral("IDACT")), QStringLiteral("5"));
    }
}

TEST_F(ActivityLogTest, failingInsert_skipsItsIdForGood)
{
    QFile::remove(resolveFileName(joinPath(dir.path(), QStringLiteral("Log.dbf"))));
    EXPECT_THROW(WriteLog(sx, context, QStringLiteral("Acces in program."), now), Error);
    EXPECT_EQ(counter(QStringLiteral("IDLOG")), QStringLiteral("2"));
    EXPECT_EQ(NextId(dir.path(), QStringLiteral("IDACT")), QStringLiteral("1"));
    EXPECT_EQ(NextId(dir.path(), QStringLiteral("IDACT")), QStringLiteral("2"));
}

TEST_F(ActivityLogTest, severalProcessesTakingIdsAtOnce_neverGetTheSameOne)
{
    // Each process also rewrites a key of its own between the ids: no write may undo another.
    constexpr int kProcesses = 4;
    constexpr int kIds = 500;
    int pipes[kProcesses][2];
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        ASSERT_EQ(pipe(pipes[p]), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(pipes[p][0]);
            int status = 0;
            try {
                for (int i = 0; i < kIds; ++i) {
                    const qint32 id = NextId(dir.path(), QStringLiteral("IDACT")).toInt();
                    if (write(pipes[p][1], &id, sizeof id) != sizeof id)
                        status = 4;
                    SettingsFile(dir.path())
                        .write(QStringLiteral("STATII"), QStringLiteral("P%1").arg(p),
                               QString::number(i));
                }
            } catch (...) {
                status = 3;
            }
            close(pipes[p][1]);
            _exit(status);
        }
        close(pipes[p][1]);
        children.push_back(pid);
    }
    QSet<qint32> ids;
    int received = 0;
    for (int p = 0; p < kProcesses; ++p) {
        qint32 id = 0;
        while (read(pipes[p][0], &id, sizeof id) == sizeof id) {
            ids.insert(id);
            ++received;
        }
        close(pipes[p][0]);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(received, kProcesses * kIds);
    EXPECT_EQ(ids.size(), kProcesses * kIds);
    EXPECT_EQ(*std::min_element(ids.begin(), ids.end()), 1);
    EXPECT_EQ(*std::max_element(ids.begin(), ids.end()), kProcesses * kIds);
    EXPECT_EQ(counter(QStringLiteral("IDACT")), QString::number(kProcesses * kIds + 1));
    for (int p = 0; p < kProcesses; ++p)
        EXPECT_EQ(
            SettingsFile(dir.path()).read(QStringLiteral("STATII"), QStringLiteral("P%1").arg(p)),
            QString::number(kIds - 1));
}

} // namespace
