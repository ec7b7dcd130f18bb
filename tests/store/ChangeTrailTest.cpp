// Rows held apart that catch up with the table by reading only what changed: the same rows as a
// whole read after changes of every kind, the whole read whenever a change went unrecorded or
// the trail cannot be believed, and never a row older than what another process had finished
// writing when the refresh began.
#include "store/ChangeTrail.h"
#include "store/Engine.h"
#include "store/FileLock.h"
#include "store/FilePath.h"
#include "store/IoCount.h"
#include "store/Query.h"
#include "store/TableFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dosarium;

namespace {

class ChangeTrailTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = joinPath(dir.path(), QStringLiteral("Acte.dbf"));
        table = quoteText(path);
        Engine::execute(QStringLiteral("CREATE TABLE ") + table +
                        QStringLiteral(" (IDACT DECIMAL(10,0), ANUL DECIMAL(6,0), "
                                       "TITLU CHAR(20), OBS CHAR(60))"));
        ChangeTrail::create(path);
        for (int id = 1; id <= kRows; ++id)
            add(id, QStringLiteral("Titlul %1").arg(id % 7));
    }
    void add(int id, const QString &title)
    {
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, TITLU, OBS) VALUES "
                                       "(%2, %3, %4, %5)")
                            .arg(table)
                            .arg(id)
                            .arg(2000 + id % 5)
                            .arg(quoteText(title), quoteText(QStringLiteral("nota %1").arg(id))));
    }
    void setTitle(int id, const QString &title)
    {
        Engine::execute(QStringLiteral("UPDATE %1 SET TITLU=%2 WHERE IDACT=%3")
                            .arg(table, quoteText(title))
                            .arg(id));
    }
    void remove(int id)
    {
        Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT=%2").arg(table).arg(id));
    }
    // What a workstation of the older program does: the record rewritten in place under the
    // header lock, and no trail.
    void setTitleAsOlderProgram(int id, const QString &title)
    {
        const TableLayout layout = Engine::readLayout(path);
        const Field &f = layout.fields.at(layout.fieldIndex(QStringLiteral("TITLU")));
        QByteArray bytes = title.toLatin1().leftJustified(f.length, ' ');
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(lockRange(fd, TableLocks::kHeader, 1, LockMode::Exclusive,
                              std::chrono::seconds(5), path));
        const qint64 at = layout.headerLength + qint64(id - 1) * layout.recordLength + f.offset;
        EXPECT_EQ(::pwrite(fd, bytes.constData(), size_t(bytes.size()), at), bytes.size());
        unlockRange(fd, TableLocks::kHeader, 1);
        ::close(fd);
    }
    static void openOn(Query &q, const QString &table)
    {
        q.clearSql();
        q.appendSql(QStringLiteral("SELECT * FROM ") + table);
        q.appendSql(QStringLiteral("ORDER BY TITLU"));
        q.setKeptColumns(
            {QStringLiteral("IDACT"), QStringLiteral("ANUL"), QStringLiteral("TITLU")});
        q.open();
    }
    // The rows and the distinct titles, as a fresh read of the table gives them.
    static QStringList listed(const Query &q)
    {
        QStringList rows;
        for (int r = 0; r < q.recordCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < q.fieldCount(); ++c)
                cells << q.text(r, c);
            rows << cells.join(QLatin1Char('|'));
        }
        return rows + q.distinctTexts(QStringLiteral("TITLU")).value_or(QStringList{});
    }
    QStringList freshlyRead() const
    {
        Query fresh;
        openOn(fresh, table);
        return listed(fresh);
    }
    qint64 tableSize() const { return QFile(path).size(); }

    static constexpr int kRows = 2000;
    QTemporaryDir dir;
    QString path, table;
};

TEST_F(ChangeTrailTest, changesOfEveryKind_areCaughtUpReadingOnlyThem)
{
    Query register_;
    openOn(register_, table);
    // Changed in place, appended, deleted, a title that no other row had and one whose last row
    // went away: several changes between two refreshes, and a refresh with none.
    setTitle(10, QStringLiteral("Titlul nou"));
    add(kRows + 1, QStringLiteral("Titlul 3"));
    remove(20);
    for (int id = 7; id <= kRows; id += 50)
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
    // Only for the table as the entry leaves it.
    EXPECT_FALSE(ChangeTrail::mark(path, before).trusted);
}

// A second process changes rows in place (as this program and as the older one), appends and
// deletes, while the rows are refreshed over and over: after each refresh, every act stands at
// least as the last change the other process had finished before the refresh began.
TEST_F(ChangeTrailTest, anotherProcessWritingDuringRefreshes_isNeverShownOlder)
{
    constexpr int kChanges = 500;
    enum Kind { Update, OlderUpdate, Append, Delete };
    struct Change {
        Kind kind;
        int id;
    };
    // The changes, decided before the fork so that both processes know them.
    std::vector<Change> changes;
    {
        QRandomGenerator rng(11);
        std::vector<int> live;
        for (int id = 1; id <= kRows; ++id)
            live.push_back(id);
        int next = kRows;
        for (int k = 0; k < kChanges; ++k) {
            const int roll = int(rng.bounded(20));
            const size_t at = rng.bounded(quint32(live.size()));
            if (roll < 4) {
                changes.push_back({Append, ++next});
                live.push_back(next);
            } else if (roll < 7) {
                changes.push_back({Delete, live[at]});
                live.erase(live.begin() + qsizetype(at));
            } else {
                changes.push_back({roll < 9 ? OlderUpdate : Update, live[at]});
            }
        }
    }
    const auto version = [](int k) {
        return QStringLiteral("V%1").arg(k, 6, 10, QLatin1Char('0'));
    };
    int finished[2];
    ASSERT_EQ(::pipe(finished), 0);
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        ::close(finished[0]);
        int status = 0;
        try {
            for (int k = 0; k < kChanges; ++k) {
                const Change &c = changes[size_t(k)];
                if (c.kind == Update)
                    setTitle(c.id, version(k));
                else if (c.kind == OlderUpdate)
                    setTitleAsOlderProgram(c.id, version(k));
                else if (c.kind == Append)
                    add(c.id, version(k));
                else
                    remove(c.id);
                if (::write(finished[1], &k, sizeof k) != sizeof k)
                    status = 4;
                ::usleep(1000);
            }
        } catch (...) {
            status = 3;
        }
        _exit(status);
    }
    ::close(finished[1]);
    ::fcntl(finished[0], F_SETFL, O_NONBLOCK);

    Query register_;
    openOn(register_, table);
    int done = -1;
    int refreshes = 0, caughtUp = 0, violations = 0;
    bool writing = true;
    while (writing) {
        int k = 0;
        ssize_t n;
        while ((n = ::read(finished[0], &k, sizeof k)) == sizeof k)
            done = k;
        writing = n != 0;
        // What each act must at least show: the last change finished on it.
        std::map<int, int> least; // id -> change, or -1 for deleted
        for (int j = 0; j <= done; ++j)
            least[changes[size_t(j)].id] = changes[size_t(j)].kind == Delete ? -1 : j;
        const IoMeter meter;
        register_.refresh();
        ++refreshes;
        caughtUp += meter.sinceStart().read < tableSize() / 2 ? 1 : 0;
        std::map<int, QString> shown;
        for (int r = 0; r < register_.recordCount(); ++r)
            shown[register_.text(r, 0).toInt()] = register_.text(r, 2);
        for (const auto &[id, change] : least) {
            const auto it = shown.find(id);
            // Gone: deleted by then, or since.
            const auto deletedAfter = [&](int from) {
                for (int j = from + 1; j < kChanges; ++j) {
                    if (changes[size_t(j)].id == id && changes[size_t(j)].kind == Delete)
                        return true;
                }
                return false;
            };
            const bool ok = it == shown.end() ? change < 0 || deletedAfter(change)
                                              : change >= 0 && it->second >= version(change);
            if (!ok && ++violations < 5)
                ADD_FAILURE() << "act " << id << " shown older than change " << change
                              << " after change " << done << " had finished";
        }
    }
    ::close(finished[0]);
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    register_.refresh();
    EXPECT_EQ(listed(register_), freshlyRead());
    EXPECT_EQ(violations, 0);
    std::printf("[ figures  ] %d refreshes during %d changes by another process, %d of them "
                "reading only what changed\n",
                refreshes, kChanges, caughtUp);
}

} // namespace
