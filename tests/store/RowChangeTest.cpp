// UPDATE and DELETE that search under the shared lock and change under the exclusive one: what
// other workstations do between the two steps is taken into account, and readers never see a
// half-changed table.
#include "store/RowChange.h"

#include "store/Engine.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dosarium;

namespace {

class RowChangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        table = quoteText(joinPath(dir.path(), QStringLiteral("Acte.dbf")));
        Engine::execute(
            QStringLiteral("CREATE TABLE %1 (ID DECIMAL(6,0), A CHAR(20), B CHAR(20))").arg(table));
        for (int id = 1; id <= 6; ++id)
            insert(id, QStringLiteral("a"));
    }
    int run(const QString &statement) { return Engine::execute(statement.arg(table)); }
    void insert(int id, const QString &value)
    {
        Engine::execute(QStringLiteral("INSERT INTO %1 (ID, A, B) VALUES (%2, %3, %3)")
                            .arg(table)
                            .arg(id)
                            .arg(quoteText(value)));
    }
    RowChange *searched(const QString &statement)
    {
        change = std::make_unique<RowChange>(parseStatement(statement.arg(table)));
        change->search();
        return change.get();
    }
    // "id:A:B" of every live row, in the file's order.
    QStringList rows()
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") + table);
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next())
            out << QStringLiteral("%1:%2:%3")
                       .arg(q.asString(QStringLiteral("ID")), q.asString(QStringLiteral("A")),
                            q.asString(QStringLiteral("B")));
        return out;
    }
    QTemporaryDir dir;
    QString table;
    std::unique_ptr<RowChange> change;
};

TEST_F(RowChangeTest, rowsChangedBetweenSearchAndChange_areJudgedAsTheyStandThen)
{
    // Deleted meanwhile: it stays deleted.
    searched(QStringLiteral("UPDATE %1 SET A=\"b\" WHERE ID=2"));
    run(QStringLiteral("DELETE FROM %1 WHERE ID=2"));
    EXPECT_EQ(change->apply(), 0);

    // Given another id meanwhile: no longer the row asked for.
    searched(QStringLiteral("UPDATE %1 SET A=\"c\" WHERE ID=3"));
    run(QStringLiteral("UPDATE %1 SET ID=30 WHERE ID=3"));
    EXPECT_EQ(change->apply(), 0);

    // Another column changed meanwhile: both changes stay.
    searched(QStringLiteral("UPDATE %1 SET A=\"d\" WHERE ID=4"));
    run(QStringLiteral("UPDATE %1 SET B=\"alt\" WHERE ID=4"));
    EXPECT_EQ(change->apply(), 1);

    // Appended meanwhile: changed too.
    searched(QStringLiteral("UPDATE %1 SET A=\"e\" WHERE ID=7"));
    insert(7, QStringLiteral("a"));
    EXPECT_EQ(change->apply(), 1);

    EXPECT_EQ(rows(), QStringList({QStringLiteral("1:a:a"), QStringLiteral("30:a:a"),
                                   QStringLiteral("4:d:alt"), QStringLiteral("5:a:a"),
                                   QStringLiteral("6:a:a"), QStringLiteral("7:e:a")}));
}

TEST_F(RowChangeTest, deleteOfManyRows_takesThoseFoundAndThoseAppended)
{
    for (int id = 7; id <= 40; ++id)
        insert(id, QStringLiteral("a"));
    searched(QStringLiteral("DELETE FROM %1 WHERE ID<38"));
    run(QStringLiteral("DELETE FROM %1 WHERE ID=20"));
    insert(0, QStringLiteral("nou"));
    EXPECT_EQ(change->apply(), 37); // 1 to 37 without 20, and the new 0
    EXPECT_EQ(rows(), QStringList({QStringLiteral("38:a:a"), QStringLiteral("39:a:a"),
                                   QStringLiteral("40:a:a")}));
    // Nothing is left to do a second time.
    EXPECT_EQ(run(QStringLiteral("DELETE FROM %1 WHERE ID<38")), 0);
}

TEST_F(RowChangeTest, badValue_stopsTheStatementBeforeAnyRowChanges)
{
    const QByteArray before = [&] {
        QFile f(resolveFileName(joinPath(dir.path(), QStringLiteral("Acte.dbf"))));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    EXPECT_THROW(searched(QStringLiteral("UPDATE %1 SET ID=\"unu\" WHERE ID=1")), Error);
    EXPECT_THROW(searched(QStringLiteral("UPDATE %1 SET ID=1234567 WHERE ID=1")), Error);
    EXPECT_THROW(searched(QStringLiteral("UPDATE %1 SET LIPSA=1 WHERE ID=1")), Error);
    QFile f(resolveFileName(joinPath(dir.path(), QStringLiteral("Acte.dbf"))));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

// One process reads the whole table all the time while this one changes single rows and appends
// new ones: every read holds every row written before it, each whole.
TEST_F(RowChangeTest, oneRowUpdatesUnderAReaderThatReadsAllTheTime_showNoTornOrMissedRow)
{
    for (int id = 7; id <= 300; ++id)
        insert(id, QStringLiteral("a"));
    const QString stop = dir.filePath(QStringLiteral("gata"));
    const pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        int reads = 0;
        int lastCount = 0;
        try {
            while (!QFile::exists(stop) || reads == 0) {
                Query q;
                q.appendSql(QStringLiteral("SELECT * FROM ") + table);
                q.open();
                if (q.recordCount() < lastCount)
                    _exit(2); // rows went missing
                lastCount = q.recordCount();
                int expected = 1;
                for (q.first(); !q.eof(); q.next(), ++expected) {
                    if (q.asInteger(QStringLiteral("ID")) != expected)
                        _exit(2);
                    if (q.asString(QStringLiteral("A")) != q.asString(QStringLiteral("B")))
                        _exit(1); // half a change
                }
                ++reads;
            }
        } catch (...) {
            _exit(3);
        }
        _exit(0);
    }
    int next = 301;
    for (int i = 0; i < 400; ++i) {
        const int id = 1 + (i * 37) % (next - 1);
        EXPECT_EQ(Engine::execute(QStringLiteral("UPDATE %1 SET A=\"v%2\", B=\"v%2\" WHERE ID=%3")
                                      .arg(table)
                                      .arg(i)
                                      .arg(id)),
                  1);
        if (i % 10 == 0)
            insert(next++, QStringLiteral("nou"));
    }
    QFile(stop).open(QIODevice::WriteOnly);
    int status = 0;
    waitpid(reader, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a torn row, 2: a missed row, 3: an error";
    EXPECT_EQ(rows().size(), next - 1);
}

} // namespace
