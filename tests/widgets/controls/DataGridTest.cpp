// The data grid over a small row set: columns chosen by field, titles and bands, row colours,
// scrolling without a vertical scroll bar, and the title-click and double-click signals.

#include "widgets/DataGrid.h"
#include "widgets/GridHeader.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QWheelEvent>

using namespace dosarium;

namespace {

QRgb rgb(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

class DataGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_model.setHorizontalHeaderLabels({QStringLiteral("IDLOG"), QStringLiteral("DATAL"),
                                           QStringLiteral("ORA"), QStringLiteral("ACTIUNE"),
                                           QStringLiteral("UTILIZATOR")});
        addRows(3);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            &m_model, QAbstractItemModelTester::FailureReportingMode::Warning);
        m_grid.resize(700, 300);
        m_grid.setModel(&m_model);
        m_grid.setColumns(logColumns());
        m_grid.setBackgroundColor(QColor(0xDAE4EF));
        m_grid.setRowColors(Qt::white, QColor(0xDBE6EE));
        m_grid.setTitleShadeColor(QColor(0xACB8CC));
        m_grid.setTextColor(QColor(0x000080));
    }

    void addRows(int n)
    {
        for (int i = 0; i < n; ++i) {
            const int id = m_model.rowCount() + 1;
            m_model.appendRow({new QStandardItem(QString::number(id)),
                               new QStandardItem(QStringLiteral("12.03.2024")),
                               new QStandardItem(QStringLiteral("10:15:00")),
                               new QStandardItem(QStringLiteral("Intrare in program")),
                               new QStandardItem(QStringLiteral("ADMIN"))});
        }
    }

    static QList<DataGridColumn> logColumns()
    {
        const QString band = QStringLiteral("Data si ora");
        return {
            {QStringLiteral("DATAL"), QStringLiteral("Data"), -1, Qt::AlignHCenter, band},
            {QStringLiteral("ORA"), QStringLiteral("Ora"), -1, Qt::AlignHCenter, band},
            {QStringLiteral("ACTIUNE"), QStringLiteral("Actiunea"), 496, Qt::AlignLeft, {}},
            {QStringLiteral("UTILIZATOR"), QStringLiteral("Operator"), 77, Qt::AlignLeft, {}},
        };
    }

    QPoint cellCentre(int row, int column) const
    {
        return m_grid.visualRect(m_model.index(row, m_grid.logicalColumn(column))).center();
    }

    QStandardItemModel m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    DataGrid m_grid;
};

} // namespace

TEST_F(DataGridTest, columns_areChosenByFieldInTheirOrderWithTheirWidths)
{
    GridHeader *header = m_grid.gridHeader();
    EXPECT_TRUE(header->isSectionHidden(0)); // IDLOG is not shown
    EXPECT_EQ(m_grid.logicalColumn(0), 1);
    EXPECT_EQ(m_grid.logicalColumn(3), 4);
    EXPECT_EQ(m_grid.gridColumn(0), -1);
    EXPECT_EQ(header->sectionSize(1), m_grid.defaultColumnWidth());
    EXPECT_EQ(header->sectionSize(3), 496);
    EXPECT_EQ(header->sectionSize(4), 77);
    EXPECT_LT(header->sectionViewportPosition(1), header->sectionViewportPosition(2));
    EXPECT_EQ(header->sectionTitle(3), QStringLiteral("Actiunea"));
    EXPECT_EQ(header->sectionBand(2), QStringLiteral("Data si ora"));
    EXPECT_EQ(m_grid.columnField(2), QStringLiteral("ACTIUNE"));

    // Columns are matched without regard to case and follow the model when it changes order.
    QStandardItemModel other;
    other.setHorizontalHeaderLabels({QStringLiteral("utilizator"), QStringLiteral("actiune"),
                                     QStringLiteral("ora"), QStringLiteral("datal")});
    m_grid.setModel(&other);
    EXPECT_EQ(m_grid.logicalColumn(0), 3);
    EXPECT_EQ(m_grid.logicalColumn(3), 0);
    EXPECT_EQ(header->visualIndex(3), 0);
    EXPECT_EQ(header->sectionSize(1), 496);
}

TEST_F(DataGridTest, sizes_titleRowAndBandRowAndSeventeenPixelRows)
{
    EXPECT_EQ(m_grid.rowHeight(), 17);
    EXPECT_EQ(m_grid.verticalHeader()->sectionSize(0), 17);
    const GridHeader *header = m_grid.gridHeader();
    EXPECT_GT(header->bandRowHeight(), 0);
    EXPECT_EQ(header->sizeHint().height(), 24 + header->bandRowHeight());

    DataGrid users;
    QStandardItemModel model(2, 2);
    users.setModel(&model);
    users.setColumns({{{}, QStringLiteral("Numele"), 216, Qt::AlignLeft, {}},
                      {{}, QStringLiteral("Rang"), 138, Qt::AlignLeft, {}}});
    EXPECT_EQ(users.gridHeader()->bandRowHeight(), 0);
    EXPECT_EQ(users.gridHeader()->sizeHint().height(), 24);
    users.resize(400, 200);
    users.show();
    EXPECT_EQ(users.gridHeader()->height(), 24);
    EXPECT_EQ(users.gridHeader()->sectionSize(0), 216);
}

TEST_F(DataGridTest, picture_rowColoursBackgroundTitlesAndBand)
{
    m_grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_grid));
    const GridHeader *header = m_grid.gridHeader();
    const QImage rows = m_grid.viewport()->grab().toImage();
    const QImage titles = header->viewport()->grab().toImage();
    const int headerHeight = titles.height();
    const int x = header->sectionViewportPosition(3) + 480; // far right of the action cells

    EXPECT_EQ(rgb(rows, x, 8), 0xFFFFFFu);       // row 0
    EXPECT_EQ(rgb(rows, x, 17 + 8), 0xDBE6EEu);  // row 1
    EXPECT_EQ(rgb(rows, x, 34 + 8), 0xFFFFFFu);  // row 2
    EXPECT_EQ(rgb(rows, x, 51 + 30), 0xDAE4EFu); // below the rows
    // Titles shade from white at the top towards the shade colour at the bottom.
    const QColor top = titles.pixelColor(x, 1);
    const QColor bottom = titles.pixelColor(x, headerHeight - 2);
    EXPECT_GT(top.red(), bottom.red());
    EXPECT_NEAR(bottom.red(), 0xAC, 8);
    EXPECT_NEAR(bottom.blue(), 0xCC, 8);

    // The band row runs across both date columns without a dividing line; the title row below
    // has one between them.
    const int divide = header->sectionViewportPosition(2) - 1;
    const int bandMiddle = header->bandRowHeight() / 2;
    EXPECT_NE(rgb(titles, divide, bandMiddle + 3), 0x808080u);
    EXPECT_EQ(rgb(titles, divide, headerHeight - 5), 0x808080u);
    EXPECT_EQ(rgb(titles, divide - 5, header->bandRowHeight() - 1), 0x808080u);
    EXPECT_EQ(header->bandRect(1), header->bandRect(2));
    EXPECT_EQ(header->bandRect(1).width(), 2 * m_grid.defaultColumnWidth());
    EXPECT_TRUE(header->bandRect(3).isEmpty());

    // Cell text is navy and centred in the date column.
    const QImage &image = rows;
    int inkLeft = image.width(), inkRight = -1;
    const QRect date = m_grid.visualRect(m_model.index(0, 1));
    for (int yy = date.top(); yy <= date.bottom(); ++yy)
        for (int xx = date.left(); xx <= date.right(); ++xx)
            if (qBlue(image.pixel(xx, yy)) > 100 && qRed(image.pixel(xx, yy)) < 60) {
                inkLeft = std::min(inkLeft, xx);
                inkRight = std::max(inkRight, xx);
            }
    ASSERT_GE(inkRight, 0);
    EXPECT_NEAR((inkLeft + inkRight) / 2.0, date.center().x(), 3.0);
}

TEST_F(DataGridTest, scrolling_byWheelAndKeysWithoutAVerticalScrollBar)
{
    addRows(60);
    m_grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_grid));
    EXPECT_FALSE(m_grid.verticalScrollBar()->isVisible());
    EXPECT_EQ(m_grid.verticalScrollBar()->value(), 0);

    QWheelEvent wheel(QPointF(50, 50), m_grid.viewport()->mapToGlobal(QPointF(50, 50)), {},
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_grid.viewport(), &wheel);
    EXPECT_GT(m_grid.verticalScrollBar()->value(), 0);

    m_grid.setFocus();
    m_grid.selectRow(0);
    QTest::keyClick(&m_grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(m_grid.currentRow(), m_model.rowCount() - 1);
    EXPECT_TRUE(m_grid.selectionModel()->isRowSelected(m_model.rowCount() - 1, {}));
    EXPECT_EQ(m_grid.verticalScrollBar()->value(), m_grid.verticalScrollBar()->maximum());
    EXPECT_FALSE(m_grid.verticalScrollBar()->isVisible());

    // Wider columns than the grid bring the horizontal scroll bar.
    m_grid.resize(300, 300);
    QTest::qWait(1);
    EXPECT_TRUE(m_grid.horizontalScrollBar()->isVisible());
}

TEST_F(DataGridTest, titleClick_reportsTheGridColumn)
{
    QSignalSpy clicks(&m_grid, &DataGrid::titleClicked);
    m_grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_grid));
    GridHeader *header = m_grid.gridHeader();
    const QPoint onActions(header->sectionViewportPosition(3) + 100, header->height() - 6);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onActions);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 2);
    EXPECT_EQ(m_grid.columnField(clicks.at(0).at(0).toInt()), QStringLiteral("ACTIUNE"));
    // Whole-row selection: a title click selects no column.
    EXPECT_TRUE(m_grid.selectionModel()->selectedIndexes().isEmpty());
}

TEST_F(DataGridTest, doubleClick_reportsTheRowUnderThePointerOrTheCurrentRow)
{
    QSignalSpy doubles(&m_grid, &DataGrid::rowDoubleClicked);
    m_grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_grid));
    QTest::mouseDClick(m_grid.viewport(), Qt::LeftButton, {}, cellCentre(1, 2));
    ASSERT_EQ(doubles.count(), 1);
    EXPECT_EQ(doubles.at(0).at(0).toInt(), 1);
    EXPECT_EQ(m_grid.currentRow(), 1);
    EXPECT_TRUE(m_grid.selectionModel()->isRowSelected(1, {}));
    // Read-only: no editor opens on the cell.
    EXPECT_TRUE(m_grid.findChildren<QLineEdit *>().isEmpty());

    // Below the last row: the current row.
    QTest::mouseDClick(m_grid.viewport(), Qt::LeftButton, {}, QPoint(100, 250));
    ASSERT_EQ(doubles.count(), 2);
    EXPECT_EQ(doubles.at(1).at(0).toInt(), 1);

    // An empty grid still answers a double click, with no row.
    m_model.removeRows(0, m_model.rowCount());
    QTest::mouseDClick(m_grid.viewport(), Qt::LeftButton, {}, QPoint(100, 50));
    ASSERT_EQ(doubles.count(), 3);
    EXPECT_EQ(doubles.at(2).at(0).toInt(), -1);
}

TEST_F(DataGridTest, reset_keepsTheColumnsAndTheWidthsTheUserGave)
{
    m_grid.gridHeader()->resizeSection(3, 300);
    m_model.clear();
    m_model.setHorizontalHeaderLabels({QStringLiteral("IDLOG"), QStringLiteral("DATAL"),
                                       QStringLiteral("ORA"), QStringLiteral("ACTIUNE"),
                                       QStringLiteral("UTILIZATOR")});
    addRows(2);
    EXPECT_TRUE(m_grid.gridHeader()->isSectionHidden(0));
    EXPECT_EQ(m_grid.gridHeader()->sectionSize(3), 300);
    EXPECT_EQ(m_grid.gridHeader()->sectionSize(4), 77);
    EXPECT_EQ(m_grid.gridHeader()->sectionTitle(4), QStringLiteral("Operator"));
}

TEST_F(DataGridTest, cellAlignment_followsTheColumn)
{
    DataGrid grid;
    QStandardItemModel model(1, 2);
    model.setItem(0, 0, new QStandardItem(QStringLiteral("7")));
    model.setItem(0, 1, new QStandardItem(QStringLiteral("7")));
    grid.setModel(&model);
    grid.setColumns({{{}, QStringLiteral("Nr."), 75, Qt::AlignRight, {}},
                     {{}, QStringLiteral("Seria"), 75, Qt::AlignLeft, {}}});
    grid.setTextColor(Qt::black);
    grid.resize(200, 100);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    const QImage image = grid.viewport()->grab().toImage();
    auto inkCentre = [&](int column) {
        const QRect cell = grid.visualRect(model.index(0, column));
        int sum = 0, n = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x < cell.right(); ++x)
                if (qGray(image.pixel(x, y)) < 100) {
                    sum += x - cell.left();
                    ++n;
                }
        return n ? sum / n : -1;
    };
    EXPECT_GT(inkCentre(0), 50);
    EXPECT_LT(inkCentre(1), 25);
    EXPECT_GE(inkCentre(1), 0);
}
