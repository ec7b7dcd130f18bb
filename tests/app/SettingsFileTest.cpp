// The settings file: reading and writing keys the way the other workstations' profile functions
// expect, keeping every other byte, and never leaving a damaged file.
#include "app/SettingsFile.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
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
