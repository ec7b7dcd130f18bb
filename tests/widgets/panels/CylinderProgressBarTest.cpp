// The cylinder progress bar: the filled length, the colours along and across the bar, blocks,
// the unfilled part, captions and hints, and the two bars of the program.
#include "widgets/CylinderProgressBar.h"

#include <QApplication>
#include <QMetaProperty>
#include <QTest>
#include <gtest/gtest.h>

#include "TestApplication.h"

using namespace dosarium;

namespace {

constexpr QRgb outside = 0xFFFF00FF; // what lies under the bar in a rendered picture

QImage renderBar(TCylinderProgressBar &bar)
{
    QImage image(bar.size(), QImage::Format_RGB32);
    image.fill(outside);
    bar.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The splash window's bar.
void makeSplashBar(TCylinderProgressBar &bar)
{
    bar.resize(353, 25);
    bar.setBarKind(bkCylinder);
    bar.setBarLook(blMetal);
    bar.setShapeColor(QColor(0x0000FF));
    bar.setBackgroundColor(QColor(0x8080FF));
    bar.setBarColor(QColor(0x000080));
    bar.setFinalColor(QColor(0x00FFFF));
    bar.setShowInactivePos(true);
    bar.setInactivePosColor(QColor(0xACB8CC));
    bar.setBlockSize(0);
    bar.setSpaceSize(1);
}

// The progress window's bar.
void makeProgressBar(TCylinderProgressBar &bar)
{
    bar.resize(300, 24);
    bar.setBarKind(bkCylinder);
    bar.setBarLook(blGlass);
    bar.setShaped(false);
    bar.setShapeColor(QColor(0xC0C0C0));
    bar.setBackgroundColor(QColor(0x000040));
    bar.setStartColor(QColor(0x455774));
    bar.setFinalColor(QColor(0x00CCCC));
    bar.setBlockSize(4);
    bar.setSpaceSize(1);
    bar.setCaptionAlign(Qt::AlignHCenter);
    bar.setShowPosAsPct(true);
}

} // namespace

class CylinderProgressBarTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
};

TEST_F(CylinderProgressBarTest, newBar_hasTheDefaultSettings)
{
    TCylinderProgressBar bar;
    EXPECT_EQ(bar.orientation(), boHorizontal);
    EXPECT_EQ(bar.barKind(), bkFlat);
    EXPECT_EQ(bar.barLook(), blMetal);
    EXPECT_TRUE(bar.roundCorner());
    EXPECT_TRUE(bar.shaped());
    EXPECT_EQ(bar.shapeColor(), QColor(0x00, 0x3C, 0x74));
    EXPECT_EQ(bar.backgroundColor(), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(bar.startColor(), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(bar.finalColor(), QColor(0x00, 0xFF, 0x00));
    EXPECT_FALSE(bar.showInactivePos());
    EXPECT_EQ(bar.inactivePosColor(), QColor(0x80, 0x80, 0x80));
    EXPECT_FALSE(bar.invertInactPos());
    EXPECT_EQ(bar.blockSize(), 0);
    EXPECT_EQ(bar.spaceSize(), 0);
    EXPECT_FALSE(bar.showFullBlock());
    EXPECT_EQ(bar.maximum(), 100);
    EXPECT_EQ(bar.position(), 0);
    EXPECT_TRUE(bar.caption().isEmpty());
    EXPECT_EQ(bar.captionAlign(), Qt::AlignLeft);
    EXPECT_FALSE(bar.AutoCaption());
    EXPECT_FALSE(bar.ShowPosAsPct());
    EXPECT_FALSE(bar.AutoHint());
    EXPECT_EQ(bar.size(), QSize(64, 16));
    EXPECT_EQ(bar.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(bar.margin(), 4);
    EXPECT_EQ(bar.usableLength(), 60);
    EXPECT_EQ(bar.filledEnd(), 0);
}

TEST_F(CylinderProgressBarTest, border_followsTheThicknessAcrossTheBar)
{
    EXPECT_EQ(cylinderBorderWidth(10), 2);
    EXPECT_EQ(cylinderBorderWidth(9), 1);
    EXPECT_EQ(cylinderMargin(25), 4);
    EXPECT_EQ(cylinderMargin(9), 2);

    TCylinderProgressBar bar;
    bar.resize(200, 8);
    EXPECT_EQ(bar.borderWidth(), 1);
    EXPECT_EQ(bar.usableLength(), 198);
    // upright, the thickness is the width and the length the height
    bar.setOrientation(boVertical);
    bar.resize(8, 120);
    EXPECT_EQ(bar.margin(), 2);
    EXPECT_EQ(bar.usableLength(), 118);
    bar.resize(24, 120);
    EXPECT_EQ(bar.margin(), 4);
    EXPECT_EQ(bar.usableLength(), 116);
}

TEST_F(CylinderProgressBarTest, thinBar_startsBlocksAndUnfilledPartAtColumnThree)
{
    // 8 pixels thick: the margin is 2, so the filled part starts at column 1 and runs over the
    // rows 1 to 6, but the blocks and the unfilled part start at column 3 as on a thick bar.
    const QRgb green = qRgb(0x00, 0xFF, 0x00);
    const QRgb grey = qRgb(0x80, 0x80, 0x80);
    TCylinderProgressBar bar;
    bar.resize(120, 8); // L = 118
    bar.setShaped(false);
    bar.setShowInactivePos(true);
    QImage image = renderBar(bar);
    for (int y = 0; y < 8; ++y) {
        const bool inside = y >= 1 && y <= 6;
        for (int x : {1, 2, 119})
            EXPECT_EQ(image.pixel(x, y), outside) << x << "," << y;
        for (int x : {3, 118})
            EXPECT_EQ(image.pixel(x, y), inside ? grey : outside) << x << "," << y;
    }

    bar.setBlockSize(4);
    bar.setSpaceSize(1);
    bar.setPosition(20); // 23.6 rounds to 24, two columns into the block 23..26
    EXPECT_EQ(bar.filledEnd(), 24);
    image = renderBar(bar);
    for (int x = 0; x <= 32; ++x) {
        const bool gap = x >= 3 && (x - 3) % 5 == 4;
        const QRgb expected = x == 0 || gap ? outside : x <= 24 ? green : grey;
        EXPECT_EQ(image.pixel(x, 4), expected) << "column " << x;
    }

    // upright, the columns count from the bottom
    bar.setPosition(0);
    bar.setOrientation(boVertical);
    bar.resize(8, 120);
    image = renderBar(bar);
    EXPECT_EQ(image.pixel(4, 119 - 2), outside);
    EXPECT_EQ(image.pixel(4, 119 - 3), grey);
    EXPECT_EQ(image.pixel(4, 119 - 7), outside); // the first gap
}

TEST_F(CylinderProgressBarTest, filledEnd_followsThePositionWithAMinimumSliver)
{
    // 300-pixel bar, L = 296, m = 4
    EXPECT_EQ(cylinderFilledEnd(1, 100, 296, 4), 5); // 2.96 is raised to m + 1
    EXPECT_EQ(cylinderFilledEnd(1, 1000, 296, 4), 5);
    EXPECT_EQ(cylinderFilledEnd(2, 100, 296, 4), 6); // 5.92
    EXPECT_EQ(cylinderFilledEnd(50, 100, 296, 4), 148);
    EXPECT_EQ(cylinderFilledEnd(1, 3, 296, 4), 99);     // 98.67
    EXPECT_EQ(cylinderFilledEnd(50, 100, 349, 4), 175); // 174.5, the splash bar at 50
    EXPECT_EQ(cylinderFilledEnd(100, 100, 296, 4), 296);
    EXPECT_EQ(cylinderFilledEnd(150, 100, 296, 4), 296);
    EXPECT_EQ(cylinderFilledEnd(0, 100, 296, 4), 0);
    EXPECT_EQ(cylinderFilledEnd(-3, 100, 296, 4), 0);
    EXPECT_EQ(cylinderFilledEnd(1, 100, 3, 4), 3); // never beyond the usable length
    EXPECT_DOUBLE_EQ(cylinderPercent(1, 3), 100.0 / 3);
    EXPECT_DOUBLE_EQ(cylinderPercent(250, 200), 100.0);
}

TEST_F(CylinderProgressBarTest, positionOne_fillsTheSmallestSliver)
{
    TCylinderProgressBar bar;
    bar.resize(300, 24);
    bar.setShaped(false);
    bar.setBackgroundColor(QColor(0x000040));
    bar.setPosition(1);
    EXPECT_EQ(bar.filledEnd(), 5);
    const QImage image = renderBar(bar);
    for (int x = 0; x < 12; ++x) {
        const bool filled = x >= 3 && x <= 5;
        for (int y = 0; y < 24; ++y) {
            const bool inside = y >= 3 && y <= 20;
            EXPECT_EQ(image.pixel(x, y), filled && inside ? qRgb(0, 0xFF, 0) : outside)
                << x << "," << y;
        }
    }
}

TEST_F(CylinderProgressBarTest, positionAboveMaximum_drawsAFullBar)
{
    TCylinderProgressBar bar;
    makeProgressBar(bar);
    bar.setBlockSize(0);
    bar.setPosition(150);
    EXPECT_EQ(bar.position(), 100);
    EXPECT_EQ(bar.filledEnd(), 296);
    const QImage image = renderBar(bar);
    const QList<QRgb> lastShades = cylinderShades(0x00CCCC, 21, blGlass, false);
    for (int y = 3; y <= 20; ++y) {
        EXPECT_EQ(image.pixel(296, y), lastShades[y]);
        EXPECT_EQ(image.pixel(297, y), outside);
        EXPECT_EQ(image.pixel(2, y), outside);
        EXPECT_NE(image.pixel(3, y), outside);
    }
    EXPECT_EQ(image.pixel(296, 10), qRgb(0x6A, 0xFF, 0xFF)); // the final colour, lit
}

TEST_F(CylinderProgressBarTest, maximumZero_keepsTheBarEmptyAndStoresPositions)
{
    TCylinderProgressBar bar;
    bar.resize(300, 24);
    bar.setPosition(70);
    EXPECT_GT(bar.filledEnd(), 0);
    bar.setMaximum(-5);
    EXPECT_EQ(bar.maximum(), 0);
    EXPECT_EQ(bar.filledEnd(), 0);
    bar.setPosition(30);
    EXPECT_EQ(bar.position(), 30);
    EXPECT_EQ(bar.filledEnd(), 0);
    bar.setMaximum(60);
    EXPECT_EQ(bar.filledEnd(), 148);
    // a smaller maximum cuts the stored position
    bar.setMaximum(20);
    EXPECT_EQ(bar.position(), 20);
    EXPECT_EQ(bar.filledEnd(), 296);
}

TEST_F(CylinderProgressBarTest, columnColour_runsFromStartToFinal)
{
    const QRgb start = qRgb(0x45, 0x57, 0x74);
    const QRgb final = qRgb(0x00, 0xCC, 0xCC);
    EXPECT_EQ(cylinderColumnColor(start, final, 0, 296), start);
    EXPECT_EQ(cylinderColumnColor(start, final, 296, 296), final);
    EXPECT_EQ(cylinderColumnColor(start, final, 3, 296), qRgb(0x45, 0x58, 0x74));
    EXPECT_EQ(cylinderColumnColor(start, final, 148, 296), qRgb(0x23, 0x91, 0xA0));
    // falling channels are cut towards the start colour as well
    EXPECT_EQ(cylinderColumnColor(qRgb(0, 0, 0xCC), qRgb(0, 0, 0), 1, 3), qRgb(0, 0, 0x88));
    EXPECT_EQ(cylinderColumnColor(start, start, 123, 296), start);
}

TEST_F(CylinderProgressBarTest, lightnessProfile_isBrightAboveAndFallsOffBelow)
{
    EXPECT_NEAR(cylinderLightnessProfile(0.0), 166.8, 1e-9);
    EXPECT_NEAR(cylinderLightnessProfile(0.25), 170.352, 1e-3);
    EXPECT_NEAR(cylinderLightnessProfile(0.75), 137.264, 1e-3);
    EXPECT_NEAR(cylinderLightnessProfile(1.0), 21.396, 1e-3);

    // glass: the profile alone; metal: moved by the colour's lightness, kept within the scale
    const QList<QRgb> glass = cylinderShades(0x808080, 21, blGlass, false);
    ASSERT_EQ(glass.size(), 21);
    EXPECT_EQ(glass[3], qRgb(0xB3, 0xB3, 0xB3));
    EXPECT_EQ(cylinderShades(0x808080, 21, blGlass, true)[3], qRgb(0x4B, 0x4B, 0x4B));
    EXPECT_EQ(cylinderShades(0x808080, 21, blGlass, true)[20], qRgb(0xC5, 0xC5, 0xC5));
    const QList<QRgb> metal = cylinderShades(0x808080, 21, blMetal, false);
    EXPECT_EQ(metal[3], qRgb(0x50, 0x50, 0x50));
    EXPECT_EQ(metal[12], qRgb(0x4C, 0x4C, 0x4C));
    EXPECT_EQ(cylinderShades(0x808080, 21, blMetal, true)[3], qRgb(0xAE, 0xAE, 0xAE));
    // navy is dark: its metal shading bottoms out at black
    EXPECT_EQ(cylinderShades(0x000080, 22, blMetal, false)[21], qRgb(0, 0, 0));
}

TEST_F(CylinderProgressBarTest, splashBar_isAMetalRodOverAGlassyRest)
{
    TCylinderProgressBar bar;
    makeSplashBar(bar);
    bar.setPosition(50);
    EXPECT_EQ(bar.filledEnd(), 175);
    const QImage image = renderBar(bar);
    struct Pixel {
        int x, y;
        QRgb color;
    };
    const Pixel pixels[] = {
        {3, 3, 0x000124},    {3, 10, 0x000128},   {3, 21, 0x000000},  {100, 8, 0x00224D},
        {175, 12, 0x003F5E}, {175, 21, 0x000000}, {176, 3, 0x7387A8}, {176, 12, 0x7085A7},
        {300, 21, 0x0E1116}, {349, 12, 0x7085A7},
    };
    for (const Pixel &p : pixels)
        EXPECT_EQ(image.pixel(p.x, p.y), qRgb(qRed(p.color), qGreen(p.color), qBlue(p.color)))
            << p.x << "," << p.y;
    // between the outline and the bar lies the background
    EXPECT_EQ(image.pixel(100, 2), qRgb(0x80, 0x80, 0xFF));
    EXPECT_EQ(image.pixel(350, 12), qRgb(0x80, 0x80, 0xFF));
    EXPECT_EQ(image.pixel(100, 0), qRgb(0x00, 0x00, 0xFF));
    EXPECT_EQ(image.pixel(0, 12), qRgb(0x00, 0x00, 0xFF));
    // the rounded corner leaves the very corner to what lies under the bar
    EXPECT_EQ(image.pixel(0, 0), outside);
    EXPECT_TRUE(bar.caption().isEmpty());
}

TEST_F(CylinderProgressBarTest, progressBar_isAGlassRodInBlocks)
{
    TCylinderProgressBar bar;
    makeProgressBar(bar);
    bar.setPosition(50);
    EXPECT_EQ(bar.filledEnd(), 148);
    const QImage image = renderBar(bar);
    EXPECT_EQ(image.pixel(3, 3), qRgb(0xA0, 0xAF, 0xC7));
    EXPECT_EQ(image.pixel(3, 20), qRgb(0x2B, 0x36, 0x48));
    EXPECT_EQ(image.pixel(8, 12), qRgb(0x98, 0xAC, 0xC5));
    EXPECT_EQ(image.pixel(50, 5), qRgb(0x98, 0xBE, 0xD1));
    EXPECT_EQ(image.pixel(148, 10), qRgb(0x85, 0xD9, 0xE4));
    EXPECT_EQ(image.pixel(148, 20), qRgb(0x14, 0x55, 0x5F));
    // blocks of 4 from column 3, gaps of 1 left unpainted; nothing beyond the filled end
    for (int x = 0; x <= 160; ++x) {
        const bool gap = x >= 3 && (x - 3) % 5 == 4;
        const bool drawn = x >= 3 && x <= 148 && !gap;
        EXPECT_EQ(image.pixel(x, 12) != outside, drawn) << "column " << x;
    }
    // without an outline nothing is drawn around the bar, not even its background colour
    EXPECT_EQ(image.pixel(0, 0), outside);
    EXPECT_EQ(image.pixel(299, 23), outside);
    EXPECT_EQ(image.pixel(8, 2), outside);
    // a caption is drawn only when there is one
    EXPECT_TRUE(bar.caption().isEmpty());
}

TEST_F(CylinderProgressBarTest, fullBlocks_waitUntilTheyAreReached)
{
    TCylinderProgressBar bar;
    makeProgressBar(bar);
    bar.resize(299, 24); // L = 295: the last block is cut to 293..295
    bar.setShowFullBlock(true);
    bar.setPosition(50); // f = round(147.5) = 148, the first column of the block 148..151
    EXPECT_EQ(bar.filledEnd(), 148);
    QImage image = renderBar(bar);
    EXPECT_NE(image.pixel(147 - 1, 12), outside); // block 143..146 is full
    for (int x = 148; x <= 151; ++x)
        EXPECT_EQ(image.pixel(x, 12), outside) << x;

    // with the unfilled part shown the waiting block takes the inactive colours
    bar.setShowInactivePos(true);
    image = renderBar(bar);
    const QList<QRgb> inactive = cylinderShades(0x808080, 21, blGlass, false);
    for (int x = 148; x <= 151; ++x)
        EXPECT_EQ(image.pixel(x, 12), inactive[12]) << x;
    EXPECT_EQ(image.pixel(152, 12), outside); // gap
    EXPECT_EQ(image.pixel(295, 12), inactive[12]);
    EXPECT_EQ(image.pixel(296, 12), outside);

    bar.setPosition(100);
    image = renderBar(bar);
    const QList<QRgb> last = cylinderShades(0x00CCCC, 21, blGlass, false);
    EXPECT_EQ(image.pixel(295, 12), last[12]); // the cut last block counts as full at L
}

TEST_F(CylinderProgressBarTest, unfilledPart_isShadedAndCanBeInverted)
{
    TCylinderProgressBar bar;
    makeProgressBar(bar);
    bar.setBlockSize(0);
    bar.setShowInactivePos(true);
    bar.setPosition(1); // filled to column 5
    QImage image = renderBar(bar);
    const QList<QRgb> plain = cylinderShades(0x808080, 21, blGlass, false);
    for (int y = 3; y <= 20; ++y) {
        EXPECT_EQ(image.pixel(6, y), plain[y]);
        EXPECT_EQ(image.pixel(296, y), plain[y]);
    }
    EXPECT_EQ(image.pixel(297, 10), outside);

    bar.setInvertInactPos(true);
    image = renderBar(bar);
    EXPECT_EQ(image.pixel(100, 3), qRgb(0x4B, 0x4B, 0x4B));
    EXPECT_EQ(image.pixel(100, 20), qRgb(0xC5, 0xC5, 0xC5));

    // a flat bar has no shading to invert
    bar.setBarKind(bkFlat);
    image = renderBar(bar);
    EXPECT_EQ(image.pixel(100, 3), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(image.pixel(100, 20), qRgb(0x80, 0x80, 0x80));
}

TEST_F(CylinderProgressBarTest, flatAndUniformBars_keepTheirColourWhereTheRuleSays)
{
    TCylinderProgressBar bar;
    bar.resize(120, 20);
    bar.setStartColor(QColor(0, 0, 0));
    bar.setFinalColor(QColor(0xFF8000));
    bar.setPosition(100);
    QImage image = renderBar(bar);
    for (int x = 3; x <= 116; x += 7)
        for (int y = 3; y <= 16; ++y)
            EXPECT_EQ(image.pixel(x, y), cylinderColumnColor(0x000000, 0xFF8000, x, 116))
                << x << "," << y;

    // equal colours: every column alike, only the shading varies across the bar
    bar.setBarKind(bkCylinder);
    bar.setBarColor(QColor(0x3366CC));
    image = renderBar(bar);
    for (int y = 3; y <= 16; ++y)
        for (int x = 4; x <= 116; ++x)
            ASSERT_EQ(image.pixel(x, y), image.pixel(3, y)) << x << "," << y;
    EXPECT_NE(image.pixel(3, 4), image.pixel(3, 16));
}

TEST_F(CylinderProgressBarTest, uprightBar_growsFromTheBottomShadedLeftToRight)
{
    TCylinderProgressBar bar;
    bar.setOrientation(boVertical);
    bar.resize(24, 110);
    bar.setBarKind(bkCylinder);
    bar.setBarLook(blGlass);
    bar.setStartColor(QColor(0x800000));
    bar.setFinalColor(QColor(0xFFC000));
    bar.setShaped(false);
    bar.setBackgroundColor(QColor(0x000040));
    bar.setPosition(50);
    EXPECT_EQ(bar.filledEnd(), 53); // L = 106
    const QImage image = renderBar(bar);
    EXPECT_EQ(image.pixel(10, 106), qRgb(0xFF, 0x72, 0x6A)); // column 3 of the bar's length
    EXPECT_EQ(image.pixel(10, 56), qRgb(0xFF, 0xB5, 0x6A));  // the filled end
    EXPECT_EQ(image.pixel(3, 56), qRgb(0xFF, 0xB4, 0x68));
    EXPECT_EQ(image.pixel(20, 56), qRgb(0x73, 0x39, 0x00));
    EXPECT_EQ(image.pixel(10, 55), outside);
    EXPECT_EQ(image.pixel(10, 107), outside);
    EXPECT_EQ(image.pixel(2, 80), outside);
    EXPECT_EQ(image.pixel(21, 80), outside);
}

TEST_F(CylinderProgressBarTest, automaticCaptionAndHint_followThePosition)
{
    TCylinderProgressBar bar;
    bar.resize(300, 24);
    bar.setAutoHint(true);
    bar.setPosition(37);
    EXPECT_EQ(bar.toolTip(), QStringLiteral("37"));
    EXPECT_TRUE(bar.caption().isEmpty());

    bar.setShowPosAsPct(true);
    bar.setAutoCaption(true);
    EXPECT_EQ(bar.toolTip(), QStringLiteral("37 %"));
    EXPECT_EQ(bar.caption(), QStringLiteral("37%"));
    bar.setMaximum(3);
    bar.setPosition(1);
    EXPECT_EQ(bar.toolTip(), QStringLiteral("33.3333333333333 %"));
    EXPECT_EQ(bar.caption(), QStringLiteral("33.3333333333333%"));
    bar.setPosition(9);
    EXPECT_EQ(bar.caption(), QStringLiteral("100%"));

    bar.setShowPosAsPct(false);
    EXPECT_EQ(bar.caption(), QStringLiteral("3"));
    EXPECT_EQ(bar.toolTip(), QStringLiteral("3"));
    // with a maximum of 0 nothing follows the position
    bar.setMaximum(0);
    bar.setPosition(2);
    EXPECT_EQ(bar.caption(), QStringLiteral("3"));
}

TEST_F(CylinderProgressBarTest, caption_isWrittenWhereItsAlignmentSays)
{
    TCylinderProgressBar bar;
    bar.resize(300, 24);
    bar.setShaped(false); // nothing but the caption is drawn
    const auto inkColumns = [&] {
        const QImage image = renderBar(bar);
        int first = -1;
        int last = -1;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) != outside) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        return std::pair(first, last);
    };
    EXPECT_EQ(inkColumns().first, -1);
    bar.setCaption(QStringLiteral("Incarcare"));
    const auto left = inkColumns();
    ASSERT_GE(left.first, 0);
    EXPECT_LT(left.first, 5);
    bar.setCaptionAlign(Qt::AlignRight);
    const auto right = inkColumns();
    EXPECT_GT(right.second, 290);
    bar.setCaptionAlign(Qt::AlignHCenter);
    const auto centre = inkColumns();
    EXPECT_NEAR((centre.first + centre.second) / 2.0, 150.0, 5.0);
}

TEST_F(CylinderProgressBarTest, settings_areReachedByNameAndBarColorSetsBothEnds)
{
    TCylinderProgressBar bar;
    const QMetaObject *meta = bar.metaObject();
    EXPECT_STREQ(meta->className(), "dosarium::TCylinderProgressBar");
    const int barColor = meta->indexOfProperty("barColor");
    ASSERT_GE(barColor, 0);
    EXPECT_TRUE(meta->property(barColor).isWritable());
    // it comes before the two colours it sets, so that a final colour given later stays
    EXPECT_LT(barColor, meta->indexOfProperty("startColor"));
    EXPECT_LT(barColor, meta->indexOfProperty("finalColor"));

    EXPECT_TRUE(bar.setProperty("barColor", QColor(0x000080)));
    EXPECT_EQ(bar.startColor(), QColor(0x000080));
    EXPECT_EQ(bar.finalColor(), QColor(0x000080));
    EXPECT_TRUE(bar.setProperty("finalColor", QColor(0x00FFFF)));
    EXPECT_EQ(bar.property("barColor").value<QColor>(), QColor(0x000080));
    EXPECT_EQ(bar.finalColor(), QColor(0x00FFFF));

    EXPECT_TRUE(bar.setProperty("orientation", QVariant::fromValue(boVertical)));
    EXPECT_EQ(bar.orientation(), boVertical);
    EXPECT_TRUE(bar.setProperty("barLook", QVariant::fromValue(blGlass)));
    EXPECT_EQ(bar.property("barLook").value<TBarLook>(), blGlass);
}

TEST_F(CylinderProgressBarTest, settingChanges_repaintAndEqualValuesDoNot)
{
    class Counting : public TCylinderProgressBar {
    public:
        int paints = 0;

    protected:
        void paintEvent(QPaintEvent *event) override
        {
            ++paints;
            TCylinderProgressBar::paintEvent(event);
        }
    } bar;
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QApplication::processEvents();
    const auto paintsAfter = [&](auto change) {
        bar.paints = 0;
        change();
        QApplication::processEvents();
        return bar.paints;
    };
    EXPECT_EQ(paintsAfter([&] { bar.setPosition(0); }), 0);
    EXPECT_EQ(paintsAfter([&] { bar.setStartColor(QColor(0x00FF00)); }), 0);
    EXPECT_EQ(paintsAfter([&] { bar.setBlockSize(0); }), 0);
    EXPECT_GE(paintsAfter([&] { bar.setPosition(50); }), 1);
    EXPECT_GE(paintsAfter([&] { bar.setBarColor(QColor(0x123456)); }), 1);
    EXPECT_GE(paintsAfter([&] { bar.setInvertInactPos(true); }), 1);
    EXPECT_GE(paintsAfter([&] { bar.setCaption(QStringLiteral("x")); }), 1);

    // A position that moves the fill by less than a pixel paints nothing, unless the caption
    // follows the position.
    bar.setMaximum(20000);
    EXPECT_GE(paintsAfter([&] { bar.setPosition(10000); }), 1);
    EXPECT_EQ(paintsAfter([&] { bar.setPosition(10001); }), 0);
    EXPECT_EQ(bar.position(), 10001);
    bar.setAutoCaption(true);
    EXPECT_GE(paintsAfter([&] { bar.setPosition(10002); }), 1);
}
