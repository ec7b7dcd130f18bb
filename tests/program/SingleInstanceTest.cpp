// Two real processes of the program's single-copy rule.
#include <QDir>
#include <QFile>
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
    ~SingleInstanceTest() override
    {
        const QString name = key + QStringLiteral("-%1").arg(getuid());
        QDir(QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".d")).removeRecursively();
        if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR"); !runtime.isEmpty())
            QLocalServer::removeServer(runtime + QLatin1Char('/') + name);
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
}

TEST_F(SingleInstanceTest, nameTakenInTheSharedTemporaryFolder_doesNotStopTheStart)
{
    // Another account answering under the name in the shared temporary folder, and (where the
    // test may act as another account) the program's own folder there made by that account.
    const QString name = key + QStringLiteral("-%1").arg(getuid());
    QLocalServer squatter;
    ASSERT_TRUE(squatter.listen(name));
    const QString folder = QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".d");
    if (getuid() == 0 && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        QLocalServer inside;
        ASSERT_TRUE(inside.listen(folder + QLatin1Char('/') + name));
        QProcess copy;
        start(copy);
        EXPECT_EQ(line(copy), QStringLiteral("first copy"));
        copy.kill();
        copy.waitForFinished(10000);
        EXPECT_FALSE(inside.hasPendingConnections());
        inside.close();
        QDir(folder).removeRecursively();
    }
    QProcess copy;
    start(copy);
    EXPECT_EQ(line(copy), QStringLiteral("first copy"));
    copy.kill();
    copy.waitForFinished(10000);
    EXPECT_FALSE(squatter.hasPendingConnections());
}

} // namespace
