// Placement and sizing of the balloon hint, checked without a screen.

#include "widgets/BalloonGeometry.h"
#include "widgets/HintBalloonAnimation.h"
#include "widgets/HintBalloonContent.h"

#include <gtest/gtest.h>

using namespace dosarium;
using namespace dosarium::BalloonGeometry;

namespace {

// A text that is `length` pixels long on one line and wraps into lines 13 pixels high.
TextMeasure lineText(int length)
{
    return [length](int width) {
        const int lines = (length + width - 1) / width;
        return QSize(std::min(length, width), lines * 13);
    };
}

QPoint tailTipInWindow(const QSize &w, int position)
{
    switch (position) {
    case AboveLeft:
        return {w.width() - 20, w.height()};
    case AboveRight:
        return {20, w.height()};
    case BelowLeft:
        return {w.width() - 20, 2};
    default:
        return {20, 2};
    }
}

} // namespace

TEST(BalloonGeometry, freeRooms_leaveTailAndMarginAboveAndBelow)
{
    const Rooms rooms = freeRooms(QRect(100, 200, 50, 20), QRect(0, 0, 800, 600));
    EXPECT_EQ(rooms.left, 110);
    EXPECT_EQ(rooms.right, 660);
    EXPECT_EQ(rooms.top, 170);
    EXPECT_EQ(rooms.bottom, 350);

    // On a second screen the rooms are measured from that screen's edges.
    const Rooms second = freeRooms(QRect(900, 250, 50, 20), QRect(800, 0, 800, 600));
    EXPECT_EQ(second.left, 110);
    EXPECT_EQ(second.right, 660);
}

TEST(BalloonGeometry, largestQuadrant_multipliesSignedRoomsAndEarlierWinsATie)
{
    EXPECT_EQ(largestQuadrant({100, 100, 100, 100}), AboveLeft);
    // Below-left and above-right offer the same area; below-left comes first.
    EXPECT_EQ(largestQuadrant({300, 200, 100, 150}), BelowLeft);
    EXPECT_EQ(largestQuadrant({10, 500, 20, 400}), BelowRight);
    // Rooms are multiplied with their signs: two negative rooms give a positive product ...
    EXPECT_EQ(largestQuadrant({-50, 10, -50, 10}), AboveLeft);
    // ... and one negative room a product below that of an empty quadrant.
    EXPECT_EQ(largestQuadrant({-20, 0, 30, 0}), BelowLeft);
    // Nothing fits anywhere near the top-left corner: the largest product wins.
    EXPECT_EQ(choosePosition(0, {-50, 10, -50, 10}, QSize(100, 50)), AboveLeft);
}

TEST(BalloonGeometry, shortText_wrapsAtBestWidthLessMargins)
{
    const ContentLayout layout =
        layoutContent(QSize(32, 32), QSize(60, 13), 300, 600, 400, lineText(150));
    EXPECT_EQ(layout.icon, QRect(10, 10, 32, 32));
    EXPECT_EQ(layout.title, QRect(50, 12, 60, 13));
    EXPECT_EQ(layout.text, QRect(10, 50, 150, 13));
    EXPECT_EQ(layout.panel, QSize(170, 73));
    EXPECT_FALSE(layout.scrolls);

    const ContentLayout wrapped = layoutContent({}, {}, 300, 600, 400, lineText(1000));
    EXPECT_EQ(wrapped.text, QRect(10, 10, 280, 4 * 13));
    EXPECT_EQ(wrapped.panel, QSize(300, 10 + 52 + 10));
}

TEST(BalloonGeometry, titleWiderThanText_widensPanelAndText)
{
    const ContentLayout layout =
        layoutContent(QSize(32, 32), QSize(300, 13), 300, 600, 400, lineText(1000));
    EXPECT_EQ(layout.panel.width(), 50 + 300 + 10);
    EXPECT_EQ(layout.text.width(), 340);
    EXPECT_EQ(layout.panel.height(), layout.text.bottom() + 1 + 10);
}

TEST(BalloonGeometry, iconWithoutTitle_leavesThePanelTheTextsSize)
{
    // The icon does not widen the panel: only a title does.
    const ContentLayout layout = layoutContent(QSize(32, 32), {}, 300, 600, 400, lineText(6));
    EXPECT_EQ(layout.icon, QRect(10, 10, 32, 32));
    EXPECT_TRUE(layout.title.isEmpty());
    EXPECT_EQ(layout.text, QRect(10, 50, 6, 13));
    EXPECT_EQ(layout.panel, QSize(26, 73));
    EXPECT_EQ(layout.content, layout.panel);

    // A short title beside the icon widens the panel to the title's right plus the margin.
    const ContentLayout titled =
        layoutContent(QSize(32, 32), QSize(20, 13), 300, 600, 400, lineText(6));
    EXPECT_EQ(titled.panel.width(), 50 + 20 + 10);
}

TEST(BalloonGeometry, tooHighAtBestWidth_takesNarrowestWidthThatFits)
{
    // At 280 pixels the text needs ten lines, too many for 150 pixels of height. Wider, it
    // needs five lines at 560 and more, six from 467 to 559 and seven below: the narrowing stops
    // at 460 (seven lines, too high) and goes back to 470.
    const ContentLayout layout =
        layoutContent(QSize(32, 32), QSize(60, 13), 300, 600, 150, lineText(2800));
    EXPECT_EQ(layout.text.width(), 470);
    EXPECT_EQ(layout.panel, QSize(490, 50 + 6 * 13 + 10));
    EXPECT_FALSE(layout.scrolls);
}

TEST(BalloonGeometry, panelBeyondTheMaxima_scrollsInsideThem)
{
    const ContentLayout layout = layoutContent({}, {}, 300, 200, 100, lineText(5000));
    EXPECT_TRUE(layout.scrolls);
    EXPECT_LE(layout.panel.width(), 200);
    EXPECT_LE(layout.panel.height(), 100);
    EXPECT_GT(layout.content.height(), layout.panel.height());
    // The text leaves room for the scroll bar inside the panel.
    EXPECT_LE(layout.text.right() + 1 + 10, layout.panel.width() - 20 + 10);

    // A single word longer than any width must not keep the narrowing going for ever.
    const TextMeasure unbreakable = [](int) { return QSize(900, 13); };
    const ContentLayout word = layoutContent({}, {}, 300, 400, 100, unbreakable);
    EXPECT_TRUE(word.scrolls);
    EXPECT_EQ(word.panel.width(), 400);
}

TEST(BalloonGeometry, choosePosition_triesInTurnThenTakesTheLargest)
{
    const QSize panel(300, 100);
    EXPECT_EQ(choosePosition(0, {400, 400, 400, 400}, panel), AboveLeft);
    // Near the top-left corner only the room below and to the right holds the panel.
    EXPECT_EQ(choosePosition(0, {20, 700, -10, 500}, panel), BelowRight);
    // The turn starts at the requested position and wraps round.
    EXPECT_EQ(choosePosition(3, {400, 10, 400, 10}, panel), AboveLeft);
    EXPECT_EQ(choosePosition(2, {10, 400, 400, 10}, panel), AboveRight);
    // Nothing fits: the largest quadrant.
    EXPECT_EQ(choosePosition(0, {100, 200, 50, 60}, panel), BelowRight);
}

TEST(BalloonGeometry, windowRect_putsTheTailTipOnTheControlCorner)
{
    const QRect control(300, 200, 80, 21);
    const QPoint corners[] = {{300, 200}, {380, 200}, {300, 221}, {380, 221}};
    for (int position = 0; position < 4; ++position) {
        const QPoint tip = tailTip(control, position);
        EXPECT_EQ(tip, corners[position]) << position;
        const QSize size = windowSize(QSize(170, 73), position);
        const QRect rect = windowRect(tip, size, position);
        EXPECT_EQ(rect.topLeft() + tailTipInWindow(size, position), tip) << position;
        EXPECT_TRUE(tailTriangle(size, position).contains(tailTipInWindow(size, position)));
    }
    EXPECT_EQ(windowSize(QSize(170, 73), AboveLeft), QSize(171, 92));
    EXPECT_EQ(windowSize(QSize(170, 73), BelowRight), QSize(171, 96));
    EXPECT_EQ(windowSize(QSize(20, 20), AboveRight).width(), 41);
    EXPECT_EQ(panelOrigin(BelowLeft), QPoint(0, 22));
}

TEST(BalloonGeometry, bubbleRegion_isRoundedBodyJoinedWithTail)
{
    const QSize size(171, 92);
    const QRegion above = bubbleRegion(size, AboveLeft);
    EXPECT_EQ(bodyRect(size, AboveLeft), QRect(0, 0, 171, 74));
    EXPECT_TRUE(above.contains(QPoint(85, 40)));
    EXPECT_FALSE(above.contains(QPoint(0, 0)));   // rounded corner
    EXPECT_TRUE(above.contains(QPoint(149, 85))); // inside the tail, below the body
    EXPECT_FALSE(above.contains(QPoint(30, 85))); // below the body, away from the tail
    EXPECT_FALSE(above.contains(QPoint(160, 85)));

    const QRegion below = bubbleRegion(QSize(171, 96), BelowRight);
    EXPECT_TRUE(below.contains(QPoint(21, 10)));
    EXPECT_FALSE(below.contains(QPoint(100, 10)));
    EXPECT_TRUE(below.contains(QPoint(100, 60)));
}

TEST(BalloonGeometry, frameRegion_isTheOnePixelBorder)
{
    const QRegion square(QRect(0, 0, 10, 10));
    const QRegion frame = frameRegion(square);
    EXPECT_TRUE(frame.contains(QPoint(0, 5)));
    EXPECT_TRUE(frame.contains(QPoint(9, 9)));
    EXPECT_FALSE(frame.contains(QPoint(1, 1)));
    EXPECT_EQ(frame.subtracted(square), QRegion());

    // Body and tail share one outline: no frame line where the tail joins the body.
    const QSize size(171, 92);
    const QRegion bubbleFrame = frameRegion(bubbleRegion(size, AboveLeft));
    EXPECT_FALSE(bubbleFrame.contains(QPoint(145, 73)));
    EXPECT_TRUE(bubbleFrame.contains(QPoint(60, 73)));
}

TEST(HintBalloonAnimation, revealAndSlide_followTheDirection)
{
    const QSize size(200, 100);
    using HintBalloonAnimation::revealedRect;
    using HintBalloonAnimation::slideOffset;
    EXPECT_EQ(revealedRect(batWipeLeftToRight, size, 0.25), QRect(0, 0, 50, 100));
    EXPECT_EQ(revealedRect(batWipeBottomToTop, size, 0.5), QRect(0, 50, 200, 50));
    EXPECT_EQ(revealedRect(batCenter, size, 0.5), QRect(50, 25, 100, 50));
    EXPECT_EQ(revealedRect(batBlend, size, 0.1), QRect(0, 0, 200, 100));
    EXPECT_EQ(slideOffset(batSlideLeftToRight, size, 0.25), QPoint(-150, 0));
    EXPECT_EQ(slideOffset(batSlideBottomToTop, size, 0.25), QPoint(0, 75));
    EXPECT_EQ(slideOffset(batWipeLeftToRight, size, 0.25), QPoint(0, 0));
    for (auto type : {batCenter, batSlideRightToLeft, batWipeTopToBottom}) {
        EXPECT_EQ(revealedRect(type, size, 1.0), QRect(QPoint(0, 0), size));
        EXPECT_EQ(slideOffset(type, size, 1.0), QPoint(0, 0));
    }
}

TEST(HintBalloonContent, description_keepsSeparatorsQuotesAndLineBreaks)
{
    HintBalloonContent content;
    content.iconResName = QStringLiteral("ERROR");
    content.title = QStringLiteral("Problema !");
    content.text = QStringLiteral("Nu e bine; vezi 'campul'\rsi apoi=altceva");
    content.bestWidth = 300;
    content.maxWidth = 610;
    content.maxHeight = -5;
    const QString description = content.toDescription();
    EXPECT_TRUE(description.startsWith(QLatin1String("IconeResName=ERROR;'Title=Problema !';")))
        << description.toStdString();
    EXPECT_EQ(HintBalloonContent::fromDescription(description), content);

    HintBalloonContent empty;
    EXPECT_EQ(HintBalloonContent::fromDescription(empty.toDescription()), empty);
}
