// Crash trials: a workstation is killed (SIGKILL, as a power cut ends it) at a random moment of
// one writing operation, then started again; the data folder must then be whole. Each trial
// takes a copy of a small register, runs the operation once to the end on another copy to learn
// its steps and its time, and then runs it again on its own copy, killed either at a
// chosen step (a point where the windows would let events run: after each statement and each
// block of a copied file) or after a random time. After the next start:
//   - every table, the user file and the settings file read soundly (the engine and the tests'
//     own reader), and the register and the archive agree (ProofFolder's checks);
//   - the operation is wholly there or wholly absent, and nothing else changed.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace dosarium::proof {

class Workstations;
struct FolderState;

// The writing operations tried.
QStringList crashOperations();

// The register every trial starts from: six acts of STATIA1 on a shared folder, one of them
// deleted (so that the pack has rows to remove) and one moved to another year.
struct TrialBase {
    std::unique_ptr<Workstations> folders;
    QList<qint64> ids; // the acts that stand
};
TrialBase makeTrialBase(quint64 seed);

// The workstation's arguments that run `operation` (on act `target` where it needs one) after
// a start, a sign-in (unless `signIn` is false) and an "arm" command; the pack runs on the
// server installation itself.
QStringList operationArgs(const QString &operation, const Workstations &w, qint64 target,
                          quint64 seed, bool signIn = true);

// How the operation ended: done, stopped by a crash, or failed with an error.
enum class Outcome { Done, Stopped, Failed };

// The acts after the operation against those before it: only the operation's own act may
// differ, and then wholly as the operation meant it (`begun` holds its BEGIN line's fields); a
// failed operation leaves every act as it was. Returns what is wrong.
QStringList compareActs(const QString &operation, const FolderState &before,
                        const FolderState &after, qint64 target, const QStringList &begun,
                        Outcome outcome);

struct TrialResult {
    QString operation;
    QString moment;        // "step 7 of 23" or "after 12 ms of 40"
    bool killed = false;   // the kill came before the operation ended
    bool finished = false; // the operation had reported itself done
    QStringList problems;  // empty when the folder was whole after the next start
    int notices = 0;       // what the next start told the user it found and repaired
};

struct TrialSummary {
    struct Counts {
        int trials = 0, killed = 0, survived = 0;
    };
    QMap<QString, Counts> byOperation;
    QList<TrialResult> failures;
    int notices = 0; // interrupted operations the next start reported and repaired

    bool allSurvived() const { return failures.isEmpty(); }
    QString table() const;
};

// Runs `trials` trials, the operations in turn, moments drawn from `seed`. `progress` gets a
// line per trial when set.
TrialSummary runCrashTrials(int trials, quint64 seed,
                            const std::function<void(const TrialResult &)> &progress = {},
                            const QStringList &operations = crashOperations());

// One trial of `operation` on a copy of `base`, its moments drawn from `seed`.
TrialResult runCrashTrial(const QString &operation, quint64 seed, const TrialBase &base);

} // namespace dosarium::proof
