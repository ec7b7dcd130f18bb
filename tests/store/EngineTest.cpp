// Statements on real table files: the program's own statement texts, the reading rules and the
// refusal of bad values.
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestText.h"

using namespace dosarium;

namespace {

class EngineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return joinPath(dir.path(), QString::fromLatin1(name)); }
    QString q(const char *name) const { return quoteText(path(name)); }

    void run(const QStringList &lines)
    {
        Query query;
        for (const QString &l : lines)
            query.appendSql(l);
        query.execSql();
    }
    void createLog()
    {
        run({QStringLiteral("CREATE TABLE ") + q("LOG.DBF"), QStringLiteral("("),
             QStringLiteral("IDLOG      DECIMAL(10,0),"), QStringLiteral("DATAL      DATE,"),
             QStringLiteral("ORA        CHAR(12),"), QStringLiteral("ACTIUNE    CHAR(120),"),
             QStringLiteral("UTILIZATOR CHAR(16))")});
    }
    void createActe()
    {
        run({QStringLiteral("CREATE TABLE ") + q("Acte.DBF"), QStringLiteral("("),
             QStringLiteral("IDACT      DECIMAL(10,0),"),
             QStringLiteral("ANUL       DECIMAL(6,0),"), QStringLiteral("DATAACT    DATE,"),
             QStringLiteral("DOMENIUL   CHAR(60),"), QStringLiteral("SUBDOM     CHAR(60),"),
             QStringLiteral("TITLU      CHAR(60),"), QStringLiteral("SERIA      CHAR(24),"),
             QStringLiteral("NR         CHAR(24),"), QStringLiteral("COD        CHAR(16),"),
             QStringLiteral("EXTENSIE   CHAR(6),"), QStringLiteral("OBS        CHAR(240) )")});
        run({QStringLiteral("ALTER TABLE ") + q("Acte.dbf"),
             QStringLiteral("ADD LUNA DECIMAL(6,0)")});
    }
    void insertAct(int id, const QString &date, const QString &domain, const QString &nr)
    {
        const QDate d = QDate::fromString(date, QStringLiteral("dd.MM.yyyy"));
        run({QStringLiteral("INSERT INTO ") + q("Acte.dbf"),
             QStringLiteral("(IDACT, ANUL, LUNA, DATAACT, DOMENIUL, SUBDOM, TITLU, SERIA, NR, COD, "
                            "EXTENSIE, OBS )"),
             QStringLiteral("VALUES ("), QString::number(id) + QLatin1Char(','),
             QString::number(d.year()) + QLatin1Char(','),
             QString::number(d.month()) + QLatin1Char(','), quoteText(date) + QLatin1Char(','),
             quoteText(domain) + QLatin1Char(','), QStringLiteral("\"Sub\","),
             QStringLiteral("\"Titlu\","), QStringLiteral("\"AB\","),
             quoteText(nr) + QLatin1Char(','), QStringLiteral("\"\","), QStringLiteral("\".pdf\","),
             QStringLiteral("\"\" )")});
    }
    QStringList column(const QString &select, const char *field)
    {
        Query query;
        query.appendSql(select);
        query.open();
        QStringList out;
        for (query.first(); !query.eof(); query.next())
            out << query.asString(QString::fromLatin1(field));
        return out;
    }
};

TEST_F(EngineTest, createdTables_haveTheColumnsInOrderAndReadBackUnderAnySpelling)
{
    createLog();
    createActe();
    Query query;
    query.appendSql(QStringLiteral("SELECT * FROM ") + q("Log.dbf"));
    query.open();
    EXPECT_TRUE(query.isEmpty());
    EXPECT_TRUE(query.hasField(QStringLiteral("UTILIZATOR")));
    query.close();
    query.clearSql();
    query.appendSql(QStringLiteral("SELECT * FROM ") + q("ACTE.DBF"));
    query.open();
    ASSERT_EQ(query.fieldCount(), 12);
    EXPECT_EQ(query.fieldName(11), QStringLiteral("LUNA"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    EXPECT_THROW(createLog(), Error); // exists already, in another letter case
}

TEST_F(EngineTest, insertedRows_readBackByTheReadingRules)
{
    createActe();
    insertAct(7, QStringLiteral("03.02.2005"), QStringLiteral("Contracte  "), QStringLiteral("12"));
    Query query;
    query.appendSql(QStringLiteral("SELECT *"));
    query.appendSql(QStringLiteral("FROM ") + q("Acte.dbf"));
    query.appendSql(QStringLiteral("ORDER BY DATAACT"));
    query.open();
    ASSERT_EQ(query.recordCount(), 1);
    EXPECT_EQ(query.asString(QStringLiteral("IDACT")), QStringLiteral("7"));
    EXPECT_EQ(query.asString(QStringLiteral("ANUL")), QStringLiteral("2005"));
    EXPECT_EQ(query.asString(QStringLiteral("DATAACT")), QStringLiteral("03.02.2005"));
    EXPECT_EQ(query.asString(QStringLiteral("DOMENIUL")), QStringLiteral("Contracte"));
    EXPECT_EQ(query.asString(QStringLiteral("COD")), QString());
    EXPECT_EQ(query.asInteger(QStringLiteral("LUNA")), 2);
    EXPECT_EQ(query.asDate(QStringLiteral("DATAACT")), QDate(2005, 2, 3));
}

TEST_F(EngineTest, romanianTexts_storeCommaBelowAsCedillaAndRefuseOtherScripts)
{
    createActe();
    insertAct(1, QStringLiteral("01.01.2020"), QStringLiteral(u"Școală țară"), QStringLiteral("1"));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM ") + q("Acte.dbf"), "DOMENIUL"),
              QStringList{QStringLiteral(u"Şcoală ţară")});
    try {
        insertAct(2, QStringLiteral("01.01.2020"), QStringLiteral(u"Ωmega"), QStringLiteral("2"));
        FAIL() << "a Greek letter was stored";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("DOMENIUL"))) << e.what();
    }
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM ") + q("Acte.dbf"), "IDACT").size(), 1);
}

TEST_F(EngineTest, badValues_areRefusedNamingTheValueAndLeaveTheTable)
{
    createActe();
    EXPECT_THROW(
        insertAct(1, QStringLiteral("31.02.2020"), QStringLiteral("D"), QStringLiteral("1")),
        Error);
    EXPECT_THROW(insertAct(1, QStringLiteral("xx"), QStringLiteral("D"), QStringLiteral("1")),
                 Error);
    try {
        run({QStringLiteral("INSERT INTO ") + q("Acte.dbf"), QStringLiteral("(ANUL)"),
             QStringLiteral("VALUES (1234567)")});
        FAIL();
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("ANUL"))) << e.what();
    }
    EXPECT_TRUE(column(QStringLiteral("SELECT * FROM ") + q("Acte.dbf"), "IDACT").isEmpty());
}

TEST_F(EngineTest, doubledQuote_isOneQuoteAndCannotReachOtherRows)
{
    createActe();
    insertAct(1, QStringLiteral("01.01.2020"), QStringLiteral("A\"B"), QStringLiteral("1"));
    insertAct(2, QStringLiteral("01.01.2020"), QStringLiteral("C"), QStringLiteral("2"));
    run({QStringLiteral("UPDATE ") + q("Acte.dbf"),
         QStringLiteral("SET OBS=") + quoteText(QStringLiteral("x\" WHERE IDACT=2")),
         QStringLiteral("WHERE IDACT=1")});
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM ") + q("Acte.dbf"), "OBS"),
              (QStringList{QStringLiteral("x\" WHERE IDACT=2"), QString()}));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM ") + q("Acte.dbf"), "DOMENIUL").first(),
              QStringLiteral("A\"B"));
}

TEST_F(EngineTest, orderBy_isStableAndRomanianForTextNumericAndChronological)
{
    createActe();
    insertAct(1, QStringLiteral("05.05.2010"), QStringLiteral("Tren"), QStringLiteral("10"));
    insertAct(2, QStringLiteral("01.01.2009"), QStringLiteral(u"Şir"), QStringLiteral("9"));
    insertAct(3, QStringLiteral("05.05.2010"), QStringLiteral("sac"), QStringLiteral("2"));
    insertAct(4, QStringLiteral("01.01.2011"), QStringLiteral(u"Ăla"), QStringLiteral("1"));
    insertAct(5, QStringLiteral("01.01.2011"), QStringLiteral("Zebra"), QStringLiteral("1"));
    const QString from = QStringLiteral("SELECT * FROM ") + q("Acte.dbf");
    EXPECT_EQ(column(from + QStringLiteral(" ORDER BY DATAACT"), "IDACT"),
              strs({"2", "1", "3", "4", "5"}));
    EXPECT_EQ(column(from + QStringLiteral(" ORDER BY DOMENIUL"), "IDACT"),
              strs({"4", "3", "2", "1", "5"}));
    EXPECT_EQ(column(from + QStringLiteral(" ORDER BY IDACT"), "IDACT"),
              strs({"1", "2", "3", "4", "5"}));
    EXPECT_EQ(column(QStringLiteral("SELECT DISTINCT ANUL\nFROM ") + q("Acte.dbf") +
                         QStringLiteral("\nORDER BY ANUL"),
                     "ANUL"),
              strs({"2009", "2010", "2011"}));
    EXPECT_EQ(column(QStringLiteral("SELECT DISTINCT NR FROM ") + q("Acte.dbf") +
                         QStringLiteral(" ORDER BY NR"),
                     "NR"),
              strs({"1", "10", "2", "9"}));
    EXPECT_EQ(column(QStringLiteral("SELECT IDACT, ANUL, DOMENIUL, SUBDOM\nFROM ") + q("Acte.dbf") +
                         QStringLiteral("\nORDER BY ANUL, DOMENIUL, SUBDOM"),
                     "IDACT"),
              strs({"2", "3", "1", "4", "5"}));
}

TEST_F(EngineTest, deleteByIdAndBelowNumber_marksRowsThatPackRemoves)
{
    createLog();
    for (int i = 1; i <= 5; ++i)
        run({QStringLiteral("INSERT INTO ") + q("Log.dbf"),
             QStringLiteral("(IDLOG, DATAL, ORA, ACTIUNE, UTILIZATOR)"), QStringLiteral("VALUES ("),
             QString::number(i) + QLatin1Char(','), QStringLiteral("\"08.12.2026\","),
             QStringLiteral("\"10:00:00\","), QStringLiteral("\"Acces in program.\","),
             QStringLiteral("\"PC - ion\")")});
    run({QStringLiteral("DELETE FROM ") + q("Log.dbf"), QStringLiteral("WHERE IDLOG<3")});
    run({QStringLiteral("DELETE FROM ") + q("Log.dbf"), QStringLiteral("WHERE IDLOG=5")});
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM ") + q("Log.dbf"), "IDLOG"), strs({"3", "4"}));
    const qint64 before = QFile(resolveFileName(path("Log.dbf"))).size();
    Table table;
    table.setTableName(path("Log.dbf"));
    table.setExclusive(true);
    table.open();
    table.pack();
    EXPECT_EQ(table.recordCount(), 2);
    table.close();
    EXPECT_LT(QFile(resolveFileName(path("Log.dbf"))).size(), before);
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM ") + q("Log.dbf"), "IDLOG"), strs({"3", "4"}));
}

TEST_F(EngineTest, alterAdd_keepsRowsAndTableEditFillsTheNewColumn)
{
    run({QStringLiteral("CREATE TABLE ") + q("Acte.dbf"),
         QStringLiteral("(IDACT DECIMAL(10,0), DATAACT DATE)")});
    run({QStringLiteral("INSERT INTO ") + q("Acte.dbf"), QStringLiteral("(IDACT, DATAACT)"),
         QStringLiteral("VALUES (1, \"15.03.2001\")")});
    run({QStringLiteral("INSERT INTO ") + q("Acte.dbf"), QStringLiteral("(IDACT)"),
         QStringLiteral("VALUES (2)")});
    run({QStringLiteral("ALTER TABLE ") + q("Acte.dbf"), QStringLiteral("ADD COD CHAR(16)")});
    run({QStringLiteral("ALTER TABLE ") + q("Acte.dbf"), QStringLiteral("ADD LUNA DECIMAL(6,0)")});
    Table table;
    table.setTableName(path("Acte.dbf"));
    table.open();
    for (table.first(); !table.eof(); table.next()) {
        table.edit();
        table.setField(QStringLiteral("LUNA"),
                       qint64(table.asDate(QStringLiteral("DATAACT")).month()));
        table.post();
    }
    table.close();
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM ") + q("Acte.dbf"), "LUNA"), strs({"3", "12"}));
}

TEST_F(EngineTest, exclusiveOpen_failsWhileAQueryHasTheTableOpen)
{
    createLog();
    Query reader;
    reader.appendSql(QStringLiteral("SELECT * FROM ") + q("Log.dbf"));
    reader.open();
    Table table;
    table.setTableName(path("Log.dbf"));
    table.setExclusive(true);
    EXPECT_THROW(table.open(), TableInUseError);
    reader.close();
    EXPECT_NO_THROW(table.open());
}

TEST_F(EngineTest, statementsThatCannotBeRead_nameTheWord)
{
    createLog();
    try {
        Engine::execute(QStringLiteral("DELETE FROM ") + q("Log.dbf") +
                        QStringLiteral(" WHEN IDLOG=1"));
        FAIL();
    } catch (const SyntaxError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("WHEN"))) << e.what();
    }
    EXPECT_THROW(Engine::execute(QStringLiteral("SELECT * FROM \"unterminated")), SyntaxError);
    EXPECT_THROW(Engine::execute(QStringLiteral("UPDATE ") + q("Log.dbf") +
                                 QStringLiteral(" SET NOPE=1 WHERE IDLOG=1")),
                 Error);
}

} // namespace
