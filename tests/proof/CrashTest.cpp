// Twenty crash trials in the test run, two per writing operation (bench/crash-trials.sh runs
// them by the hundred): after a SIGKILL at a random moment and the next start, every file opens,
// the register and the archive agree, and the operation is wholly there or wholly absent.
#include "CrashTrials.h"

#include <gtest/gtest.h>

using namespace dosarium::proof;

namespace {

TEST(CrashTest, killedAtRandomMomentsOfEveryWritingOperation_leavesAWholeFolder)
{
    const quint64 seed = qEnvironmentVariableIsSet("DOSARIUM_CRASH_SEED")
                             ? qgetenv("DOSARIUM_CRASH_SEED").toULongLong()
                             : 20261208;
    const TrialSummary summary = runCrashTrials(2 * int(crashOperations().size()), seed);
    std::cout << summary.table().toStdString();
    for (const TrialResult &r : summary.failures)
        ADD_FAILURE() << r.operation.toStdString() << ", " << r.moment.toStdString() << ": "
                      << r.problems.join(QStringLiteral("; ")).toStdString();
}

} // namespace
