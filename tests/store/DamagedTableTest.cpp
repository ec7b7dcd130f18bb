// Damaged and unusual table files: each gives a clear error or a sound reading, never a crash.
#include "store/Error.h"
#include "store/Query.h"
#include "store/Statement.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

struct Case {
    const char *file;
    int rows;            // -1: the file is refused with a message naming it
    bool notice = false; // the reading reports a repaired inconsistency naming the file
};

class DamagedTableTest : public ::testing::TestWithParam<Case> {};

TEST_P(DamagedTableTest, readsSoundlyOrRefusesClearly)
{
    const Case c = GetParam();
    const QString source =
        QDir(qEnvironmentVariable("DOSARIUM_TEST_DATA", QStringLiteral(DOSARIUM_TEST_DATA_DEFAULT)))
            .filePath(QStringLiteral("damaged/") + QString::fromLatin1(c.file));
    ASSERT_TRUE(QFile::exists(source)) << c.file;
    QTemporaryDir dir;
    const QString copy = dir.filePath(QString::fromLatin1(c.file));
    ASSERT_TRUE(QFile::copy(source, copy));
    Query q;
    q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(copy));
    if (c.rows < 0) {
        try {
            q.open();
            FAIL() << c.file << " was read";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(copy))) << e.what();
        }
        return;
    }
    q.open();
    EXPECT_EQ(q.recordCount(), c.rows);
    if (c.notice)
        EXPECT_TRUE(q.notice().contains(QDir::toNativeSeparators(copy)))
            << c.file << ": " << qPrintable(q.notice());
    else
        EXPECT_EQ(q.notice(), QString()) << c.file;
    for (int r = 0; r < q.recordCount(); ++r)
        for (int col = 0; col < q.fieldCount(); ++col)
            (void)q.text(r, col);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, DamagedTableTest,
    ::testing::Values(Case{"short.dbf", -1}, Case{"cut-descriptors.dbf", -1},
                      Case{"header-too-small.dbf", -1}, Case{"header-past-end.dbf", -1},
                      Case{"no-terminator.dbf", 2}, Case{"field-past-record.dbf", -1},
                      Case{"record-length-zero.dbf", -1}, Case{"wide-text.dbf", 1},
                      Case{"count-too-large.dbf", 2, true}, Case{"count-too-small.dbf", 1},
                      Case{"no-end-marker.dbf", 2}, Case{"stray-flag.dbf", 2},
                      Case{"unknown-version.dbf", -1}, Case{"unknown-type.dbf", -1},
                      Case{"unknown-codepage.dbf", 2}, Case{"bad-values.dbf", 2}),
    [](const ::testing::TestParamInfo<Case> &info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        for (char &ch : name)
            if (ch == '-')
                ch = '_';
        return name;
    });

TEST(DamagedValues, blankStarAndZeroValuesReadAsEmpty)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("bad-values.dbf"));
    QFile::copy(QDir(QStringLiteral(DOSARIUM_TEST_DATA_DEFAULT))
                    .filePath(QStringLiteral("damaged/bad-values.dbf")),
                copy);
    Query q;
    q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(copy));
    q.open();
    EXPECT_EQ(q.asString(QStringLiteral("ID")), QString());
    EXPECT_EQ(q.asString(QStringLiteral("ZI")), QString());
    EXPECT_EQ(q.asDate(QStringLiteral("ZI")), QDate(1899, 12, 30));
    q.next();
    EXPECT_EQ(q.asString(QStringLiteral("ZI")), QString()); // 13th month
}

} // namespace
