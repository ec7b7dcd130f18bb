// Tables written by other software read completely and correctly.
#include "store/Engine.h"
#include "store/Query.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace dosarium;

namespace {

QString sample(const char *name)
{
    const QString folder =
        qEnvironmentVariable("DOSARIUM_SAMPLES", QStringLiteral(DOSARIUM_SAMPLES_DEFAULT));
    return QDir(folder).filePath(QString::fromLatin1(name));
}

// Reads a copy, so that the samples themselves are never locked or touched.
class SampleTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(sample("harbour-test.dbf")))
            GTEST_SKIP() << "the folder of sample tables (DOSARIUM_SAMPLES) is not on this machine";
    }
    std::unique_ptr<Query> open(const char *name)
    {
        if (!QFile::exists(sample(name)))
            ADD_FAILURE() << "sample table missing: " << name;
        const QString copy = dir.filePath(QString::fromLatin1(name));
        QFile::copy(sample(name), copy);
        auto q = std::make_unique<Query>();
        q->appendSql(QStringLiteral("SELECT * FROM ") + quoteText(copy));
        q->open();
        return q;
    }
    QTemporaryDir dir;
};

TEST_F(SampleTablesTest, everySampleReadsAllItsLiveRows)
{
    const struct {
        const char *name;
        int rows;
    } cases[] = {{"shapelib-anno.dbf", 201},    {"shapelib-cities.dbf", 36},
                 {"shapelib-csah.dbf", 124},    {"shapelib-roads.dbf", 105},
                 {"shapelib-polygon.dbf", 474}, {"harbour-test.dbf", 500},
                 {"dbfread-people.dbf", 2},     {"dbfread-memotest.dbf", 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Query q;
        const QString copy = dir.filePath(QString::fromLatin1(c.name));
        QFile::copy(sample(c.name), copy);
        q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(copy));
        q.open();
        EXPECT_EQ(q.recordCount(), c.rows);
        for (q.first(); !q.eof(); q.next())
            for (int i = 0; i < q.fieldCount(); ++i)
                (void)q.text(q.recNo(), i);
    }
}

TEST_F(SampleTablesTest, valuesOfEachTypeReadAsWritten)
{
    {
        auto q = open("harbour-test.dbf");
        EXPECT_EQ(q->asString(QStringLiteral("FIRST")), QStringLiteral("Homer"));
        EXPECT_EQ(q->asString(QStringLiteral("HIREDATE")), QStringLiteral("18.09.1992"));
        EXPECT_EQ(q->asString(QStringLiteral("MARRIED")), QStringLiteral("T"));
        EXPECT_EQ(q->asInteger(QStringLiteral("AGE")), 6);
        EXPECT_EQ(q->asString(QStringLiteral("SALARY")), QStringLiteral("5900"));
    }
    {
        auto q = open("shapelib-anno.dbf");
        EXPECT_EQ(q->asString(QStringLiteral("X")), QStringLiteral("486089.531"));
        EXPECT_EQ(q->asString(QStringLiteral("TEXT")), QStringLiteral("Wager Rd."));
    }
    {
        auto q = open("dbfread-memotest.dbf");
        EXPECT_EQ(q->asString(QStringLiteral("NAME")), QStringLiteral("Alice"));
        EXPECT_EQ(q->asString(QStringLiteral("MEMO")), QString());
    }
}

} // namespace
