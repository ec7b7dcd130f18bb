// Files written anew beside their target: the target changes only by a complete new file, no
// temporary outlives its object, and leftovers are removed only when they are surely this
// workstation's own.
#include "platform/ReplacementFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dosarium;

namespace {

class ReplacementFileTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QByteArray bytes(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void put(const QString &name, const QByteArray &content) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QStringList files() const
    {
        QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        return names;
    }
    QTemporaryDir dir;
};

TEST_F(ReplacementFileTest, commit_replacesTheTargetWhole_keepingItsPermissions)
{
    put(QStringLiteral("Dsm.in"), "vechi");
    ASSERT_EQ(chmod(QFile::encodeName(path(QStringLiteral("Dsm.in"))).constData(), 0640), 0);
    {
        ReplacementFile out(path(QStringLiteral("Dsm.in")));
        out.write(QByteArrayLiteral("nou, "));
        out.write("mai lung", 8);
        EXPECT_EQ(bytes(QStringLiteral("Dsm.in")), QByteArray("vechi")); // not before commit()
        out.commit();
    }
    EXPECT_EQ(bytes(QStringLiteral("Dsm.in")), QByteArray("nou, mai lung"));
    struct stat st;
    ASSERT_EQ(stat(QFile::encodeName(path(QStringLiteral("Dsm.in"))).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(files(), QStringList{QStringLiteral("Dsm.in")});
}

TEST_F(ReplacementFileTest, failingWrite_leavesTheTargetsBytesAndNoTemporary)
{
    const QByteArray old(300, 'v');
    put(QStringLiteral("Acte.dbf"), old);
    // The disk takes no file longer than 1000 bytes, as a full disk would (root too).
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        ReplacementFile out(path(QStringLiteral("Acte.dbf")));
        out.write(QByteArray(4000, 'n'));
        out.commit();
    } catch (const ReplacementError &e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(message.contains(path(QStringLiteral("Acte.dbf")))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("neschimbat"))) << qPrintable(message);
    EXPECT_EQ(bytes(QStringLiteral("Acte.dbf")), old);
    EXPECT_EQ(files(), QStringList{QStringLiteral("Acte.dbf")});
}

TEST_F(ReplacementFileTest, twoObjectsOnOneTarget_writeApart_andADroppedOneLeavesNothing)
{
    put(QStringLiteral("ini.mpg"), "vechi");
    auto first = std::make_unique<ReplacementFile>(path(QStringLiteral("ini.mpg")));
    ReplacementFile second(path(QStringLiteral("ini.mpg")));
    EXPECT_NE(first->temporaryPath(), second.temporaryPath());
    EXPECT_TRUE(first->temporaryPath().startsWith(
        ReplacementFile::temporaryPrefix(path(QStringLiteral("ini.mpg")))));
    EXPECT_TRUE(ReplacementFile::isTemporaryName(QFileInfo(second.temporaryPath()).fileName()));
    first->write(QByteArrayLiteral("primul"));
    second.write(QByteArrayLiteral("al doilea"));
    EXPECT_EQ(files().size(), 3);

    first.reset(); // dropped without commit()
    EXPECT_EQ(bytes(QStringLiteral("ini.mpg")), QByteArray("vechi"));
    EXPECT_EQ(files().size(), 2);
    second.commit();
    EXPECT_EQ(bytes(QStringLiteral("ini.mpg")), QByteArray("al doilea"));
    EXPECT_EQ(files(), QStringList{QStringLiteral("ini.mpg")});

    // An object dropped right after it was made, or after discard(), leaves no file either.
    {
        ReplacementFile dropped(path(QStringLiteral("nou.dbf")));
        ReplacementFile discarded(path(QStringLiteral("nou.dbf")));
        discarded.write(QByteArrayLiteral("x"));
        discarded.discard();
        EXPECT_TRUE(discarded.temporaryPath().isEmpty());
    }
    EXPECT_EQ(files(), QStringList{QStringLiteral("ini.mpg")});
}

TEST_F(ReplacementFileTest, commitIfAbsent_takesTheNameOnlyOnce)
{
    ReplacementFile a(path(QStringLiteral("Log.dbf")));
    ReplacementFile b(path(QStringLiteral("Log.dbf")));
    a.write(QByteArrayLiteral("a"));
    b.write(QByteArrayLiteral("b"));
    EXPECT_TRUE(b.commitIfAbsent());
    EXPECT_FALSE(a.commitIfAbsent());
    EXPECT_EQ(bytes(QStringLiteral("Log.dbf")), QByteArray("b"));
    EXPECT_EQ(files(), QStringList{QStringLiteral("Log.dbf")});
}

TEST_F(ReplacementFileTest, folderThatRefusesTheTemporary_failsNamingTheTarget)
{
    const QString target = path(QStringLiteral("server/Data/Dsm.in"));
    try {
        ReplacementFile out(target);
        ADD_FAILURE() << "the temporary was created";
    } catch (const ReplacementError &e) {
        EXPECT_TRUE(e.message().contains(target)) << qPrintable(e.message());
        EXPECT_FALSE(e.reason().isEmpty());
    }
}

// A temporary named as this workstation's process `pid` names them, for `target`.
QString temporaryOf(const QString &sample, const QString &target, qint64 pid)
{
    // The sample's name is "<its target>.~dsm-<workstation>-<pid>-<random>".
    const QString name = QFileInfo(sample).fileName();
    const QString tail = name.mid(name.indexOf(QStringLiteral(".~dsm-")) + 6);
    const QString workstation = tail.section(QLatin1Char('-'), 0, 0);
    return ReplacementFile::temporaryPrefix(target) +
           QStringLiteral("%1-%2-00000000deadbeef").arg(workstation).arg(pid);
}

void makeOld(const QString &file)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("ramas");
    f.close();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                              QFileDevice::FileModificationTime));
}

TEST(ReplacementFileLeftovers, onlyThisWorkstationsTemporariesOfEndedProcessesAreRemoved)
{
    // The workstation's part of the names, from a file made in another folder.
    QTemporaryDir elsewhere;
    const QString sample =
        ReplacementFile(QDir(elsewhere.path()).filePath(QStringLiteral("x"))).temporaryPath();

    const pid_t ended = fork();
    ASSERT_GE(ended, 0);
    if (ended == 0)
        _exit(0);
    waitpid(ended, nullptr, 0);

    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("Acte.dbf"));
    const QString crashed = temporaryOf(sample, target, ended);
    const QString running = temporaryOf(sample, target, getppid());
    const QString otherStation = ReplacementFile::temporaryPrefix(target) +
                                 QStringLiteral("ALTASTATIE-%1-00000000deadbeef").arg(ended);
    const QString fresh = temporaryOf(sample, dir.filePath(QStringLiteral("Log.dbf")), ended);
    for (const QString &file : {crashed, running, otherStation})
        makeOld(file);
    {
        QFile f(fresh); // written a moment ago: perhaps a computer of the same name at work
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    ReplacementFile(target).commit();
    EXPECT_FALSE(QFile::exists(crashed));
    EXPECT_TRUE(QFile::exists(running));
    EXPECT_TRUE(QFile::exists(otherStation));
    EXPECT_TRUE(QFile::exists(fresh));
}

} // namespace
