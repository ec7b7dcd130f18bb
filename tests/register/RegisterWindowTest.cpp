// The register window as a user meets it: its look, the buttons by rank, the lists, the keys.
#include "register/RegisterWindow.h"
#include "RegisterData.h"
#include "TestApplication.h"
#include "register/RegisterListing.h"
#include "store/Query.h"
#include "widgets/DataGrid.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/GridHeader.h"

#include <QComboBox>
#include <QGroupBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

class RegisterWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    // Opens the register as a user of `rank`, runs `inside` while it shows, then closes it
    // with Escape.
    void openAs(int rank, const std::function<void()> &inside)
    {
        bool ran = false;
        QTimer::singleShot(0, &window, [&] {
            window.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
            inside();
            ran = true;
            QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, Qt::Key_Escape);
        });
        window.OpenRegister(rank);
        ASSERT_TRUE(ran);
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(window.Ox().isOpen());
    }

    RegisterData data;
    TEvidente window{data.workspace};
};

TEST_F(RegisterWindowTest, look_matchesItsDesign)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Dosarium"));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.Cautare->title(), QStringLiteral(" Cautare "));
    EXPECT_EQ(window.Luna->count(), 13);
    EXPECT_EQ(window.Luna->itemText(0), QStringLiteral("indiferent"));
    EXPECT_EQ(window.Luna->itemText(3), QStringLiteral("03"));
    EXPECT_EQ(window.ANUL->geometry(), QRect(72, 24, 97, 21));
    EXPECT_EQ(window.Titlu->geometry(), QRect(264, 96, 263, 21));
    EXPECT_EQ(window.AddBut->geometry(), QRect(566, 16, 89, 25));
    EXPECT_EQ(window.CloseBut->geometry(), QRect(670, 66, 105, 25));
    // Wider: the frame and the right lists stretch, the buttons stay at the right edge.
    window.show();
    window.resize(1001, 649);
    EXPECT_EQ(window.Titlu->width(), 463);
    EXPECT_EQ(window.ShowBut->x(), 870);
    window.hide();
    const QList<DataGridColumn> &columns = window.SMDBGrid3->columns();
    ASSERT_EQ(columns.size(), 8);
    EXPECT_EQ(columns.at(2).title, QStringLiteral("Nr."));
    EXPECT_EQ(columns.at(2).alignment, Qt::AlignRight);
    EXPECT_EQ(columns.at(4).width, 167);
    EXPECT_EQ(window.SMDBGrid3->rowHeight(), 17);
    EXPECT_EQ(window.SMDBGrid3->titleRowHeight(), 24);
}

TEST_F(RegisterWindowTest, buttonsFollowTheRank_andAnEmptyRegisterDisablesViewModifyDelete)
{
    for (int rank : {0, 1, 2}) {
        openAs(rank, [&] {
            EXPECT_TRUE(window.isMaximized());
            EXPECT_EQ(window.AddBut->isVisible(), rank != 2) << rank;
            EXPECT_EQ(window.ModBut->isVisible(), rank != 2) << rank;
            EXPECT_EQ(window.DelBut->isVisible(), rank == 0) << rank;
            EXPECT_TRUE(window.ShowBut->isVisible());
            EXPECT_TRUE(window.CloseBut->isVisible());
            EXPECT_FALSE(window.ShowBut->isEnabled());
            EXPECT_FALSE(window.ModBut->isEnabled());
            EXPECT_TRUE(window.AddBut->isEnabled());
            EXPECT_EQ(window.ANUL->count(), 1);
            EXPECT_EQ(window.Titlu->currentText(), QStringLiteral("indiferent"));
        });
    }
}

TEST_F(RegisterWindowTest, listsNarrowTheGrid_theMonthIsKept_andTheOrderGoesBackToTheDate)
{
    data.add({1, QDate(2005, 3, 1), QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
              QStringLiteral("T"), QStringLiteral("AB"), QStringLiteral("1")});
    data.add({2, QDate(2004, 3, 9), QStringLiteral("ADRESE"), QStringLiteral("PRIMITE"),
              QStringLiteral("T"), QStringLiteral("AB"), QStringLiteral("2")});
    data.add({3, QDate(2005, 7, 5), QStringLiteral("BUGET"), QStringLiteral("ANUAL"),
              QStringLiteral("T"), QStringLiteral("CD"), QStringLiteral("3")});
    openAs(0, [&] {
        EXPECT_TRUE(window.ShowBut->isEnabled());
        EXPECT_EQ(window.SMDBGrid3->model()->rowCount(), 3);
        window.Luna->setCurrentIndex(3);
        EXPECT_EQ(window.Ox().filter(), QStringLiteral("(LUNA=3)"));
        window.ANUL->setCurrentIndex(2); // 2005
        EXPECT_EQ(window.SMDBGrid3->model()->rowCount(), 1);
        window.Domeniul->setCurrentIndex(2); // BUGET: nothing left
        EXPECT_FALSE(window.ModBut->isEnabled());
        window.Domeniul->setCurrentIndex(0);
        // A click on "Domeniul" re-sorts what the filter shows.
        window.ANUL->setCurrentIndex(0);
        emit window.SMDBGrid3->titleClicked(4);
        EXPECT_EQ(window.listing().orderField(), QStringLiteral("DOMENIUL"));
        EXPECT_EQ(window.Ox().asString(QStringLiteral("DOMENIUL")), QStringLiteral("ADRESE"));
        // Enter moves from a list to the next one.
        window.ANUL->setFocus();
        QTest::keyClick(window.ANUL, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), window.Luna);
    });
    openAs(1, [&] {
        // After a reopening the grid stands on the act the rows stand on.
        window.listing().reopenAt(QStringLiteral("1"));
        EXPECT_EQ(window.Ox().recNo(), 1);
        EXPECT_EQ(window.SMDBGrid3->currentIndex().row(), 1);
        EXPECT_EQ(window.listing().orderField(), QStringLiteral("DATAACT"));
        EXPECT_EQ(window.ANUL->currentIndex(), 0);
        EXPECT_EQ(window.Luna->currentText(), QStringLiteral("03"));
        EXPECT_EQ(window.Ox().filter(), QStringLiteral("(LUNA=3)"));
        EXPECT_EQ(window.SMDBGrid3->model()->rowCount(), 2);
    });
}

} // namespace

namespace {

TEST_F(RegisterWindowTest, reopeningOnAnActFarDown_scrollsTheGridToIt)
{
    for (int id = 1; id <= 200; ++id)
        data.add({id, QDate(2000, 1, 1).addDays(id), QStringLiteral("D"), QStringLiteral("S"),
                  QStringLiteral("T"), QStringLiteral("A"), QString::number(id)});
    openAs(0, [&] {
        window.listing().reopenAt(QStringLiteral("150"));
        QCoreApplication::processEvents();
        const QModelIndex current = window.SMDBGrid3->currentIndex();
        EXPECT_EQ(current.row(), 149);
        EXPECT_TRUE(
            window.SMDBGrid3->viewport()->rect().intersects(window.SMDBGrid3->visualRect(current)));
    });
}

} // namespace
