// The two tables of a data folder: creation, the upgrade of older documents tables, the pack and
// the pruning of the log.
#include "app/DataTables.h"
#include "TestText.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FileLock.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dosarium;

namespace {

class DataTablesTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return joinPath(dir.path(), QLatin1String(name)); }
    QByteArray bytes(const char *name) const
    {
        QFile f(resolveFileName(path(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    Query *select(const char *table)
    {
        sx.clearSql();
        sx.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(path(table)));
        sx.open();
        return &sx;
    }
    void logRows(int first, int last)
    {
        for (int id = first; id <= last; ++id)
            Engine::execute(QStringLiteral("INSERT INTO %1 (IDLOG, ACTIUNE) VALUES (%2, \"x\")")
                                .arg(quoteText(path("Log.dbf")))
                                .arg(id));
    }
    void create()
    {
        CreateTables(sx, dir.path(), yield);
        ActsTable::upgrade(sx, tx, dir.path(), yield);
    }
    QTemporaryDir dir;
    Query sx;
    Table tx;
    int yields = 0;
    Yield yield = [this] { ++yields; };
};

TEST_F(DataTablesTest, emptyFolder_getsBothTables_andActeEndsWithLuna)
{
    create();
    EXPECT_TRUE(QFile::exists(path("LOG.DBF")));
    EXPECT_TRUE(QFile::exists(path("Acte.DBF")));
    EXPECT_GT(yields, 0);
    Query *acte = select("Acte.dbf");
    ASSERT_EQ(acte->fieldCount(), 12);
    const QStringList names = strs({"IDACT", "ANUL", "DATAACT", "DOMENIUL", "SUBDOM", "TITLU",
                                    "SERIA", "NR", "COD", "EXTENSIE", "OBS", "LUNA"});
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(acte->fieldName(i), names.at(i));
    EXPECT_TRUE(acte->isEmpty());
    acte->close();
    const Query *log = select("Log.dbf");
    EXPECT_EQ(log->fieldName(0), QStringLiteral("IDLOG"));
    EXPECT_EQ(log->fieldName(4), QStringLiteral("UTILIZATOR"));
}

TEST_F(DataTablesTest, currentTables_areOnlyReadAtTheNextStart)
{
    create();
    logRows(1, 3);
    const QByteArray acte = bytes("Acte.dbf");
    const QByteArray log = bytes("Log.dbf");
    const QByteArray prints = bytes("Amprente.dbf");
    create();
    EXPECT_EQ(bytes("Acte.dbf"), acte);
    EXPECT_EQ(bytes("Log.dbf"), log);
    EXPECT_EQ(bytes("Amprente.dbf"), prints);
    // The three tables and the acts' change trail; no copy, nothing else.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Acte.sch"))));
}

TEST_F(DataTablesTest, oldestLayout_getsCodThenLuna_andEveryMonthFilled)
{
    Engine::execute(QStringLiteral("CREATE TABLE %1 (IDACT DECIMAL(10,0), ANUL DECIMAL(6,0), "
                                   "DATAACT DATE, DOMENIUL CHAR(60), EXTENSIE CHAR(6))")
                        .arg(quoteText(path("acte.dbf"))));
    const QStringList dates = strs({"\"15.03.2021\"", "\"31.10.2019\"", "\"01.01.2000\""});
    for (int i = 0; i < dates.size(); ++i)
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, DATAACT) VALUES (%2, %3)")
                            .arg(quoteText(path("Acte.dbf")))
                            .arg(i + 1)
                            .arg(dates.at(i)));
    Engine::execute(
        QStringLiteral("INSERT INTO %1 (IDACT) VALUES (4)").arg(quoteText(path("Acte.dbf"))));
    create();
    EXPECT_FALSE(QFile::exists(path("Acte.DBF"))); // the existing file was found in its own case
    Query *acte = select("Acte.dbf");
    ASSERT_EQ(acte->fieldCount(), 7);
    EXPECT_EQ(acte->fieldName(5), QStringLiteral("COD"));
    EXPECT_EQ(acte->fieldName(6), QStringLiteral("LUNA"));
    QStringList months;
    for (acte->first(); !acte->eof(); acte->next())
        months << acte->asString(QStringLiteral("LUNA"));
    EXPECT_EQ(months, strs({"3", "10", "1", "12"})); // the empty date counts as December
    EXPECT_TRUE(tx.tableName().isEmpty());
    EXPECT_FALSE(tx.isOpen());
}

TEST_F(DataTablesTest, trimLog_keepsTenThousandAndOneEntriesByTheirIds)
{
    create();
    logRows(1, 9999);
    LogTable::trim(sx, dir.path(), yield);
    EXPECT_EQ(select("Log.dbf")->recordCount(), 9999);
    sx.close();

    logRows(10000, 10500);
    LogTable::trim(sx, dir.path(), yield);
    Query *log = select("Log.dbf");
    EXPECT_EQ(log->recordCount(), 10001);
    log->first();
    EXPECT_EQ(log->asString(QStringLiteral("IDLOG")), QStringLiteral("500"));
    log->close();

    // A restarted counter: the newest entry has a small id, so nothing goes.
    logRows(1, 1);
    LogTable::trim(sx, dir.path(), yield);
    EXPECT_EQ(select("Log.dbf")->recordCount(), 10002);
}

TEST_F(DataTablesTest, packTable_removesDeletedRows_andRefusesATableInUse)
{
    create();
    const QString acte = path("Acte.dbf");
    for (int id = 1; id <= 5; ++id)
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, DOMENIUL) VALUES (%2, \"D%2\")")
                            .arg(quoteText(acte))
                            .arg(id));
    Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT=2").arg(quoteText(acte)));
    const qint64 before = QFileInfo(resolveFileName(acte)).size();

    Query elsewhere;
    elsewhere.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(acte));
    elsewhere.open();
    Table sursa;
    EXPECT_THROW(PackTable(sursa, acte, yield), TableInUseError);
    EXPECT_FALSE(sursa.isOpen());
    EXPECT_EQ(QFileInfo(resolveFileName(acte)).size(), before);
    elsewhere.close();

    PackTable(sursa, acte, yield);
    EXPECT_FALSE(sursa.isOpen());
    EXPECT_LT(QFileInfo(resolveFileName(acte)).size(), before);
    EXPECT_EQ(select("Acte.dbf")->recordCount(), 4);
}

TEST_F(DataTablesTest, tableWithoutDeletedRows_isLeftAsTheSameFileAtEveryStart)
{
    create();
    const QString acte = path("Acte.dbf");
    for (int id = 1; id <= 3; ++id)
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, DOMENIUL) VALUES (%2, \"D%2\")")
                            .arg(quoteText(acte))
                            .arg(id));
    const QByteArray before = bytes("Acte.dbf");
    // A handle as another workstation keeps it: it must stay on the file the name leads to.
    const QByteArray name = QFile::encodeName(resolveFileName(acte));
    const int held = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    const auto sameFile = [&] {
        struct stat byName {
        }, byHandle{};
        return stat(name.constData(), &byName) == 0 && fstat(held, &byHandle) == 0 &&
               byName.st_ino == byHandle.st_ino && byName.st_dev == byHandle.st_dev;
    };

    Table sursa;
    for (int start = 0; start < 2; ++start) {
        create();
        PackTable(sursa, acte, yield);
        EXPECT_TRUE(sameFile()) << "start " << start;
        EXPECT_EQ(bytes("Acte.dbf"), before) << "start " << start;
    }
    // The three tables and the acts' change trail; no copy, nothing else.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Acte.sch"))));

    // Once a row is deleted, the next pack does write the table anew.
    Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT=3").arg(quoteText(acte)));
    PackTable(sursa, acte, yield);
    EXPECT_FALSE(sameFile());
    EXPECT_EQ(select("Acte.dbf")->recordCount(), 2);
    ::close(held);
}

TEST_F(DataTablesTest, upgradeCheck_readsOnlyTheHeader_evenWhileAWriterHoldsTheRecords)
{
    create();
    // Another workstation in the middle of a change holds the header lock exclusive; reading
    // the rows would have to wait for it.
    const int fd = ::open(QFile::encodeName(resolveFileName(path("Acte.dbf"))).constData(),
                          O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(lockRange(fd, TableLocks::kHeader, 1, LockMode::Exclusive,
                          std::chrono::milliseconds(0), path("Acte.dbf")));
    EXPECT_NO_THROW(ActsTable::upgrade(sx, tx, dir.path(), yield));
    ::close(fd);
}

} // namespace
