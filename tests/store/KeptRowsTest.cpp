// Rows read with only some columns held: the same orders, filters, distinct values and values as
// rows read whole, the other columns read from the file, and a file changed under them refused.
#include "ListedRows.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/IoCount.h"
#include "store/Query.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

class KeptRowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = joinPath(dir.path(), QStringLiteral("Acte.dbf"));
        table = quoteText(path);
        Engine::execute(QStringLiteral("CREATE TABLE ") + table +
                        QStringLiteral(" (IDACT DECIMAL(10,0), ANUL DECIMAL(6,0), DATAACT DATE, "
                                       "NR CHAR(24), TITLU CHAR(60), OBS CHAR(240))"));
    }
    void add(const QString &values)
    {
        Engine::execute(QStringLiteral("INSERT INTO ") + table +
                        QStringLiteral(" (IDACT, ANUL, DATAACT, NR, TITLU, OBS) VALUES (") +
                        values + QStringLiteral(")"));
    }
    // Acts whose values repeat, differ only in letter case or diacritics, are empty, or hold
    // numbers written in several ways.
    void addMixedActs(int n)
    {
        QRandomGenerator rng(7);
        const QStringList titles{QStringLiteral("Contract"),
                                 QStringLiteral("contract"),
                                 QStringLiteral("Țară"),
                                 QStringLiteral("Tara"),
                                 QString(),
                                 QStringLiteral("Ștampilă")};
        const QStringList numbers{QStringLiteral("7"),   QStringLiteral("07"),
                                  QStringLiteral("12"),  QStringLiteral("7/2017"),
                                  QStringLiteral("A 3"), QString(),
                                  QStringLiteral("112"), QStringLiteral("1034")};
        for (int i = 1; i <= n; ++i) {
            const QString date = rng.bounded(5) == 0 ? QString()
                                                     : QStringLiteral("%1.0%2.20%3")
                                                           .arg(10 + rng.bounded(18))
                                                           .arg(1 + rng.bounded(9))
                                                           .arg(10 + rng.bounded(5));
            add(QStringLiteral("%1, %2, %3, %4, %5, %6")
                    .arg(i)
                    .arg(2010 + rng.bounded(4))
                    .arg(quoteText(date), quoteText(numbers.at(rng.bounded(numbers.size()))),
                         quoteText(titles.at(rng.bounded(titles.size()))),
                         quoteText(QStringLiteral("nota %1").arg(rng.bounded(3)))));
            if (i % 9 == 0)
                Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT=%2").arg(table).arg(i));
        }
    }
    void openBoth(const QString &order, const QString &numberAware = {})
    {
        for (Query *q : {&whole, &kept}) {
            q->close();
            q->clearSql();
            q->appendSql(QStringLiteral("SELECT * FROM ") + table);
            q->appendSql(QStringLiteral("ORDER BY ") + order);
            q->setNumberAwareOrder(numberAware);
        }
        kept.setKeptColumns({QStringLiteral("IDACT"), QStringLiteral("ANUL"), QStringLiteral("NR"),
                             QStringLiteral("TITLU")});
        whole.open();
        kept.open();
    }
    static QStringList listed(const Query &q) { return listedRows(q); }
    QTemporaryDir dir;
    QString path, table;
    Query whole, kept;
};

TEST_F(KeptRowsTest, ordersFiltersAndDistinctValues_areThoseOfRowsReadWhole)
{
    addMixedActs(120);
    for (const QString &order : {QStringLiteral("DATAACT"), QStringLiteral("TITLU"),
                                 QStringLiteral("ANUL"), QStringLiteral("OBS")}) {
        openBoth(order);
        EXPECT_EQ(listed(kept), listed(whole)) << order.toStdString();
    }
    openBoth(QStringLiteral("NR"), QStringLiteral("NR"));
    EXPECT_EQ(listed(kept), listed(whole));

    for (const QString &filter : {QStringLiteral("(ANUL=2011) AND (TITLU='Contract')"),
                                  QStringLiteral("(NR='7')"), QStringLiteral("(OBS='nota 1')")}) {
        for (Query *q : {&whole, &kept}) {
            q->setFilter(filter);
            q->setFiltered(true);
        }
        EXPECT_EQ(listed(kept), listed(whole)) << filter.toStdString();
    }

    Query distinct;
    for (const QString &field :
         {QStringLiteral("ANUL"), QStringLiteral("NR"), QStringLiteral("TITLU")}) {
        distinct.clearSql();
        distinct.appendSql(
            QStringLiteral("SELECT DISTINCT %1 FROM %2 ORDER BY %1").arg(field, table));
        distinct.open();
        QStringList expected;
        for (int r = 0; r < distinct.recordCount(); ++r)
            expected << distinct.text(r, 0);
        EXPECT_EQ(kept.distinctTexts(field).value_or(QStringList()), expected);
    }
    EXPECT_FALSE(kept.distinctTexts(QStringLiteral("OBS")));

    for (Query *q : {&whole, &kept})
        q->setFiltered(false);
    ASSERT_TRUE(kept.locate(QStringLiteral("IDACT"), QStringLiteral("100")));
    ASSERT_TRUE(whole.locate(QStringLiteral("IDACT"), QStringLiteral("100")));
    EXPECT_EQ(kept.asStoredText(QStringLiteral("OBS")), whole.asStoredText(QStringLiteral("OBS")));
    EXPECT_EQ(kept.asDate(QStringLiteral("DATAACT")), whole.asDate(QStringLiteral("DATAACT")));
}

TEST_F(KeptRowsTest, idsThatNeverRepeat_orderFilterAndLocateAsRowsReadWhole)
{
    // Past the rows after which a column of values that hardly repeat is held one per row.
    for (int i = 5000; i > 0; --i)
        add(QStringLiteral("%1, %2, \"\", \"%3\", \"\", \"\"").arg(i).arg(2000 + i % 3).arg(i % 7));
    openBoth(QStringLiteral("IDACT"));
    EXPECT_EQ(listed(kept), listed(whole));
    for (Query *q : {&whole, &kept}) {
        q->setFilter(QStringLiteral("(IDACT=4321)"));
        q->setFiltered(true);
    }
    EXPECT_EQ(listed(kept), listed(whole));
    ASSERT_EQ(kept.recordCount(), 1);
    kept.setFiltered(false);
    ASSERT_TRUE(kept.locate(QStringLiteral("IDACT"), QStringLiteral("17")));
    EXPECT_EQ(kept.recNo(), 16);
    EXPECT_EQ(kept.distinctTexts(QStringLiteral("NR")).value_or(QStringList()).size(), 7);
}

TEST_F(KeptRowsTest, columnsNotHeld_areReadAsTheFileHoldsThemWhenShown)
{
    addMixedActs(20);
    openBoth(QStringLiteral("IDACT"));
    const IoMeter meter;
    Engine::execute(QStringLiteral("UPDATE %1 SET OBS=\"scrisa dupa\" WHERE IDACT=3").arg(table));
    ASSERT_TRUE(kept.locate(QStringLiteral("IDACT"), QStringLiteral("3")));
    EXPECT_EQ(kept.asString(QStringLiteral("OBS")), QStringLiteral("scrisa dupa"));
    EXPECT_GT(meter.sinceStart().read, 0);
    EXPECT_GT(meter.sinceStart().written, 0);
}

TEST_F(KeptRowsTest, aFileCutOrRebuiltUnderTheRows_isAClearErrorNeverARead)
{
    addMixedActs(20);
    openBoth(QStringLiteral("IDACT"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(f.size() - 5 * 420));
    }
    kept.last();
    whole.last();
    EXPECT_THROW(kept.asString(QStringLiteral("OBS")), DamagedTableError);
    EXPECT_EQ(kept.asString(QStringLiteral("TITLU")), whole.asString(QStringLiteral("TITLU")));

    // A column renamed in the header: nothing is read with the old shape.
    kept.first();
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(32);
        f.write("J", 1);
    }
    try {
        kept.asString(QStringLiteral("OBS"));
        FAIL();
    } catch (const DamagedTableError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("s-a schimbat"))) << e.what();
    }
}

TEST_F(KeptRowsTest, aRecordThatNowHoldsAnotherRow_isAnErrorForThatRowNeverAnotherActsNote)
{
    add(QStringLiteral(R"(1, 2020, "", "1", "Contract", "nota 1")"));
    add(QStringLiteral(R"(2, 2020, "", "2", "Proces", "nota 2")"));
    add(QStringLiteral(R"(3, 2020, "", "3", "Decizie", "nota 3")"));
    openBoth(QStringLiteral("IDACT"));
    // Another writer rewrites the table without act 1 (a pack): act 2 is now the first record.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const QByteArray head = f.read(12);
        const int headerLength = uchar(head[8]) | uchar(head[9]) << 8;
        const int recordLength = uchar(head[10]) | uchar(head[11]) << 8;
        f.seek(headerLength + recordLength);
        const QByteArray second = f.read(recordLength);
        f.seek(headerLength);
        f.write(second);
    }
    // And changes the title of act 3 in place.
    Engine::execute(QStringLiteral("UPDATE ") + table +
                    QStringLiteral(R"( SET TITLU="Decizia" WHERE IDACT=3)"));
    kept.first();
    EXPECT_THROW(kept.asString(QStringLiteral("OBS")), Error);
    kept.next();
    EXPECT_EQ(kept.asString(QStringLiteral("OBS")), QStringLiteral("nota 2"));
    kept.next();
    EXPECT_THROW(kept.asString(QStringLiteral("OBS")), Error);
}

} // namespace
