// The crash trials at length: dosarium_crash_trials [--trials N] [--seed S] [--only OP,OP...].
// Prints a line per trial and a table per operation; ends with 1 when any trial left the folder
// unsound.
#include "CrashTrials.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace dosarium::proof;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int trials = 200;
    quint64 seed = 1;
    QStringList operations = crashOperations();
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--trials"))
            trials = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--seed"))
            seed = args.at(i + 1).toULongLong();
        else if (args.at(i) == QLatin1String("--only"))
            operations = args.at(i + 1).split(QLatin1Char(','));
    }
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    const TrialSummary summary = runCrashTrials(
        trials, seed,
        [&n](const TrialResult &r) {
            printf("%4d %-16s %-22s %-7s %s\n", ++n, qPrintable(r.operation), qPrintable(r.moment),
                   r.killed ? "killed" : "ended",
                   r.problems.isEmpty() ? "whole"
                                        : qPrintable(r.problems.join(QStringLiteral("; "))));
            fflush(stdout);
        },
        operations);
    printf("\n%s\nnotices of the next start: %d\ntime: %lld s\n", qPrintable(summary.table()),
           summary.notices, clock.elapsed() / 1000);
    return summary.allSurvived() ? 0 : 1;
}
