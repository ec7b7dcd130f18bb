// The integer colour arithmetic behind the gradient bands and the cylinder shading.
#include "widgets/ColorMath.h"

#include <QColor>
#include <gtest/gtest.h>

using namespace dosarium;

TEST(ColorMath, mulDiv_roundsHalvesAwayFromZero)
{
    EXPECT_EQ(mulDiv(1, 95, 63), 2);   // 1.508
    EXPECT_EQ(mulDiv(1, 88, 63), 1);   // 1.397
    EXPECT_EQ(mulDiv(1, 3, 2), 2);     // 1.5 exactly
    EXPECT_EQ(mulDiv(1, -3, 2), -2);   // -1.5 exactly
    EXPECT_EQ(mulDiv(-5, 1, 2), -3);   // -2.5 exactly
    EXPECT_EQ(mulDiv(1, -88, 63), -1); // -1.397
    EXPECT_EQ(mulDiv(7, 0, 3), 0);
    EXPECT_EQ(mulDiv(63, -127, 63), -127);
    // the product does not overflow on the way
    EXPECT_EQ(mulDiv(100000, 100000, 100000), 100000);
    EXPECT_EQ(mulDiv(5, 5, 0), -1);
}

TEST(ColorMath, greys_haveUndefinedHueAndComeBackTruncated)
{
    EXPECT_EQ(rgbToHls(qRgb(0x80, 0x80, 0x80)), (Hls{160, 120, 0}));
    // 120 * 255 / 240 = 127.5, cut to 127: a mid grey comes back one step darker
    EXPECT_EQ(hlsToRgb(rgbToHls(qRgb(0x80, 0x80, 0x80))), qRgb(0x7F, 0x7F, 0x7F));
    EXPECT_EQ(rgbToHls(qRgb(0xC0, 0xC0, 0xC0)), (Hls{160, 181, 0}));
    EXPECT_EQ(hlsToRgb(rgbToHls(qRgb(0xC0, 0xC0, 0xC0))), qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(rgbToHls(qRgb(0xFF, 0xFF, 0xFF)), (Hls{160, 240, 0}));
    EXPECT_EQ(hlsToRgb({160, 240, 0}), qRgb(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(rgbToHls(qRgb(0, 0, 0)), (Hls{160, 0, 0}));
    EXPECT_EQ(hlsToRgb({0, 0, 0}), qRgb(0, 0, 0));
    // a grey's hue plays no part on the way back
    EXPECT_EQ(hlsToRgb({17, 120, 0}), qRgb(0x7F, 0x7F, 0x7F));
}

TEST(ColorMath, barColours_surviveTheRoundTrip)
{
    struct Case {
        QRgb rgb;
        Hls hls;
    };
    const Case cases[] = {
        {qRgb(0x00, 0x00, 0x80), {160, 60, 240}},  // splash bar start, navy
        {qRgb(0x00, 0xFF, 0xFF), {120, 120, 240}}, // splash bar end, aqua
        {qRgb(0x45, 0x57, 0x74), {145, 87, 61}},   // progress window bar start
        {qRgb(0x00, 0xCC, 0xCC), {120, 96, 240}},  // progress window bar end
        {qRgb(0xAC, 0xB8, 0xCC), {145, 177, 57}},  // splash bar's unfilled part
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QColor(c.rgb).name().toStdString());
        EXPECT_EQ(rgbToHls(c.rgb), c.hls);
        EXPECT_EQ(hlsToRgb(c.hls), c.rgb);
    }
}

TEST(ColorMath, primaries_lieOnTheHueCircle)
{
    EXPECT_EQ(rgbToHls(qRgb(255, 0, 0)), (Hls{0, 120, 240}));
    EXPECT_EQ(rgbToHls(qRgb(0, 255, 0)), (Hls{80, 120, 240}));
    EXPECT_EQ(rgbToHls(qRgb(0, 0, 255)), (Hls{160, 120, 240}));
    EXPECT_EQ(rgbToHls(qRgb(255, 0, 255)), (Hls{200, 120, 240}));
    EXPECT_EQ(hlsToRgb({0, 120, 240}), qRgb(255, 0, 0));
    EXPECT_EQ(hlsToRgb({80, 120, 240}), qRgb(0, 255, 0));
    EXPECT_EQ(hlsToRgb({200, 120, 240}), qRgb(255, 0, 255));
    // a light tint of red: lightness above the middle takes the other branch
    EXPECT_EQ(hlsToRgb({0, 180, 240}), qRgb(255, 128, 128));
}
