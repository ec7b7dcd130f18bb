// The register's listing without its window: filter texts, the filter pass and its re-entry
// counter, the re-sort, reopening, and the grid's model following the rows.
#include "register/RegisterListing.h"
#include "RegisterData.h"
#include "TestApplication.h"
#include "TestText.h"
#include "app/QueryModel.h"
#include "store/ChangeTrail.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <gtest/gtest.h>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

TEST(RegisterFilter, conditionsComeInTheirFixedOrderWithTheMonthLast)
{
    RegisterChoices c;
    EXPECT_EQ(RegisterFilterText(c), QString());
    c.anul = {3, QStringLiteral("2005")};
    c.luna = {3, QStringLiteral("03")};
    EXPECT_EQ(RegisterFilterText(c), QStringLiteral("(ANUL=2005) AND (LUNA=3)"));
    c.luna = {};
    c.seria = {1, QStringLiteral("AB")};
    EXPECT_EQ(RegisterFilterText(c), QStringLiteral("(ANUL=2005) AND (SERIA='AB')"));
    RegisterChoices all{{1, QStringLiteral("2009")},      {12, QStringLiteral("12")},
                        {1, QStringLiteral("S")},         {1, QStringLiteral("7")},
                        {1, QStringLiteral("CONTRACTE")}, {1, QStringLiteral("FURNIZORI")},
                        {1, QStringLiteral("FACTURA")}};
    EXPECT_EQ(RegisterFilterText(all),
              QStringLiteral("(ANUL=2009) AND (SERIA='S') AND (NR='7') AND (DOMENIUL='CONTRACTE') "
                             "AND (SUBDOM='FURNIZORI') AND (TITLU='FACTURA') AND (LUNA=12)"));
}

class RegisterListingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void SetUp() override
    {
        data.add({1, QDate(2005, 3, 1), QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
                  QStringLiteral("A)(B"), QStringLiteral("AB"), QStringLiteral("1")});
        data.add({2, QDate(2004, 1, 9), QStringLiteral("ADRESE"), QStringLiteral("PRIMITE"),
                  QStringLiteral("O'NEIL \"X\" *"), QStringLiteral("AB"), QStringLiteral("2")});
        data.add({3, QDate(2005, 12, 5), QStringLiteral("BUGET"), QStringLiteral("ANUAL"),
                  QStringLiteral("PLAN"), QStringLiteral("CD"), QStringLiteral("3")});
        listing.setChoices([this] { return choices; });
        tester = std::make_unique<QAbstractItemModelTester>(
            &model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    QStringList ids()
    {
        QStringList out;
        Query &ox = listing.Ox();
        for (int row = 0; row < ox.recordCount(); ++row)
            out << ox.text(row, ox.fieldIndex(QStringLiteral("IDACT")));
        return out;
    }

    RegisterData data;
    RegisterListing listing{data.workspace};
    RegisterChoices choices;
    QueryModel model{listing.Ox()};
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(RegisterListingTest, opening_listsByDateAndFillsTheListsWithDistinctValues)
{
    const RegisterPickLists lists = listing.readPickLists();
    EXPECT_EQ(lists.anul, (QStringList{QStringLiteral("indiferent"), QStringLiteral("2004"),
                                       QStringLiteral("2005")}));
    EXPECT_EQ(lists.seria, (QStringList{QStringLiteral("indiferent"), QStringLiteral("AB"),
                                        QStringLiteral("CD")}));
    EXPECT_EQ(lists.titlu.first(), QStringLiteral("indiferent"));
    listing.open({});
    EXPECT_EQ(ids(), (QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(0, listing.Ox().fieldIndex(QStringLiteral("DATAACT")))),
              QStringLiteral("09.01.2004"));
    EXPECT_EQ(listing.busyCount(), 0);
}

TEST_F(RegisterListingTest, filterPass_narrowsAndWidens_andLeavesTheRowsAloneForTheSameText)
{
    listing.open({});
    choices.anul = {2, QStringLiteral("2005")};
    choices.seria = {1, QStringLiteral("AB")};
    listing.Filtreaza();
    EXPECT_EQ(listing.Ox().filter(), QStringLiteral("(ANUL=2005) AND (SERIA='AB')"));
    EXPECT_EQ(ids(), QStringList{QStringLiteral("1")});

    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    listing.Filtreaza();
    EXPECT_EQ(resets, 0);

    choices = {};
    listing.Filtreaza();
    EXPECT_FALSE(listing.Ox().filtered());
    EXPECT_EQ(ids().size(), 3);
    EXPECT_EQ(resets, 1);
}

TEST_F(RegisterListingTest, valuesHoldingBracketsQuotesAndAsterisks_matchOnlyThemselves)
{
    listing.open({});
    choices.titlu = {1, QStringLiteral("A)(B")};
    listing.Filtreaza();
    EXPECT_EQ(ids(), QStringList{QStringLiteral("1")});
    choices.titlu = {2, QStringLiteral("O'NEIL \"X\" *")};
    listing.Filtreaza();
    EXPECT_EQ(ids(), QStringList{QStringLiteral("2")});
}

TEST_F(RegisterListingTest, changesDuringAPass_giveExactlyOneRepeatThatAppliesThemAll)
{
    listing.open({});
    int passes = 0;
    WorkspaceReports reports;
    reports.yield = [&] {
        // While the first pass lets events run, two lists change.
        if (++passes == 1) {
            choices.anul = {2, QStringLiteral("2005")};
            listing.Filtreaza();
            choices.luna = {12, QStringLiteral("12")};
            listing.Filtreaza();
            EXPECT_EQ(listing.busyCount(), 3);
        }
    };
    data.workspace.setReports(reports);
    choices.seria = {2, QStringLiteral("CD")};
    listing.Filtreaza();
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(listing.Ox().filter(), QStringLiteral("(ANUL=2005) AND (SERIA='CD') AND (LUNA=12)"));
    EXPECT_EQ(ids(), QStringList{QStringLiteral("3")});
    EXPECT_EQ(listing.busyCount(), 0);
}

TEST_F(RegisterListingTest, reSort_keepsTheFilterAndTheCurrentAct)
{
    listing.open({});
    choices.anul = {2, QStringLiteral("2005")};
    listing.Filtreaza();
    listing.Ox().locate(QStringLiteral("IDACT"), QStringLiteral("3"));
    listing.sortBy(QStringLiteral("DOMENIUL"));
    EXPECT_EQ(listing.orderField(), QStringLiteral("DOMENIUL"));
    EXPECT_EQ(ids(), (QStringList{QStringLiteral("3"), QStringLiteral("1")}));
    EXPECT_EQ(listing.Ox().asString(QStringLiteral("IDACT")), QStringLiteral("3"));
    EXPECT_EQ(model.rowCount(), 2);

    // Reopening after an edit keeps the order; a new opening goes back to the date.
    listing.reopenAt(QStringLiteral("1"));
    EXPECT_EQ(ids(), (QStringList{QStringLiteral("3"), QStringLiteral("1")}));
    EXPECT_EQ(listing.Ox().asString(QStringLiteral("IDACT")), QStringLiteral("1"));
    listing.close();
    EXPECT_EQ(model.rowCount(), 0);
    choices = {};
    listing.open({});
    EXPECT_EQ(listing.orderField(), QStringLiteral("DATAACT"));
    EXPECT_EQ(ids().first(), QStringLiteral("2"));
}

TEST_F(RegisterListingTest, sortingByNumberOrSeries_readsTheirDigitsAsNumbers)
{
    const std::pair<const char *, const char *> acts[] = {
        {"112", "A10"}, {"7/2017", "A9"}, {"45", "B2"}, {"1034", "A100"},
        {"9", "A9"},    {"12", ""},       {"7", "A10"},
    };
    int id = 10;
    for (const auto &[nr, seria] : acts)
        data.add({id++, QDate(2006, 1, 1), QStringLiteral("X"), QStringLiteral("Y"), QString(),
                  QLatin1String(seria), QLatin1String(nr)});
    const auto column = [this](const char *field) {
        QStringList out;
        Query &ox = listing.Ox();
        for (int row = 0; row < ox.recordCount(); ++row)
            out << ox.text(row, ox.fieldIndex(QLatin1String(field)));
        return out;
    };
    listing.open({});
    listing.sortBy(QStringLiteral("NR"));
    EXPECT_EQ(column("NR"), strs({"1", "2", "3", "7", "7/2017", "9", "12", "45", "112", "1034"}));
    listing.reopenAt(QStringLiteral("3"));
    EXPECT_EQ(column("NR").at(4), QStringLiteral("7/2017")); // kept by a reopening
    listing.sortBy(QStringLiteral("SERIA"));
    EXPECT_EQ(column("SERIA"),
              strs({"", "A9", "A9", "A10", "A10", "A100", "AB", "AB", "B2", "CD"}));

    // Every other use keeps the engine's exact order.
    Query exact;
    exact.appendSql(QStringLiteral("SELECT NR FROM ") + quoteText(data.workspace.actePath()));
    exact.appendSql(QStringLiteral("ORDER BY NR"));
    exact.open();
    QStringList engine;
    for (int row = 0; row < exact.recordCount(); ++row)
        engine << exact.text(row, 0);
    EXPECT_EQ(engine, strs({"1", "1034", "112", "12", "2", "3", "45", "7", "7/2017", "9"}));
}

TEST_F(RegisterListingTest, emptyTableOrNoMatch_makesTheTitleClickDoNothing)
{
    listing.open({});
    choices.anul = {1, QStringLiteral("1999")};
    listing.Filtreaza();
    EXPECT_FALSE(listing.hasRows());
    listing.sortBy(QStringLiteral("DOMENIUL"));
    EXPECT_EQ(listing.orderField(), QStringLiteral("DATAACT"));
    EXPECT_EQ(listing.busyCount(), 0);
}

TEST_F(RegisterListingTest, failuresLeaveTheCounterAtRest_soTheListsKeepWorking)
{
    listing.open({});
    // The table goes away under the open rows, with its change trail (without which the rows
    // cannot catch up): the re-sort must read it, fails and reports.
    const QString acte = resolveFileName(data.workspace.actePath());
    QFile::remove(ChangeTrail::pathFor(acte));
    QFile::remove(acte);
    EXPECT_THROW(listing.sortBy(QStringLiteral("TITLU")), Error);
    EXPECT_EQ(listing.busyCount(), 0);
    EXPECT_THROW(listing.open({}), Error);
    EXPECT_EQ(listing.busyCount(), 0);
    EXPECT_FALSE(listing.Ox().isOpen());
}

} // namespace
