// The query object: record filters over the rows read, locating rows, computed columns and the
// snapshot that does not change until reopened.
#include "store/Query.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FilePath.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestText.h"

using namespace dosarium;

namespace {

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        table = quoteText(joinPath(dir.path(), QStringLiteral("Acte.dbf")));
        Engine::execute(
            QStringLiteral("CREATE TABLE ") + table +
            QStringLiteral(" (IDACT DECIMAL(10,0), ANUL DECIMAL(6,0), SERIA CHAR(24))"));
        add(1, 2005, QStringLiteral("AB"));
        add(2, 2005, QStringLiteral("O'Neil"));
        add(3, 2006, QStringLiteral("AB"));
        query.appendSql(QStringLiteral("SELECT * FROM ") + table);
        query.appendSql(QStringLiteral("ORDER BY IDACT"));
    }
    void add(int id, int year, const QString &seria)
    {
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, SERIA) VALUES (%2, %3, %4)")
                            .arg(table)
                            .arg(id)
                            .arg(year)
                            .arg(quoteText(seria)));
    }
    QStringList ids()
    {
        QStringList out;
        for (query.first(); !query.eof(); query.next())
            out << query.asString(QStringLiteral("IDACT"));
        return out;
    }
    QTemporaryDir dir;
    QString table;
    Query query;
};

TEST_F(QueryTest, recordFilter_narrowsTheOpenRowsWithoutRerunning)
{
    query.open();
    add(4, 2005, QStringLiteral("AB")); // not seen: the rows are a snapshot
    query.setFilter(QStringLiteral("(ANUL=2005) AND (SERIA='AB')"));
    query.setFiltered(true);
    EXPECT_EQ(ids(), QStringList{QStringLiteral("1")});
    query.setFilter(QStringLiteral("(SERIA=") + quoteFilterText(QStringLiteral("O'Neil")) +
                    QStringLiteral(")"));
    EXPECT_EQ(ids(), QStringList{QStringLiteral("2")});
    query.setFiltered(false);
    EXPECT_EQ(ids(), strs({"1", "2", "3"}));
    query.close();
    query.open();
    EXPECT_EQ(ids(), strs({"1", "2", "3", "4"}));
}

TEST_F(QueryTest, unreadableFilter_isAnErrorNamingItAndKeepsTheRows)
{
    query.open();
    query.setFiltered(true);
    try {
        query.setFilter(QStringLiteral("(ANUL=2005) OR (SERIA='AB')"));
        FAIL();
    } catch (const SyntaxError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("(ANUL=2005) OR"))) << e.what();
    }
    EXPECT_THROW(query.setFilter(QStringLiteral("(NOPE=1)")), SyntaxError);
    EXPECT_EQ(query.recordCount(), 3);
}

TEST_F(QueryTest, locateAndNavigation_followTheVisibleRows)
{
    QSignalSpy scrolls(&query, &Query::afterScroll);
    query.open();
    EXPECT_TRUE(query.locate(QStringLiteral("IDACT"), QStringLiteral("3")));
    EXPECT_EQ(query.asString(QStringLiteral("SERIA")), QStringLiteral("AB"));
    EXPECT_FALSE(query.locate(QStringLiteral("IDACT"), QStringLiteral("03")));
    query.last();
    EXPECT_TRUE(query.eof());
    EXPECT_EQ(query.asInteger(QStringLiteral("IDACT")), 3);
    EXPECT_GE(scrolls.count(), 3);
    query.setSqlLine(1, QStringLiteral("ORDER BY SERIA"));
    EXPECT_FALSE(query.isOpen());
}

TEST_F(QueryTest, calculatedColumn_isFilledPerRow)
{
    query.addCalculatedField(QStringLiteral("ETICHETA"), [](const Query &q, int row) {
        return q.text(row, 0) + QLatin1Char('/') + q.text(row, 1);
    });
    query.open();
    EXPECT_EQ(query.asString(QStringLiteral("ETICHETA")), QStringLiteral("1/2005"));
    EXPECT_EQ(query.fieldCount(), 4);
}

TEST_F(QueryTest, disabledControls_hearNothingUntilEnabled)
{
    QSignalSpy changed(&query, &Query::dataSetChanged);
    query.disableControls();
    query.open();
    query.close();
    EXPECT_EQ(changed.count(), 0);
    query.enableControls();
    EXPECT_EQ(changed.count(), 1);
}

} // namespace
