// Rows held apart that catch up with the table by reading only what changed: the same rows as a
// whole read after changes of every kind, and the whole read whenever a change went unrecorded
// or the trail cannot be believed.
#include "ChangeTrailFixture.h"
#include "store/IoCount.h"
#include "store/TableFile.h"

#include <QElapsedTimer>

using namespace dosarium;

namespace {

TEST_F(ChangeTrailTest, changesOfEveryKind_areCaughtUpReadingOnlyThem)
{
    // Past the rows after which a column of values that never repeat (the ids) is held one per
    // row; written before the trail begins, as an older folder's.
    constexpr int kManyRows = 4200;
    QFile::remove(ChangeTrail::pathFor(path));
    for (int id = kRows + 1; id <= kManyRows; ++id)
        add(id, QStringLiteral("Titlul %1").arg(id % 7));
    ChangeTrail::create(path);
    Query register_;
    openOn(register_, table);
    // Changed in place, appended, deleted, a title that no other row had and one whose last row
    // went away: several changes between two refreshes, and a refresh with none.
    setTitle(10, QStringLiteral("Titlul nou"));
    add(kManyRows + 1, QStringLiteral("Titlul 3"));
    remove(20);
    for (int id = 7; id <= kManyRows; id += 50)
        setTitle(id, QStringLiteral("Titlul 1"));
    IoMeter meter;
    register_.refresh();
    // The bytes are those of the records named and of their entries, far from the table's.
    EXPECT_LT(meter.sinceStart().read, tableSize() / 10);
    EXPECT_EQ(listed(register_), freshlyRead());

    meter = IoMeter();
    register_.refresh();
    EXPECT_LT(meter.sinceStart().read, 4096);
    EXPECT_EQ(listed(register_), freshlyRead());

    // The only row with its title takes another: the title leaves the distinct values.
    setTitle(10, QStringLiteral("Titlul 2"));
    register_.refresh();
    EXPECT_EQ(listed(register_), freshlyRead());

    // Every refresh after a change of one act stays small, and the values left behind by the
    // rows that changed are dropped.
    for (int round = 0; round < 30; ++round) {
        setTitle(1 + round * 13, QStringLiteral("Runda %1").arg(round));
        meter = IoMeter();
        register_.refresh();
        EXPECT_LT(meter.sinceStart().read, 4096);
    }
    EXPECT_EQ(listed(register_), freshlyRead());
}

TEST_F(ChangeTrailTest, anotherOrderOfHeldColumns_isMadeWithoutReadingTheTableWhole)
{
    Query register_;
    openOn(register_, table);
    setTitle(12, QStringLiteral("Alt titlu"));
    IoMeter meter;
    register_.refreshAs(statement(table, QStringLiteral("ANUL")));
    EXPECT_LT(meter.sinceStart().read, 4096);
    EXPECT_EQ(listed(register_), freshlyRead(QStringLiteral("ANUL")));
    // A column read only when shown: the table is read whole in that order.
    meter = IoMeter();
    register_.refreshAs(statement(table, QStringLiteral("OBS")));
    EXPECT_GE(meter.sinceStart().read, tableSize() - 4096);
    EXPECT_EQ(listed(register_), freshlyRead(QStringLiteral("OBS")));
}

TEST_F(ChangeTrailTest, aChangeTheTrailDoesNotTell_isSeenByReadingTheTableWhole)
{
    Query register_;
    openOn(register_, table);
    const auto refreshedWhole = [&] {
        const IoMeter meter;
        register_.refresh();
        return meter.sinceStart().read >= tableSize() - 4096;
    };

    // A workstation that keeps no trail.
    setTitleAsOlderProgram(5, QStringLiteral("Schimbat pe loc"));
    EXPECT_TRUE(refreshedWhole());
    EXPECT_EQ(listed(register_), freshlyRead());
    // Followed by a change that the trail records: the links are broken still.
    setTitleAsOlderProgram(6, QStringLiteral("Tot pe loc"));
    setTitle(7, QStringLiteral("Din program"));
    EXPECT_TRUE(refreshedWhole());
    EXPECT_EQ(listed(register_), freshlyRead());

    // A trail damaged, cut short, or taken away; each time the rows are read whole.
    const QString trail = ChangeTrail::pathFor(path);
    const std::vector<std::function<void()>> harms{[&] {
                                                       QFile f(trail);
                                                       ASSERT_TRUE(f.open(QIODevice::ReadWrite));
                                                       f.seek(f.size() - 10);
                                                       f.write("xx");
                                                   },
                                                   [&] {
                                                       QFile f(trail);
                                                       ASSERT_TRUE(f.open(QIODevice::ReadWrite));
                                                       ASSERT_TRUE(f.resize(f.size() - 3));
                                                   },
                                                   [&] { ASSERT_TRUE(QFile::remove(trail)); }};
    int id = 100;
    for (const auto &harm : harms) {
        setTitle(++id, QStringLiteral("Inainte"));
        register_.refresh();
        setTitle(++id, QStringLiteral("Dupa"));
        harm();
        EXPECT_TRUE(refreshedWhole());
        EXPECT_EQ(listed(register_), freshlyRead());
    }
    // Packed elsewhere (the file rewritten whole): the trail says so.
    ChangeTrail::create(path);
    setTitle(300, QStringLiteral("Inainte de pachet"));
    remove(299);
    register_.close();
    {
        const std::unique_ptr<TableFile> file = TableFile::open(path, TableFile::Mode::Exclusive);
        EXPECT_TRUE(Engine::pack(*file));
    }
    openOn(register_, table);
    remove(301);
    EXPECT_FALSE(refreshedWhole());
    EXPECT_EQ(listed(register_), freshlyRead());
}

TEST_F(ChangeTrailTest, anEntryIsSealedOnlyOnceTheClockHasPassedTheTablesNewTime)
{
    // A change whose time the file system set ahead of the clock (as a server's clock may be):
    // a change made by another program just after it could carry the same time, so the entry
    // may be trusted only once the trail's own time has passed it.
    const TableStamp before = TableFile::open(path, TableFile::Mode::Shared)->stamp();
    const TableStamp after{before.size, before.modified + 300'000'000};
    QElapsedTimer waited;
    waited.start();
    ChangeTrail::record(path, before, after, {3}, false);
    EXPECT_GE(waited.elapsed(), 250);
    EXPECT_TRUE(ChangeTrail::mark(path, after).trusted);
    // Not for a table standing otherwise whose time the clock has not passed yet: a change
    // made elsewhere just after it could carry the same time.
    EXPECT_FALSE(ChangeTrail::mark(path, {after.size, after.modified + 10'000'000'000}).trusted);
}

} // namespace
