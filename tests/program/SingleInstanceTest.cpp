// Two real processes of the program's single-copy rule.
#include <QLocalServer>
#include <QProcess>
#include <QUuid>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    QProcess *start(QProcess &process)
    {
        process.setProgram(QStringLiteral(SINGLE_INSTANCE_PROBE));
        process.setArguments({key});
        process.start();
        return &process;
    }
    static QString line(QProcess &process)
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(10000))
                return QString();
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    QString key = QStringLiteral("DosariumTest-") + QUuid::createUuid().toString(QUuid::Id128);
};

TEST_F(SingleInstanceTest, secondStart_bringsTheFirstForwardAndEnds)
{
    QProcess first;
    start(first);
    ASSERT_EQ(line(first), QStringLiteral("first copy"));

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(line(second), QStringLiteral("later copy"));

    EXPECT_EQ(line(first), QStringLiteral("brought forward, minimised 0"));
    ASSERT_TRUE(first.waitForFinished(10000));
}

TEST_F(SingleInstanceTest, nameLeftByACrashedCopy_isTakenOver)
{
    QProcess crashed;
    start(crashed);
    ASSERT_EQ(line(crashed), QStringLiteral("first copy"));
    crashed.kill();
    crashed.waitForFinished(10000);

    QProcess next;
    start(next);
    EXPECT_EQ(line(next), QStringLiteral("first copy"));
    next.kill();
    next.waitForFinished(10000);
    QLocalServer::removeServer(key + QStringLiteral("-%1").arg(getuid()));
}

} // namespace
