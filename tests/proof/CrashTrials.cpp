#include "CrashTrials.h"

#include "ProofFolder.h"
#include "Workstations.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <random>

namespace dosarium::proof {

namespace {

const QString kStart = QStringLiteral("start");

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TrialBase makeTrialBase(quint64 seed)
{
    TrialBase base;
    base.folders = std::make_unique<Workstations>();
    const Workstations &w = *base.folders;
    const QStringList signIn = {kStart, QStringLiteral("signin"), QStringLiteral("OPERATOR"),
                                QStringLiteral("OP1")};
    const StationRun added = w.runForked(w.stationArgs(1, seed) + signIn +
                                         QStringList{QStringLiteral("add"), QStringLiteral("6")});
    for (const QStringList &done : added.linesOf(QStringLiteral("DONE"), QStringLiteral("add")))
        base.ids.append(done.value(2).toLongLong());
    if (base.ids.size() != 6)
        qFatal("the trial's register was not made: %s", qPrintable(added.text()));
    w.runForked(w.stationArgs(1, seed + 1) + signIn +
                QStringList{QStringLiteral("delete"), QString::number(base.ids.takeFirst()),
                            QStringLiteral("modify"), QString::number(base.ids.first()),
                            QStringLiteral("move")});
    return base;
}

QStringList operationArgs(const QString &operation, const Workstations &w, qint64 target,
                          quint64 seed, bool signIn)
{
    if (operation == QLatin1String("pack"))
        // The server installation's own pack, as its start runs it.
        return {QStringLiteral("--home"),    w.home(0),
                QStringLiteral("--station"), QStringLiteral("SERVER"),
                QStringLiteral("arm"),       QStringLiteral("pack")};
    const bool admin = operation == QLatin1String("password");
    QStringList args = w.stationArgs(1, seed) << kStart;
    if (signIn)
        args << QStringLiteral("signin")
             << (admin ? QStringLiteral("ADMIN") : QStringLiteral("OPERATOR"))
             << (admin ? QString::fromLatin1(kArchiveKey) : QStringLiteral("OP1"));
    args << QStringLiteral("arm");
    if (admin)
        return args << QStringLiteral("password") << QStringLiteral("ADMIN")
                    << QStringLiteral("NOUA%1").arg(seed % 100);
    const QString id = QString::number(target);
    if (operation == QLatin1String("add"))
        return args << QStringLiteral("add") << QStringLiteral("1");
    if (operation.startsWith(QLatin1String("modify-")))
        return args << QStringLiteral("modify") << id << operation.mid(7);
    if (operation == QLatin1String("delete"))
        return args << QStringLiteral("delete") << id;
    if (operation == QLatin1String("log"))
        return args << QStringLiteral("log") << QStringLiteral("3");
    if (operation == QLatin1String("settings"))
        return args << QStringLiteral("ids") << QStringLiteral("5");
    if (operation == QLatin1String("users"))
        return args << QStringLiteral("users") << QString::number(1 + seed % 4);
    qFatal("unknown operation %s", qPrintable(operation));
}

QStringList compareActs(const QString &operation, const FolderState &before,
                        const FolderState &after, qint64 target, const QStringList &begun,
                        Outcome outcome)
{
    const bool finished = outcome == Outcome::Done;
    TrialResult result;
    QSet<qint64> ids;
    for (qint64 id : before.acts.keys())
        ids.insert(id);
    for (qint64 id : after.acts.keys())
        ids.insert(id);
    int added = 0;
    for (qint64 id : std::as_const(ids)) {
        const bool was = before.acts.contains(id);
        const bool is = after.acts.contains(id);
        const ActRow old = before.acts.value(id);
        const ActRow now = after.acts.value(id);
        const QString what = QStringLiteral("act %1: ").arg(id);
        if (!was) {
            ++added;
            if (operation != QLatin1String("add") || outcome == Outcome::Failed)
                result.problems << what + QStringLiteral("appeared");
            else if (now.nr != begun.value(2) || now.obs != begun.value(3))
                result.problems << what + QStringLiteral("is not the act being added");
            continue;
        }
        const bool targeted =
            operation.startsWith(QLatin1String("modify-")) || operation == QLatin1String("delete");
        if (id != target || !targeted) {
            if (!is || now != old)
                result.problems << what + QStringLiteral("changed though no operation touched it");
            continue;
        }
        if (operation == QLatin1String("delete")) {
            if (!is && outcome == Outcome::Failed)
                result.problems << what + QStringLiteral("deleted by a deletion that failed");
            if (is && now != old)
                result.problems << what + QStringLiteral("half deleted");
            if (is && finished)
                result.problems << what + QStringLiteral("deleted, yet still there");
            continue;
        }
        // BEGIN modify id kind year domain subdomain obs extension
        const bool asMeant = is && QString::number(now.year) == begun.value(4) &&
                             now.domeniul == begun.value(5) && now.subdom == begun.value(6) &&
                             now.obs == begun.value(7) && now.extensie == begun.value(8);
        if (!asMeant && (!is || now != old || finished))
            result.problems << what + QStringLiteral("neither as it was nor as it was meant");
        if (outcome == Outcome::Failed && (!is || now != old))
            result.problems << what + QStringLiteral("changed by a modification that failed");
    }
    if (added > 1)
        result.problems << QStringLiteral("%1 acts appeared").arg(added);
    if (operation == QLatin1String("add") && finished && added != 1)
        result.problems << QStringLiteral("the act reported added is not there");
    return result.problems;
}

QStringList crashOperations()
{
    return {QStringLiteral("add"),
            QStringLiteral("modify-obs"),
            QStringLiteral("modify-file"),
            QStringLiteral("modify-move"),
            QStringLiteral("modify-movefile"),
            QStringLiteral("delete"),
            QStringLiteral("log"),
            QStringLiteral("settings"),
            QStringLiteral("users"),
            QStringLiteral("pack"),
            QStringLiteral("password")};
}

TrialResult runCrashTrial(const QString &operation, quint64 seed, const TrialBase &base)
{
    std::mt19937_64 random(seed);
    TrialResult result;
    result.operation = operation;
    const std::unique_ptr<Workstations> folders = base.folders->copy();
    const Workstations &w = *folders;
    const qint64 target = base.ids.at(int(random() % quint64(base.ids.size())));
    const quint64 opSeed = random();

    // The same operation run to its end on a copy: its steps, its time, its result.
    const std::unique_ptr<Workstations> probe = w.copy();
    QElapsedTimer clock;
    clock.start();
    const StationRun whole = probe->runForked(operationArgs(operation, *probe, target, opSeed));
    const qint64 wholeUs = clock.nsecsElapsed() / 1000;
    const int steps = whole.linesOf(QStringLiteral("STEPS")).value(0).value(1).toInt();
    if (whole.exitCode != 0)
        result.problems << QStringLiteral("the operation fails even without a crash: ") +
                               whole.text().right(800);
    const QByteArray usersMeant =
        readFile(QDir(probe->server()).filePath(QStringLiteral("ini.mpg")));

    const FolderState before = inspectFolder(w.server());
    const QByteArray usersBefore = readFile(QDir(w.server()).filePath(QStringLiteral("ini.mpg")));
    const QStringList args = operationArgs(operation, w, target, opSeed);
    StationRun cut;
    if (steps > 0 && random() % 10 < 7) {
        const int step = 1 + int(random() % quint64(steps));
        result.moment = QStringLiteral("step %1 of %2").arg(step).arg(steps);
        cut = w.runForked(args +
                          QStringList{QStringLiteral("--crash-at-step"), QString::number(step)});
    } else {
        const qint64 delay = qint64(random() % quint64(std::max<qint64>(1, wholeUs)));
        result.moment = QStringLiteral("after %1 ms of %2").arg(delay / 1000).arg(wholeUs / 1000);
        cut = w.runForked(args, delay);
    }
    result.killed = cut.killed;
    const QString op = operation.section(QLatin1Char('-'), 0, 0);
    const QString shownOp = op == QLatin1String("settings") ? QStringLiteral("ids") : op;
    result.finished = !cut.linesOf(QStringLiteral("DONE"), shownOp).isEmpty();
    const QStringList begun = cut.linesOf(QStringLiteral("BEGIN"), shownOp).value(0);
    if (!cut.killed && cut.exitCode != 0)
        result.problems << QStringLiteral("the operation failed: ") + cut.text().right(800);

    // The next start, then the whole folder.
    const StationRun next =
        operation == QLatin1String("pack")
            ? w.runForked({QStringLiteral("--home"), w.home(0), QStringLiteral("--station"),
                           QStringLiteral("SERVER"), kStart})
            : w.runForked(w.stationArgs(1, seed + 7) + QStringList{kStart});
    if (next.exitCode != 0)
        result.problems << QStringLiteral("the next start failed: ") + next.text().right(800);
    result.notices = int(next.linesOf(QStringLiteral("NOTICE")).size());
    const FolderState after = inspectFolder(w.server());
    result.problems << after.problems;
    result.problems << compareActs(operation, before, after, target, begun,
                                   result.finished ? Outcome::Done : Outcome::Stopped);

    const qsizetype logGrowth = after.logIds.size() - before.logIds.size();
    const bool changesAnAct = operation == QLatin1String("add") ||
                              operation == QLatin1String("delete") ||
                              operation.startsWith(QLatin1String("modify-"));
    // A password change of ADMIN logs itself and its re-coding.
    const int logOfOperation = operation == QLatin1String("log")        ? 3
                               : operation == QLatin1String("password") ? 2
                               : changesAnAct                           ? 1
                                                                        : 0;
    if (logGrowth < 0 || logGrowth > 1 + logOfOperation)
        result.problems << QStringLiteral("the log grew by %1 entries").arg(logGrowth);
    if (operation == QLatin1String("users")) {
        const QByteArray now = readFile(QDir(w.server()).filePath(QStringLiteral("ini.mpg")));
        if (now != usersBefore && now != usersMeant)
            result.problems << QStringLiteral("the user file is neither the old nor the new one");
        if (result.finished && now != usersMeant)
            result.problems << QStringLiteral("the user file saved is not there");
    }
    return result;
}

QString TrialSummary::table() const
{
    QString out = QStringLiteral("| operation | trials | killed during it | whole afterwards |\n"
                                 "|---|---|---|---|\n");
    Counts total;
    for (auto it = byOperation.cbegin(); it != byOperation.cend(); ++it) {
        out += QStringLiteral("| %1 | %2 | %3 | %4 |\n")
                   .arg(it.key())
                   .arg(it->trials)
                   .arg(it->killed)
                   .arg(it->survived);
        total.trials += it->trials;
        total.killed += it->killed;
        total.survived += it->survived;
    }
    out += QStringLiteral("| all | %1 | %2 | %3 |\n")
               .arg(total.trials)
               .arg(total.killed)
               .arg(total.survived);
    return out;
}

TrialSummary runCrashTrials(int trials, quint64 seed,
                            const std::function<void(const TrialResult &)> &progress,
                            const QStringList &operations)
{
    TrialSummary summary;
    // One register for every trial; each trial works on a copy of it.
    const TrialBase base = makeTrialBase(seed);
    for (int t = 0; t < trials; ++t) {
        const QString operation = operations.at(t % operations.size());
        const TrialResult r = runCrashTrial(operation, seed * 1000003u + quint64(t), base);
        TrialSummary::Counts &c = summary.byOperation[operation];
        ++c.trials;
        c.killed += r.killed ? 1 : 0;
        c.survived += r.problems.isEmpty() ? 1 : 0;
        summary.notices += r.notices;
        if (!r.problems.isEmpty())
            summary.failures.append(r);
        if (progress)
            progress(r);
    }
    return summary;
}

} // namespace dosarium::proof
