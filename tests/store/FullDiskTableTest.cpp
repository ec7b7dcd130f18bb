// A disk that refuses a write part-way through a record (full, or its file size limit reached):
// the statement fails and the table is byte for byte as it was, never with a record half
// changed, a row deleted by a statement that reported failure, or a piece of a record after the
// last one.
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FilePath.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dosarium;

namespace {

class FullDiskTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = joinPath(dir.path(), QStringLiteral("Acte.dbf"));
        Engine::execute(
            QStringLiteral("CREATE TABLE %1 (ID DECIMAL(6,0), A CHAR(200), B CHAR(200))")
                .arg(quoteText(path)));
        for (int id = 1; id <= 4; ++id)
            Engine::execute(QStringLiteral("INSERT INTO %1 (ID, A, B) VALUES (%2, \"a\", \"b\")")
                                .arg(quoteText(path))
                                .arg(id));
    }
    QByteArray bytes() const
    {
        QFile f(resolveFileName(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Runs the statement in a process whose files may not grow past `limit` bytes; true when
    // the statement failed with the engine's error.
    bool failsWithLimit(const QString &statement, qint64 limit)
    {
        const pid_t pid = fork();
        if (pid == 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit size{rlim_t(limit), rlim_t(limit)};
            setrlimit(RLIMIT_FSIZE, &size);
            try {
                Engine::execute(statement.arg(quoteText(path)));
            } catch (const Error &) {
                _exit(0);
            }
            _exit(1);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    QTemporaryDir dir;
    QString path;
};

TEST_F(FullDiskTableTest, updateOrDeleteCutInsideTheLastRecord_leavesTheTableAsItWas)
{
    const QByteArray before = bytes();
    // The limit falls in the middle of the last record: its first part can be written, the
    // rest cannot.
    const qint64 limit = before.size() - 150;
    for (const QString &statement :
         {QStringLiteral("UPDATE %1 SET A=\"schimbat\", B=\"si aici\" WHERE ID=4"),
          QStringLiteral("UPDATE %1 SET B=\"toate\""), QStringLiteral("DELETE FROM %1 WHERE ID=4"),
          QStringLiteral("DELETE FROM %1 WHERE ID>1")}) {
        EXPECT_TRUE(failsWithLimit(statement, limit)) << statement.toStdString();
        EXPECT_TRUE(bytes() == before) << statement.toStdString();
    }
}

TEST_F(FullDiskTableTest, appendCutInsideItsRecord_leavesNoPieceBehind)
{
    const QByteArray before = bytes();
    for (qint64 room : {0, 1, 200}) {
        EXPECT_TRUE(
            failsWithLimit(QStringLiteral("INSERT INTO %1 (ID, A, B) VALUES (5, \"a\", \"b\")"),
                           before.size() + room));
        EXPECT_TRUE(bytes() == before) << room;
    }
}

} // namespace
