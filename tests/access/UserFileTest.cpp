// The user file: its exact bytes, the lookups of sign-in and of the archive key, damaged files
// and the rewrite that never loses the old file.
#include "access/UserFile.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace dosarium;

namespace {

// One record built by hand, the way another workstation writes it.
QByteArray record(const QByteArray &name, const QByteArray &password, quint8 rank)
{
    QByteArray r(UserEntry::RecordSize, '\0');
    r[0] = char(name.size());
    r.replace(1, name.size(), name);
    r[33] = char(password.size());
    r.replace(34, password.size(), password);
    r[66] = char(rank);
    return r;
}

UserEntry entry(const char *name, const char *password, quint8 rank = 0)
{
    return UserEntry{QByteArray(name), QByteArray(password), rank};
}

class UserFileTest : public ::testing::Test {
protected:
    QString path() const { return joinPath(dir.path(), QStringLiteral("ini.mpg")); }
    void writeRaw(const QByteArray &bytes, const QString &name = QStringLiteral("ini.mpg"))
    {
        QFile f(joinPath(dir.path(), name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray readRaw() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    UserEntry find(const char *name, const char *password)
    {
        return FindUser(dir.path(), entry(name, password));
    }

    QTemporaryDir dir;
};

TEST_F(UserFileTest, newFolder_firstLookupCreatesTheDefaultRecordAndAdminSignsIn)
{
    const UserEntry admin = find("ADMIN", "");
    EXPECT_EQ(admin, entry("ADMIN", "", RankAdministrator));

    QByteArray expected(67, '\0');
    expected.replace(0, 6,
                     QByteArray("\x05"
                                "ADMIN"));
    EXPECT_EQ(readRaw(), expected);

    // The archive key's reader creates a missing file the same way.
    QTemporaryDir other;
    EXPECT_EQ(ReadArchiveKey(other.path()), QByteArray());
    QFile created(joinPath(other.path(), QStringLiteral("ini.mpg")));
    ASSERT_TRUE(created.open(QIODevice::ReadOnly));
    EXPECT_EQ(created.readAll(), expected);
}

TEST_F(UserFileTest, findUser_wantsNameAndPasswordExactlyAndTakesTheFirstMatch)
{
    writeRaw(record("POPESCU", "UNU", 1) + record("POPESCU", "DOI", 2) + record("ADMIN", "K", 0));

    EXPECT_TRUE(find("POPESCU", "DOI").isEmpty()); // only a name's first entry signs in
    EXPECT_EQ(find("POPESCU", "UNU").Rank, 1);
    EXPECT_TRUE(find("POPESCU", "TREI").isEmpty());
    EXPECT_TRUE(find("POPESCU ", "UNU").isEmpty()); // a trailing blank is part of the name
    EXPECT_TRUE(find("popescu", "UNU").isEmpty());
    EXPECT_TRUE(find("ADMIN", "").isEmpty());
    EXPECT_TRUE(find("", "").isEmpty());
    EXPECT_EQ(readRaw().size(), 3 * 67); // an existing file is only read
}

TEST_F(UserFileTest, archiveKey_isThePasswordOfTheFirstUpperCaseAdminReadAtEveryCall)
{
    writeRaw(record("admin", "MIC", 0) + record("ADMIN", "CHEIE1", 0) +
             record("ADMIN", "CHEIE2", 0));
    EXPECT_EQ(ReadArchiveKey(dir.path()), QByteArray("CHEIE1"));

    writeRaw(record("ADMIN", "NOUA", 0));
    EXPECT_EQ(ReadArchiveKey(dir.path()), QByteArray("NOUA"));

    writeRaw(record("admin", "MIC", 0) + record("ION", "X", 1));
    EXPECT_EQ(ReadArchiveKey(dir.path()), QByteArray());
}

TEST_F(UserFileTest, fileName_isFoundInAnyLetterCase)
{
    writeRaw(record("ION", "P", 1), QStringLiteral("INI.MPG"));
    EXPECT_EQ(find("ION", "P").Rank, 1);
    EXPECT_FALSE(QFile::exists(path())); // no second file beside it
}

TEST_F(UserFileTest, damagedFiles_areReadWithinTheirBounds)
{
    // A length byte of 200 counts as 32.
    QByteArray wide = record("", "", 1);
    wide[0] = char(200);
    wide.replace(1, 32, QByteArray(32, 'N'));
    wide[33] = char(255);
    wide.replace(34, 32, QByteArray(32, 'P'));
    writeRaw(wide);
    QList<UserEntry> read = ReadUserFile(dir.path());
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0].Name, QByteArray(32, 'N'));
    EXPECT_EQ(read[0].Password, QByteArray(32, 'P'));
    EXPECT_EQ(read[0].Rank, 1);

    // A file shorter than one record holds no user and is not replaced by the default.
    writeRaw(QByteArray("\x05"
                        "ADMIN"
                        "\0\0\0\0",
                        10));
    EXPECT_TRUE(ReadUserFile(dir.path()).isEmpty());
    EXPECT_TRUE(find("ADMIN", "").isEmpty());
    EXPECT_EQ(ReadArchiveKey(dir.path()), QByteArray());
    EXPECT_EQ(readRaw().size(), 10);

    // A trailing fragment after whole records is never read.
    writeRaw(record("UNU", "", 1) + record("DOI", "", 2) +
             QByteArray("\x05"
                        "ADMIN"));
    read = ReadUserFile(dir.path());
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[1], entry("DOI", "", 2));
}

TEST_F(UserFileTest, textsOf32Characters_areStoredWholeAndLongerOnesCut)
{
    const QString name32(32, QLatin1Char('N'));
    const QString password33 = QString(32, QLatin1Char('P')) + QLatin1Char('X');
    const UserEntry user = UserEntry::fromText(name32, password33, RankOperator);
    EXPECT_EQ(user.Password, QByteArray(32, 'P'));
    WriteUserFile(dir.path(), {user});
    const QByteArray bytes = readRaw();
    ASSERT_EQ(bytes.size(), 67);
    EXPECT_EQ(quint8(bytes[0]), 32);
    EXPECT_EQ(bytes.mid(1, 32), QByteArray(32, 'N'));
    EXPECT_EQ(quint8(bytes[33]), 32);
    EXPECT_EQ(bytes.mid(34, 32), QByteArray(32, 'P'));
    EXPECT_EQ(find(qPrintable(name32), QByteArray(32, 'P').constData()).Rank, RankOperator);
}

TEST_F(UserFileTest, codePage_romanianLettersAreSingleBytesAndForeignRecordsRoundTrip)
{
    // Comma-below letters are stored as their cedilla forms: Ş is 0xAA, Ţ 0xDE, Ă 0xC3.
    const UserEntry user =
        UserEntry::fromText(QStringLiteral(u"ȘTEFĂNESCU"), QStringLiteral(u"ŢARĂ"), RankViewer);
    EXPECT_EQ(user.Name, QByteArray("\xAA"
                                    "TEF\xC3"
                                    "NESCU"));
    EXPECT_EQ(user.Password, QByteArray("\xDE"
                                        "AR\xC3"));
    EXPECT_EQ(user.nameText(), QStringLiteral(u"ŞTEFĂNESCU"));
    EXPECT_THROW(UserEntry::fromText(QStringLiteral(u"ION€€\u4E00"), QString()), Error);

    // Whatever bytes another workstation stored come back byte for byte.
    const QByteArray foreign = record("\x81\x98X", "\x90\xFF", 7) + record("ADMIN", "", 0);
    writeRaw(foreign);
    WriteUserFile(dir.path(), ReadUserFile(dir.path()));
    EXPECT_EQ(readRaw(), foreign);
    EXPECT_EQ(find("\x81\x98X", "\x90\xFF").Rank, 7);
}

TEST_F(UserFileTest, readUserFile_doesNotCreateAMissingFile)
{
    try {
        ReadUserFile(dir.path());
        FAIL() << "a missing file must be an error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("ini.mpg"))) << qPrintable(e.message());
        EXPECT_TRUE(e.message().contains(QStringLiteral("nu exista")));
    }
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(UserFileTest, unreachableFolder_raisesAnErrorNamingTheFile)
{
    const QString missing = joinPath(dir.path(), QStringLiteral("server/Data"));
    try {
        FindUser(missing, entry("ADMIN", ""));
        FAIL() << "an unreachable folder must be an error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Fisierul utilizatorilor")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("server"))) << qPrintable(e.message());
    }
}

class SaveUserFileTest : public UserFileTest {
protected:
    void SetUp() override
    {
        table = quoteText(joinPath(dir.path(), QStringLiteral("u.dbf")));
        Engine::execute(QStringLiteral("CREATE TABLE ") + table +
                        QStringLiteral(" (NUME CHAR(40), PAROLA CHAR(40), RANG DECIMAL(3,0))"));
        users.appendSql(QStringLiteral("SELECT * FROM ") + table);
        users.appendSql(QStringLiteral("ORDER BY NUME"));
    }
    void add(const QString &name, const QString &password, int rank)
    {
        Engine::execute(QStringLiteral("INSERT INTO %1 (NUME, PAROLA, RANG) VALUES (%2, %3, %4)")
                            .arg(table, quoteText(name), quoteText(password))
                            .arg(rank));
    }

    QString table;
    Query users;
};

TEST_F(SaveUserFileTest, rewritesTheFileInQueryOrderAndReturnsToTheCurrentRow)
{
    writeRaw(record("VECHI", "", 1) + record("ALT", "", 1) + record("ADMIN", "", 0));
    add(QStringLiteral("ION"), QStringLiteral("P1"), 1);
    add(QStringLiteral("ADMIN"), QStringLiteral("CHEIE"), 0);
    add(QString(34, QLatin1Char('L')), QString(33, QLatin1Char('Q')), 258); // rank's low byte: 2
    users.open();
    ASSERT_TRUE(users.locate(QStringLiteral("NUME"), QStringLiteral("ION")));
    int frozenScrolls = 0; // the walk does not move bound controls along
    QObject::connect(&users, &Query::afterScroll,
                     [&] { frozenScrolls += users.controlsDisabled(); });

    SaveUserFile(dir.path(), users);

    EXPECT_EQ(readRaw(), record("ADMIN", "CHEIE", 0) + record("ION", "P1", 1) +
                             record(QByteArray(32, 'L'), QByteArray(32, 'Q'), 2));
    EXPECT_EQ(users.asString(QStringLiteral("NUME")), QStringLiteral("ION"));
    EXPECT_FALSE(users.controlsDisabled());
    EXPECT_GE(frozenScrolls, 3);
}

TEST_F(SaveUserFileTest, damagedFile_isKeptInADatedCopyBeforeTheSave)
{
    // A piece of a third record after two whole ones: the save would drop it for good.
    const QByteArray damaged = record("ADMIN", "K", 0) + record("ION", "P", 1) +
                               "\x03"
                               "ANA";
    writeRaw(damaged);
    add(QStringLiteral("ADMIN"), QStringLiteral("K"), 0);
    users.open();
    const QString notice = SaveUserFile(dir.path(), users);
    const QStringList copies =
        QDir(dir.path()).entryList({QStringLiteral("ini.deteriorat-*.mpg")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    QFile copy(joinPath(dir.path(), copies.first()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);
    EXPECT_TRUE(notice.contains(QStringLiteral("iar dupa ultima inregistrare intreaga de 67 "
                                               "raman 4")))
        << notice.toStdString();
    EXPECT_TRUE(notice.contains(copies.first()));
    EXPECT_EQ(readRaw(), record("ADMIN", "K", 0));
    // A sound file is saved without a copy.
    EXPECT_EQ(SaveUserFile(dir.path(), users), QString());
}

TEST_F(SaveUserFileTest, emptyUsersList_leavesTheFileAsItWas)
{
    const QByteArray old = record("ADMIN", "K", 0);
    writeRaw(old);
    users.open();
    EXPECT_THROW(SaveUserFile(dir.path(), users), Error);
    EXPECT_EQ(readRaw(), old);
}

TEST_F(SaveUserFileTest, writeFailure_leavesTheOldFileWhole)
{
    const QByteArray old = record("ADMIN", "K", 0) + record("ION", "P", 1);
    writeRaw(old);
    for (int i = 0; i < 40; ++i)
        add(QStringLiteral("U%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("P"), 1);
    users.open();
    users.last();

    // The disk takes no file longer than 500 bytes (this works for every user, root too).
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 500;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool failed = false;
    try {
        SaveUserFile(dir.path(), users);
    } catch (const Error &e) {
        failed = e.message().contains(QStringLiteral("ini.mpg"));
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(failed);
    EXPECT_EQ(readRaw(), old);
    EXPECT_FALSE(users.controlsDisabled());
    EXPECT_EQ(users.asString(QStringLiteral("NUME")), QStringLiteral("U39"));
    // No scratch file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("ini.mpg*")}, QDir::Files),
              QStringList{QStringLiteral("ini.mpg")});
}

} // namespace
