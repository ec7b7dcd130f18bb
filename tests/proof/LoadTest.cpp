// Four workstations on one shared data folder at once: first 500 additions each, then 200
// modifications and deletions each. Afterwards every id was handed out once, every act is in the
// register, readable by the engine and by the tests' own reader, and has its file in the archive
// decoding to the scan it was given; no archived file lacks its act, and every change each
// workstation reported done is there.
#include "ProofFolder.h"
#include "Workstations.h"

#include <QElapsedTimer>
#include <QSet>
#include <gtest/gtest.h>

using namespace dosarium::proof;

namespace {

constexpr int kStations = 4;
constexpr int kAdditions = 500;
constexpr int kChanges = 200;

class LoadTest : public ::testing::Test {
protected:
    QList<StationRun> together(const QStringList &commands, quint64 seedBase)
    {
        QList<QStringList> args;
        for (int s = 1; s <= kStations; ++s)
            // Scans up to 16 KB: the load is the program's steps, not the bytes copied.
            args.append(stations.stationArgs(s, seedBase + s) +
                        QStringList{QStringLiteral("--largest"), QStringLiteral("16000")} +
                        QStringList{QStringLiteral("start"), QStringLiteral("signin"),
                                    QStringLiteral("OPERATOR"), QStringLiteral("OP1")} +
                        commands);
        QElapsedTimer clock;
        clock.start();
        const QList<StationRun> runs = stations.runTogether(args, 240000);
        std::cout << "[ figures  ] " << commands.join(QLatin1Char(' ')).toStdString() << " x "
                  << kStations << ": " << clock.elapsed() << " ms\n";
        for (const StationRun &r : runs)
            EXPECT_EQ(r.exitCode, 0) << r.text().right(3000).toStdString();
        return runs;
    }

    static void expectSound(const FolderState &state)
    {
        EXPECT_TRUE(state.problems.isEmpty())
            << state.problems.mid(0, 20).join(QLatin1Char('\n')).toStdString();
    }

    Workstations stations;
};

TEST_F(LoadTest, fourWorkstationsAddingThenChangingAtOnce_loseNothingAndShareNoId)
{
    // 4 x 500 additions.
    const QList<StationRun> added =
        together({QStringLiteral("add"), QString::number(kAdditions)}, 100);
    QSet<qint64> ids;
    QMap<qint64, int> owner;
    for (int s = 0; s < kStations; ++s) {
        const QList<QStringList> done =
            added.at(s).linesOf(QStringLiteral("DONE"), QStringLiteral("add"));
        EXPECT_EQ(done.size(), kAdditions);
        for (const QStringList &d : done) {
            const qint64 id = d.value(2).toLongLong();
            EXPECT_FALSE(ids.contains(id)) << "IDACT " << id << " handed out twice";
            ids.insert(id);
            owner.insert(id, s + 1);
        }
    }
    FolderState state = inspectFolder(stations.server());
    expectSound(state);
    EXPECT_EQ(state.acts.size(), kStations * kAdditions);
    for (auto it = state.acts.cbegin(); it != state.acts.cend(); ++it)
        EXPECT_EQ(it->seria, Workstations::name(owner.value(it.key())));
    // One entry per sign-in and per addition, each with its own IDLOG.
    EXPECT_EQ(state.logIds.size(), kStations + kStations * kAdditions);
    EXPECT_EQ(state.logActions.filter(QStringLiteral("Adaugare Act STATIA")).size(),
              kStations * kAdditions);
    const QMap<qint64, ActRow> before = state.acts;

    // 4 x 200 modifications and deletions of each workstation's own acts.
    const QList<StationRun> changed =
        together({QStringLiteral("mixed"), QString::number(kChanges)}, 200);
    state = inspectFolder(stations.server());
    expectSound(state);
    QMap<qint64, QStringList> lastChange; // id -> the DONE modification's BEGIN fields
    QSet<qint64> deleted;
    int changes = 0;
    for (const StationRun &r : changed) {
        QStringList begun;
        for (const QString &line : r.lines) {
            const QStringList f = line.split(QLatin1Char('\t'));
            if (f.value(0) == QLatin1String("BEGIN"))
                begun = f;
            if (f.value(0) != QLatin1String("DONE") ||
                (f.value(1) != QLatin1String("modify") && f.value(1) != QLatin1String("delete")))
                continue;
            ++changes;
            const qint64 id = f.value(2).toLongLong();
            if (f.value(1) == QLatin1String("delete"))
                deleted.insert(id);
            else
                lastChange.insert(id, begun);
        }
    }
    EXPECT_EQ(changes, kStations * kChanges);
    EXPECT_EQ(state.acts.size(), kStations * kAdditions - deleted.size());
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const qint64 id = it.key();
        if (deleted.contains(id)) {
            EXPECT_FALSE(state.acts.contains(id)) << "deleted act " << id << " is still there";
            continue;
        }
        ASSERT_TRUE(state.acts.contains(id)) << "act " << id << " is gone";
        const ActRow &now = state.acts.value(id);
        if (!lastChange.contains(id)) {
            EXPECT_EQ(now, *it) << "act " << id << " changed without being changed";
            continue;
        }
        // BEGIN modify id kind year domain subdomain obs extension
        const QStringList &c = lastChange.value(id);
        EXPECT_EQ(QString::number(now.year), c.value(4)) << id;
        EXPECT_EQ(now.domeniul, c.value(5)) << id;
        EXPECT_EQ(now.obs, c.value(7)) << id;
        EXPECT_EQ(now.extensie, c.value(8)) << id;
    }
    EXPECT_EQ(state.logIds.size(), 2 * kStations + kStations * (kAdditions + kChanges));
}

TEST_F(LoadTest, actsChangedWhileAnotherWorkstationRecodesTheArchive_endUnderTheLastKey)
{
    // One workstation changes ADMIN's password again and again, re-coding the whole archive
    // each time, while another adds, modifies, moves and deletes acts.
    QStringList passwords{QStringLiteral("start"), QStringLiteral("signin"),
                          QStringLiteral("ADMIN"), QLatin1String(kArchiveKey)};
    for (int pass = 1; pass <= 8; ++pass)
        passwords << QStringLiteral("password") << QStringLiteral("ADMIN")
                  << QStringLiteral("CHEIA-%1").arg(QString(pass, QLatin1Char('X')));
    const QStringList acts = stations.stationArgs(2, 302) +
                             QStringList{QStringLiteral("--largest"), QStringLiteral("16000"),
                                         QStringLiteral("start"),     QStringLiteral("signin"),
                                         QStringLiteral("OPERATOR"),  QStringLiteral("OP1"),
                                         QStringLiteral("add"),       QStringLiteral("300"),
                                         QStringLiteral("mixed"),     QStringLiteral("100")};
    QElapsedTimer clock;
    clock.start();
    const QList<StationRun> runs =
        stations.runTogether({stations.stationArgs(1, 301) + passwords, acts}, 240000);
    std::cout << "[ figures  ] 8 re-codings beside 300 additions and 100 changes: "
              << clock.elapsed() << " ms\n";
    for (const StationRun &r : runs)
        EXPECT_EQ(r.exitCode, 0) << r.text().right(3000).toStdString();
    EXPECT_EQ(runs.at(0).linesOf(QStringLiteral("DONE"), QStringLiteral("password")).size(), 8);
    const FolderState state = inspectFolder(stations.server());
    expectSound(state);
    EXPECT_EQ(state.key, QByteArray("CHEIA-XXXXXXXX"));
    EXPECT_GT(state.acts.size(), 200);
}

} // namespace
