// The settings file: reading and writing keys the way the other workstations' profile functions
// expect, keeping every other byte, and never leaving a damaged file.
#include "app/SettingsFile.h"
#include "app/ActivityLog.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dosarium;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    QByteArray bytes(const QString &name = QStringLiteral("Dsm.in")) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void put(const QByteArray &content, const QString &name = QStringLiteral("Dsm.in"))
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QTemporaryDir dir;
    SettingsFile settings{dir.path()};
};

TEST_F(SettingsFileTest, missingFile_readsEmpty_andTheFirstWriteCreatesSectionAndKey)
{
    EXPECT_EQ(settings.read(QStringLiteral("INDEX"), QStringLiteral("IDLOG")), QString());
    settings.write(QStringLiteral("INDEX"), QStringLiteral("IDLOG"), QStringLiteral("2"));
    EXPECT_EQ(bytes(), QByteArray("[INDEX]\r\nIDLOG=2\r\n"));
    settings.write(QStringLiteral("INDEX"), QStringLiteral("IDACT"), QStringLiteral("7"));
    settings.write(QStringLiteral("CONST"), QStringLiteral("SERVER"), QString());
    settings.write(QStringLiteral("index"), QStringLiteral("idlog"), QStringLiteral("3"));
    EXPECT_EQ(bytes(), QByteArray("[INDEX]\r\nIDLOG=3\r\nIDACT=7\r\n[CONST]\r\nSERVER=\r\n"));
    EXPECT_EQ(settings.read(QStringLiteral("Index"), QStringLiteral("IdAct")), QStringLiteral("7"));
}

TEST_F(SettingsFileTest, fileInTheWindowsProfileStyle_isReadAndChangedInPlace)
{
    const QByteArray original = "; setari scrise de alta statie\r\n"
                                "[Const]\r\n"
                                "  Server = \"\\\\srv\\arhiva\" \r\n"
                                "\r\n"
                                "[index]\r\n"
                                "IdLog=41\r\n"
                                "Altceva=\x8a\xfe\r\n"
                                "\r\n";
    put(original, QStringLiteral("DSM.IN"));
    EXPECT_EQ(settings.read(QStringLiteral("CONST"), QStringLiteral("SERVER")),
              QStringLiteral("\\\\srv\\arhiva"));
    EXPECT_EQ(settings.read(QStringLiteral("INDEX"), QStringLiteral("IDLOG")),
              QStringLiteral("41"));
    EXPECT_EQ(settings.read(QStringLiteral("INDEX"), QStringLiteral("ALTCEVA")),
              QStringLiteral(u"Šţ"));

    settings.write(QStringLiteral("INDEX"), QStringLiteral("IDLOG"), QStringLiteral("42"));
    settings.write(QStringLiteral("INDEX"), QStringLiteral("IDACT"), QStringLiteral(u"Ș1"));
    QByteArray expected = original;
    expected.replace("IdLog=41", "IdLog=42");
    expected.replace("Altceva=\x8a\xfe\r\n", "Altceva=\x8a\xfe\r\nIDACT=\xaa"
                                             "1\r\n");
    EXPECT_EQ(bytes(QStringLiteral("DSM.IN")), expected); // one file, whatever its letter case
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Dsm.in"))));
}

TEST_F(SettingsFileTest, unixLineEnds_stayAsTheyAre_andLongValuesAreReadCut)
{
    put("[CONST]\nSERVER=" + QByteArray(3000, 'a') + "\n");
    EXPECT_EQ(settings.read(QStringLiteral("CONST"), QStringLiteral("SERVER")).size(), 2047);
    settings.write(QStringLiteral("CONST"), QStringLiteral("SERVER"), QStringLiteral("/mnt/x"));
    EXPECT_EQ(bytes(), QByteArray("[CONST]\nSERVER=/mnt/x\n"));

    // Mixed line ends and a last line without one: only the changed line and the added ones
    // differ.
    put("[CONST]\nSERVER=/a\r\n; nota\n[INDEX]\r\nIDLOG=4");
    settings.write(QStringLiteral("CONST"), QStringLiteral("SERVER"), QStringLiteral("/b"));
    settings.write(QStringLiteral("INDEX"), QStringLiteral("IDACT"), QStringLiteral("9"));
    EXPECT_EQ(bytes(),
              QByteArray("[CONST]\nSERVER=/b\r\n; nota\n[INDEX]\r\nIDLOG=4\r\nIDACT=9\r\n"));
}

TEST_F(SettingsFileTest, valueTheCodePageCannotHold_isRefusedAndTheFileStaysWhole)
{
    put("[CONST]\r\nSERVER=/a\r\n");
    EXPECT_THROW(settings.write(QStringLiteral("CONST"), QStringLiteral("SERVER"),
                                QStringLiteral(u"/mnt/\u4e2d")),
                 Error);
    EXPECT_THROW(settings.write(QStringLiteral("CONST"), QStringLiteral("SERVER"),
                                QStringLiteral("a\r\n[INDEX]")),
                 Error);
    EXPECT_EQ(bytes(), QByteArray("[CONST]\r\nSERVER=/a\r\n"));
}

TEST_F(SettingsFileTest, writeThatCannotReachTheFile_saysUnableToWriteWithThePath)
{
    // A data folder that has gone (a server folder no longer reachable).
    const QString gone = dir.filePath(QStringLiteral("server/Data"));
    try {
        SettingsFile(gone).write(QStringLiteral("INDEX"), QStringLiteral("IDLOG"),
                                 QStringLiteral("6"));
        ADD_FAILURE() << "the write succeeded";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to write to ") +
                                   QDir::toNativeSeparators(gone + QStringLiteral("/Dsm.in")));
    }
    // A name taken by a folder: the file cannot be replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Dsm.in")));
    EXPECT_THROW(
        settings.write(QStringLiteral("INDEX"), QStringLiteral("IDLOG"), QStringLiteral("6")),
        Error);
}

TEST_F(SettingsFileTest, diskThatTakesNoMore_failsTheWriteAndKeepsTheOldFile)
{
    put("[INDEX]\r\nIDLOG=5\r\n");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Files of this process may not grow past 64 bytes, as on a full disk.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            settings.write(QStringLiteral("CONST"), QStringLiteral("SERVER"),
                           QString(200, QLatin1Char('x')));
        } catch (const Error &) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write was not refused";
    EXPECT_EQ(bytes(), QByteArray("[INDEX]\r\nIDLOG=5\r\n"));
}

// The settings of a folder in use: the counters of the acts and of the log, and the server key.
const QByteArray kInUse = "[INDEX]\r\nIDACT=500\r\nIDLOG=700\r\n[CONST]\r\nSERVER=\r\n";

TEST_F(SettingsFileTest, fileTheUserMayNotRead_stopsTheNextIdAndStaysAsItWas)
{
    put(kInUse);
    const QString file = dir.filePath(QStringLiteral("Dsm.in"));
    // Writable, but not readable: only the reading can tell that the file holds counters.
    ASSERT_EQ(chmod(QFile::encodeName(file).constData(), 0222), 0);
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Root reads any file: the child works as an ordinary user ("nobody").
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        if (QFile(file).open(QIODevice::ReadOnly))
            _exit(2);
        int status = 1;
        try {
            NextId(dir.path(), QStringLiteral("IDLOG"));
        } catch (const Error &e) {
            status = e.message().contains(QDir::toNativeSeparators(file)) ? 0 : 3;
        }
        // Reading alone, as at start-up, goes on with an empty value.
        if (SettingsFile(dir.path()).read(QStringLiteral("INDEX"), QStringLiteral("IDLOG")) !=
            QString())
            status = 4;
        _exit(status);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "no ordinary user to run as";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the id was taken, 3: the message lacks the file";
    chmod(QFile::encodeName(file).constData(), 0644);
    EXPECT_EQ(bytes(), kInUse);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList({QStringLiteral("Dsm.in"), QStringLiteral("Dsm.lck")}));
}

// Reads that fail part-way, as a network folder's may: some bytes, then an input/output error
// or an early end.
ssize_t failingRead(int fd, void *into, size_t size)
{
    static int calls = 0;
    if (++calls % 2 == 0) {
        errno = EIO;
        return -1;
    }
    return read(fd, into, std::min<size_t>(size, 10));
}

ssize_t shortRead(int fd, void *into, size_t size)
{
    static int calls = 0;
    return ++calls % 2 == 0 ? 0 : read(fd, into, std::min<size_t>(size, 10));
}

TEST_F(SettingsFileTest, readThatFailsPartWay_stopsTheChangeAndLeavesTheBytes)
{
    put(kInUse);
    for (SettingsFile::ReadFunction broken : {&failingRead, &shortRead}) {
        SettingsFile::setReadFunction(broken);
        QString message;
        try {
            settings.write(QStringLiteral("INDEX"), QStringLiteral("IDLOG"), QStringLiteral("2"));
        } catch (const Error &e) {
            message = e.message();
        }
        const QString atStart = settings.read(QStringLiteral("INDEX"), QStringLiteral("IDACT"));
        SettingsFile::setReadFunction(nullptr);
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(settings.path())))
            << qPrintable(message);
        EXPECT_EQ(atStart, QString());
        EXPECT_EQ(bytes(), kInUse);
    }
    EXPECT_EQ(NextId(dir.path(), QStringLiteral("IDLOG")), QStringLiteral("700"));
}

TEST_F(SettingsFileTest, pipeOrFolderInTheFilesPlace_isReportedNotWaitedOnNorReplaced)
{
    const QString file = dir.filePath(QStringLiteral("Dsm.in"));
    ASSERT_EQ(mkfifo(QFile::encodeName(file).constData(), 0666), 0);
    EXPECT_EQ(settings.read(QStringLiteral("CONST"), QStringLiteral("SERVER")), QString());
    EXPECT_THROW(NextId(dir.path(), QStringLiteral("IDACT")), Error);
    struct stat st;
    ASSERT_EQ(lstat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Dsm.in")));
    try {
        settings.write(QStringLiteral("INDEX"), QStringLiteral("IDLOG"), QStringLiteral("6"));
        ADD_FAILURE() << "the folder was taken for an empty file";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("folder"))) << qPrintable(e.message());
    }
    EXPECT_TRUE(QFileInfo(file).isDir());
}

TEST(IniText, sectionsAndKeysAreFoundOnlyWhereTheyStand)
{
    const QByteArray text = "KEY=outside\r\n[A]\r\n;KEY=comment\r\nKEY2=x\r\n[B]\r\nKEY=b\r\n";
    EXPECT_EQ(iniValue(text, QStringLiteral("A"), QStringLiteral("KEY")), QString());
    EXPECT_EQ(iniValue(text, QStringLiteral("B"), QStringLiteral("KEY")), QStringLiteral("b"));
    EXPECT_EQ(
        withIniValue(text, QStringLiteral("A"), QStringLiteral("KEY"), QStringLiteral("1")),
        QByteArray("KEY=outside\r\n[A]\r\n;KEY=comment\r\nKEY2=x\r\nKEY=1\r\n[B]\r\nKEY=b\r\n"));
}

} // namespace
