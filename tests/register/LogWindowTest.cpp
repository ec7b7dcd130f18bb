// The activity log window: its look, the log read afresh at every opening and standing on the
// newest entry, and the ways it closes.
#include "register/LogWindow.h"
#include "RegisterData.h"
#include "TestApplication.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "widgets/DataGrid.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/GradientPanel.h"
#include "widgets/GridHeader.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

class LogWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    // Opens the log, runs `inside` while it shows, then closes it with `key` (Escape or Alt+I).
    void open(const std::function<void()> &inside, QKeyCombination key = Qt::Key_Escape)
    {
        bool ran = false;
        QTimer::singleShot(0, &window, [&] {
            inside();
            ran = true;
            QTest::keyClick(window.DBGrid3, key.key(), key.keyboardModifiers());
        });
        window.OpenLog();
        ASSERT_TRUE(ran);
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(window.Lx().isOpen());
    }
    void log(const QString &action) { data.workspace.WriteLog(action); }

    RegisterData data;
    TLogView window{data.workspace};
};

TEST_F(LogWindowTest, look_matchesItsDesign)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Istoric modificari date"));
    EXPECT_EQ(window.size(), QSize(757, 660));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.Label1->text(), QStringLiteral("Ultimele actiuni facute in program"));
    EXPECT_EQ(window.Label1->pos(), QPoint(8, 14));
    EXPECT_EQ(window.Header->height(), 41);
    EXPECT_EQ(window.Footer->geometry(), QRect(0, 619, 757, 41));
    EXPECT_EQ(window.CloseBut->geometry(), QRect(626, 10, 106, 25));
    EXPECT_EQ(window.CloseBut->text(), QStringLiteral("&Inchide"));
    const QList<DataGridColumn> &columns = window.DBGrid3->columns();
    ASSERT_EQ(columns.size(), 5);
    EXPECT_EQ(columns.at(0).band, QStringLiteral("Data si ora"));
    EXPECT_EQ(columns.at(1).band, QStringLiteral("Data si ora"));
    EXPECT_EQ(columns.at(1).alignment, Qt::AlignCenter);
    // A whole date and a whole time show, not cut short.
    const QFontMetrics metrics(window.DBGrid3->font());
    EXPECT_GT(columns.at(0).width, metrics.horizontalAdvance(QStringLiteral("28.08.2025")));
    EXPECT_GT(columns.at(1).width, metrics.horizontalAdvance(QStringLiteral("23:59:59")));
    int total = 0;
    for (const DataGridColumn &column : columns)
        total += column.width;
    EXPECT_LT(total, window.DBGrid3->width()); // and no scroll bar on the way in

    EXPECT_EQ(columns.at(2).width, 420);
    EXPECT_EQ(columns.at(3).title, QStringLiteral("Utilizator"));
    EXPECT_EQ(columns.at(4).title, QStringLiteral("Operator"));
    EXPECT_EQ(columns.at(4).width, 77);
    EXPECT_EQ(window.DBGrid3->rowColor(1), QColor(0xDB, 0xE6, 0xEE));
    // Wider: the button keeps its distance to the right edge.
    window.show();
    window.resize(957, 660);
    EXPECT_EQ(window.CloseBut->x(), 826);
    window.hide();
    EXPECT_EQ(
        logQueryLines(QStringLiteral("/d")),
        (QStringList{QStringLiteral("SELECT * FROM \"") +
                         QDir::toNativeSeparators(QStringLiteral("/d/Log.dbf")) + QLatin1Char('"'),
                     QStringLiteral("ORDER BY IDLOG")}));
}

TEST_F(LogWindowTest, opensOnTheNewestEntry_readsAfreshEachTime_andClosesByEscapeOrAltI)
{
    open([&] { EXPECT_EQ(window.DBGrid3->model()->rowCount(), 0); });

    for (int i = 1; i <= 60; ++i)
        log(QStringLiteral("Actiunea %1").arg(i));
    open(
        [&] {
            EXPECT_TRUE(window.isVisible());
            EXPECT_EQ(window.DBGrid3->model()->rowCount(), 60);
            EXPECT_EQ(window.Lx().asString(QStringLiteral("ACTIUNE")),
                      QStringLiteral("Actiunea 60"));
            EXPECT_EQ(window.DBGrid3->currentRow(), 59);
            const QRect newest = window.DBGrid3->visualRect(window.DBGrid3->currentIndex());
            EXPECT_TRUE(window.DBGrid3->viewport()->rect().contains(newest.center()));
            // Older entries above, in IDLOG order.
            QTest::keyClick(window.DBGrid3, Qt::Key_Up);
            EXPECT_EQ(window.Lx().asString(QStringLiteral("ACTIUNE")),
                      QStringLiteral("Actiunea 59"));
        },
        QKeyCombination(Qt::AltModifier, Qt::Key_I));

    log(QStringLiteral("Acces in program."));
    open([&] {
        EXPECT_EQ(window.DBGrid3->model()->rowCount(), 61);
        EXPECT_EQ(window.Lx().asString(QStringLiteral("ACTIUNE")),
                  QStringLiteral("Acces in program."));
        EXPECT_EQ(window.Lx().asString(QStringLiteral("DATAL")).size(), 10);
    });
    // "&Inchide" closes as well.
    QTimer::singleShot(0, &window, [&] { window.CloseBut->click(); });
    window.OpenLog();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(LogWindowTest, aMissingLog_stopsBeforeTheWindowShows)
{
    ASSERT_TRUE(QFile::remove(resolveFileName(data.workspace.logPath())));
    EXPECT_THROW(window.OpenLog(), Error);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
