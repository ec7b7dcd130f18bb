// Rows held apart never shown older than what another process had finished writing when their
// refresh began, whatever it writes meanwhile.
#include "ChangeTrailFixture.h"
#include "store/IoCount.h"

#include <QRandomGenerator>

#include <map>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dosarium;

namespace {

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
