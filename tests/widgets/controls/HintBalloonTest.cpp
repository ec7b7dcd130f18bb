// The balloon hint on the (offscreen) screen: where it goes, what it looks like, how it closes.

#include "widgets/HintBalloon.h"
#include "widgets/BalloonGeometry.h"
#include "widgets/HintBalloonControl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTest>

using namespace dosarium;

namespace {

class HintBalloonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hint.setDuration(0);
        m_hint.setAnimationType(batNone);
        m_screen = QGuiApplication::primaryScreen()->geometry();
    }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<THintBalloon *>(w))
                w->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    THintBalloon *show(int x, int y, const QString &text = QStringLiteral("Completati campul."))
    {
        return m_hint.showBalloon(1, QStringLiteral("Problema !"), 0, nullptr, x, y, 300, text);
    }

    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    THintBalloonControl m_hint;
    QRect m_screen;
};

QPoint tailTipInWindow(const QSize &w, int position)
{
    switch (position) {
    case 0:
        return {w.width() - 20, w.height()};
    case 1:
        return {20, w.height()};
    case 2:
        return {w.width() - 20, 2};
    default:
        return {20, 2};
    }
}

} // namespace

TEST_F(HintBalloonTest, nearEachScreenCorner_choosesThePlaceWithRoom)
{
    const int w = m_screen.width();
    const int h = m_screen.height();
    struct Case {
        QPoint point;
        int position;
    };
    const Case cases[] = {
        {{40, 40}, 3},         // top-left: below, to the right
        {{w - 40, 40}, 2},     // top-right: below, to the left
        {{40, h - 40}, 1},     // bottom-left: above, to the right
        {{w - 40, h - 40}, 0}, // bottom-right: the requested place, above and to the left
    };
    for (const Case &c : cases) {
        THintBalloon *balloon = show(c.point.x(), c.point.y());
        EXPECT_EQ(balloon->position(), c.position) << c.point.x() << "," << c.point.y();
        EXPECT_EQ(balloon->geometry().topLeft() + tailTipInWindow(balloon->size(), c.position),
                  c.point);
        EXPECT_TRUE(m_screen.contains(balloon->geometry())) << c.position;
        balloon->close();
    }
}

TEST_F(HintBalloonTest, pointsAtTheTopLeftCornerOfAControl)
{
    QWidget window;
    window.setGeometry(200, 300, 400, 200);
    auto *edit = new QLineEdit(&window);
    edit->setGeometry(40, 50, 120, 21);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    THintBalloon *balloon = m_hint.showBalloon(1, QStringLiteral("Problema !"), 0, edit, 10, 10,
                                               300, QStringLiteral("Numele lipseste."));
    const QPoint corner = edit->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(balloon->position(), 0);
    EXPECT_EQ(balloon->geometry().topLeft() + tailTipInWindow(balloon->size(), 0), corner);
    EXPECT_EQ(balloon->content().maxWidth,
              BalloonGeometry::quadrantRoom(
                  BalloonGeometry::freeRooms(QRect(corner, edit->size()), m_screen),
                  BalloonGeometry::largestQuadrant(
                      BalloonGeometry::freeRooms(QRect(corner, edit->size()), m_screen)))
                  .width());
}

TEST_F(HintBalloonTest, picture_isPaleYellowBubbleWithBlackOutlineAndIcon)
{
    THintBalloon *balloon = show(20, 20);
    ASSERT_EQ(balloon->position(), 3);
    const QImage picture = balloon->grab().toImage();
    const QSize size = balloon->size();
    EXPECT_EQ(balloon->mask(), BalloonGeometry::bubbleRegion(size, 3));

    const int mid = size.width() / 2;
    EXPECT_EQ(picture.pixel(mid, 22) & 0xFFFFFF, 0x000000u); // top edge of the body
    EXPECT_EQ(picture.pixel(0, 60) & 0xFFFFFF, 0x000000u);   // left edge
    EXPECT_EQ(picture.pixel(size.width() - 1, 60) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(picture.pixel(mid, size.height() - 1) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(picture.pixel(20, 5) & 0xFFFFFF, 0x000000u);                 // tail's upright side
    EXPECT_EQ(picture.pixel(24, 19) & 0xFFFFFF, THintBalloon::PanelColor); // inside the tail
    EXPECT_EQ(picture.pixel(size.width() - 4, size.height() - 4) & 0xFFFFFF,
              THintBalloon::PanelColor);

    // The error icon at (10, 10) of the panel: red around, white cross through its centre.
    const QPoint icon(10, 22 + 10);
    const QColor disc = picture.pixelColor(icon + QPoint(16, 5));
    EXPECT_GT(disc.red(), 150);
    EXPECT_LT(disc.green(), 120);
    EXPECT_EQ(picture.pixelColor(icon + QPoint(16, 16)), QColor(Qt::white));

    // The title is drawn in black to the right of the icon.
    bool titleInk = false;
    const QRect title = balloon->contentLayout().title.translated(0, 22);
    for (int y = title.top(); y <= title.bottom(); ++y)
        for (int x = title.left(); x <= title.right(); ++x)
            titleInk = titleInk || qGray(picture.pixel(x, y)) < 60;
    EXPECT_TRUE(titleInk);
}

TEST_F(HintBalloonTest, settings_areReachedByName)
{
    EXPECT_TRUE(m_hint.setProperty("AnimationType", QVariant::fromValue(batWipeTopToBottom)));
    EXPECT_EQ(m_hint.animationType(), batWipeTopToBottom);
    EXPECT_EQ(m_hint.property("AnimationType").value<THintBalloonAnimationType>(),
              batWipeTopToBottom);
    EXPECT_TRUE(m_hint.setProperty("Duration", 5000));
    EXPECT_TRUE(m_hint.setProperty("AnimationSpeed", 50));
    EXPECT_EQ(m_hint.duration(), 5000);
    EXPECT_EQ(m_hint.animationSpeed(), 50);
}

TEST_F(HintBalloonTest, click_closesAndDestroysTheBalloon)
{
    QPointer<THintBalloon> balloon = show(400, 400);
    ASSERT_TRUE(balloon->isVisible());
    QTest::mouseClick(balloon, Qt::LeftButton, {}, QPoint(balloon->width() / 2, 30));
    EXPECT_FALSE(balloon && balloon->isVisible());
    flushDeletes();
    EXPECT_TRUE(balloon.isNull());
}

TEST_F(HintBalloonTest, duration_closesTheBalloonByItself)
{
    m_hint.setDuration(40);
    QPointer<THintBalloon> balloon = show(400, 400);
    EXPECT_TRUE(balloon->closesByTimer());
    EXPECT_EQ(balloon->duration(), 40);
    EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.isNull(); }, 2000));

    m_hint.setDuration(0);
    QPointer<THintBalloon> lasting = show(400, 400);
    EXPECT_FALSE(lasting->closesByTimer());
}

TEST_F(HintBalloonTest, focus_movesToTheBalloonAndItsLossClosesIt)
{
    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QColor activeText = window.palette().color(QPalette::Active, QPalette::WindowText);
    const QColor inactiveText = window.palette().color(QPalette::Inactive, QPalette::WindowText);

    QPointer<THintBalloon> balloon = show(300, 300);
    EXPECT_EQ(balloon->rememberedWindow(), &window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return balloon->hasFocus(); }, 2000));
    // The window under it keeps its active look.
    EXPECT_EQ(window.palette().color(QPalette::Inactive, QPalette::WindowText), activeText);

    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.isNull() || !balloon->isVisible(); }, 2000));
    flushDeletes();
    EXPECT_TRUE(balloon.isNull());
    EXPECT_EQ(window.palette().color(QPalette::Inactive, QPalette::WindowText), inactiveText);
}

TEST_F(HintBalloonTest, blend_fadesTheWindowInOverTheAnimationSpeed)
{
    m_hint.setAnimationType(batBlend);
    m_hint.setAnimationSpeed(50);
    THintBalloon *balloon = show(400, 400);
    auto *fade = qobject_cast<QPropertyAnimation *>(balloon->animation());
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(fade->propertyName(), QByteArray("windowOpacity"));
    EXPECT_EQ(fade->duration(), 50);
    EXPECT_EQ(fade->endValue().toDouble(), 1.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return balloon->windowOpacity() == 1.0; }, 2000));

    m_hint.setAnimationType(batWipeTopToBottom);
    THintBalloon *wipe = show(400, 400);
    ASSERT_NE(wipe->animation(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return wipe->animation() == nullptr; }, 2000));
    EXPECT_EQ(wipe->mask(), BalloonGeometry::bubbleRegion(wipe->size(), wipe->position()));

    m_hint.setAnimationType(batNone);
    THintBalloon *plain = show(400, 400);
    EXPECT_EQ(plain->animation(), nullptr);
    EXPECT_EQ(plain->windowOpacity(), 1.0);
}

TEST_F(HintBalloonTest, longText_scrollsInsideTheRoomAvailable)
{
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("Valoarea introdusa nu este acceptata. ");
    THintBalloon *balloon = show(400, 400, text);
    EXPECT_TRUE(balloon->contentLayout().scrolls);
    EXPECT_TRUE(m_screen.contains(balloon->geometry()));
}
