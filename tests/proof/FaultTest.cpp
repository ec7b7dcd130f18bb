// A full disk and a read-only data folder under every writing operation. The disk fills at
// many sizes (a file size limit: a write that would make any file larger fails as on a full
// disk), so that each step of each operation meets it in turn; the read-only folder is the shared
// folder mounted read-only for the workstation alone. Either the operation is done whole, or it
// says in Romanian what failed and the register, the archive and the user file stay as they were.
#include "CrashTrials.h"
#include "ProofFolder.h"
#include "Workstations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace dosarium::proof;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Words of the program's own error texts: every failure must name its cause in them.
bool romanian(const QString &message)
{
    static const QRegularExpression words(QStringLiteral(
        "\\b(Nu pot|nu poate|nu a fost|Unable to write to|nu exista|ocupat|folosit)\\b"));
    return words.match(message).hasMatch();
}

struct Tally {
    int runs = 0, done = 0, refused = 0;
};

class FaultTest : public ::testing::Test {
protected:
    FaultTest() : base(makeTrialBase(41)) {}

    // One operation on a fresh copy of the register, with `extra` arguments (the disk's limit
    // or the read-only folder). Returns how it ended; records any damage.
    Outcome tryOperation(const QString &operation, const QStringList &extra, bool signIn = true)
    {
        const std::unique_ptr<Workstations> copy = base.folders->copy();
        const qint64 target = base.ids.last();
        const FolderState before = inspectFolder(copy->server());
        const QByteArray users = readFile(QDir(copy->server()).filePath(QStringLiteral("ini.mpg")));
        // A start follows the operation, on a disk with room again (in the same process: the
        // operation has ended, with an error or without).
        const QStringList args = operationArgs(operation, *copy, target, 5, signIn) + extra +
                                 QStringList{QStringLiteral("disarm"), QStringLiteral("start")};
        const StationRun run = copy->runForked(args);
        const QString context =
            operation + QLatin1Char(' ') + extra.join(QLatin1Char(' ')) + QStringLiteral(": ");
        if (run.lines.contains(QStringLiteral("UNSUPPORTED\tread-only")))
            return Outcome::Stopped;
        EXPECT_FALSE(run.killed) << context.toStdString() << run.text().toStdString();
        const QString op = operation.section(QLatin1Char('-'), 0, 0) == QLatin1String("settings")
                               ? QStringLiteral("ids")
                               : operation.section(QLatin1Char('-'), 0, 0);
        const QList<QStringList> errors = run.linesOf(QStringLiteral("ERROR"), op);
        const Outcome outcome = errors.isEmpty() ? Outcome::Done : Outcome::Failed;
        for (const QStringList &e : errors)
            EXPECT_TRUE(romanian(e.value(2))) << context.toStdString() << e.value(2).toStdString();
        if (outcome == Outcome::Done) {
            EXPECT_FALSE(run.linesOf(QStringLiteral("DONE"), op).isEmpty())
                << context.toStdString() << run.text().toStdString();
        }

        // The folder as the start after the operation left it.
        const FolderState after = inspectFolder(copy->server());
        const QStringList problems =
            after.problems + compareActs(operation, before, after, target,
                                         run.linesOf(QStringLiteral("BEGIN"), op).value(0),
                                         outcome);
        EXPECT_TRUE(problems.isEmpty())
            << context.toStdString() << problems.join(QStringLiteral("; ")).toStdString();
        if (operation == QLatin1String("users") && outcome == Outcome::Failed) {
            EXPECT_EQ(readFile(QDir(copy->server()).filePath(QStringLiteral("ini.mpg"))), users)
                << context.toStdString();
        }
        return outcome;
    }

    TrialBase base;
};

TEST_F(FaultTest, diskFillingAtEveryStepOfEveryOperation_leavesTheOldStateAndSaysWhy)
{
    // From nothing at all to room for everything, through the sizes of the settings file, the
    // user file and the journal, into the record the log appends (after the sign-in's entry),
    // into the register's last record and its next one, and through the scans.
    const QDir server(base.folders->server());
    const qint64 log = QFileInfo(server.filePath(QStringLiteral("LOG.DBF"))).size() + 167;
    const qint64 acte = QFileInfo(server.filePath(QStringLiteral("Acte.DBF"))).size();
    const QList<qint64> limits = {0,    200,        log + 1, log + 90, acte - 300,
                                  acte, acte + 300, 60000,   1 << 24};
    QMap<QString, Tally> tally;
    for (const QString &operation : crashOperations()) {
        for (qint64 limit : limits) {
            const Outcome outcome = tryOperation(
                operation, {QStringLiteral("--file-size-limit"), QString::number(limit)});
            Tally &t = tally[operation];
            ++t.runs;
            (outcome == Outcome::Done ? t.done : t.refused)++;
        }
        // The disk full from the start refuses every operation that writes a byte.
        EXPECT_GT(tally[operation].refused, 0) << operation.toStdString();
    }
    for (auto it = tally.cbegin(); it != tally.cend(); ++it)
        std::cout << "[ figures  ] full disk, " << it.key().toStdString() << ": " << it->runs
                  << " sizes, " << it->refused << " refused cleanly, " << it->done << " done\n";
}

TEST_F(FaultTest, readOnlyDataFolder_refusesEveryOperationAndChangesNothing)
{
    int refused = 0;
    for (const QString &operation : crashOperations()) {
        const Outcome outcome = tryOperation(operation, {QStringLiteral("--read-only")}, false);
        if (outcome == Outcome::Stopped)
            GTEST_SKIP() << "this system lets no process mount a folder read-only";
        EXPECT_EQ(outcome, Outcome::Failed) << operation.toStdString();
        refused += outcome == Outcome::Failed ? 1 : 0;
    }
    std::cout << "[ figures  ] read-only folder: " << refused << " operations refused cleanly\n";
}

} // namespace
