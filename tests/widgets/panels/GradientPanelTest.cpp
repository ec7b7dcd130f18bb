// The gradient panel: band colours, the band layout of the program's windows, the colour order
// of every direction and the settings' repainting.
#include "widgets/GradientPanel.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "TestApplication.h"

using namespace dosarium;

namespace {

struct Sample {
    int at; // row for the mirrored directions, column for the others
    QRgb color;
};

// One window band of the program with the colours it is expected to show, worked out by hand
// from the band rule.
struct WindowBand {
    const char *name;
    QSize size;
    QRgb from;
    QRgb to;
    int count;
    TGradientDirection direction;
    std::vector<Sample> samples;
};

QImage renderPanel(TGradientPanel &panel)
{
    QImage image(panel.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    panel.render(&image);
    return image;
}

class PaintCountingPanel : public TGradientPanel {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++paints;
        TGradientPanel::paintEvent(event);
    }
};

} // namespace

class GradientPanelTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
};

TEST_F(GradientPanelTest, bandColours_stepWithRoundedMulDiv)
{
    // splash: from #4D6080 at the edges to #ACB8CC in the middle, 64 bands
    const QList<QRgb> colors = gradientBandColors(0x4D6080, 0xACB8CC, 64);
    ASSERT_EQ(colors.size(), 64);
    EXPECT_EQ(colors[0], qRgb(0x4D, 0x60, 0x80));
    EXPECT_EQ(colors[1], qRgb(0x4F, 0x61, 0x81)); // 95/63 rounds up, 88/63 and 76/63 down
    EXPECT_EQ(colors[32], qRgb(0x7D, 0x8D, 0xA7));
    EXPECT_EQ(colors[63], qRgb(0xAC, 0xB8, 0xCC));
    // falling channels round away from zero as well
    const QList<QRgb> falling = gradientBandColors(0xFFFFFF, 0xE1E1E1, 64);
    EXPECT_EQ(falling[1], qRgb(0xFF, 0xFF, 0xFF)); // -30/63 = -0.48
    EXPECT_EQ(falling[2], qRgb(0xFE, 0xFE, 0xFE)); // -0.95
    EXPECT_EQ(falling[63], qRgb(0xE1, 0xE1, 0xE1));
    // a single band has the start colour; counts are kept within 1 to 255
    EXPECT_EQ(gradientBandColors(0x102030, 0xF0E0D0, 1), QList<QRgb>{qRgb(0x10, 0x20, 0x30)});
    EXPECT_EQ(gradientBandColors(0, 0xFFFFFF, 0).size(), 1);
    EXPECT_EQ(gradientBandColors(0, 0xFFFFFF, 1000).size(), 255);
}

TEST_F(GradientPanelTest, programWindows_showTheirBandsPixelByPixel)
{
    using D = TGradientDirection;
    const WindowBand bands[] = {
        {"splash background",
         {395, 187},
         0xACB8CC,
         0x4D6080,
         64,
         D::HCenterToEdges,
         {{0, 0x4F6181},
          {1, 0x506382},
          {2, 0x506382},
          {3, 0x526484},
          {87, 0xA9B5CA},
          {88, 0xAAB7CB},
          {89, 0xACB8CC},
          {93, 0xACB8CC},
          {97, 0xACB8CC},
          {98, 0xAAB7CB},
          {183, 0x526484},
          {184, 0x506382},
          {185, 0x506382},
          {186, 0x4F6181}}},
        {"progress window background",
         {332, 65},
         0xACB8CC,
         0x526687,
         32,
         D::HCenterToEdges,
         {{0, 0x586B8B},
          {1, 0x5B6E8E},
          {2, 0x5E7190},
          {27, 0xA6B3C8},
          {28, 0xA9B5CA},
          {29, 0xACB8CC},
          {32, 0xACB8CC},
          {35, 0xACB8CC},
          {36, 0xA9B5CA},
          {62, 0x5E7190},
          {63, 0x5B6E8E},
          {64, 0x586B8B}}},
        {"register window header",
         {600, 49},
         0xACB8CC,
         0xFFFFFF,
         64,
         D::HCenterToEdges,
         {{0, 0xF8F9FB},
          {1, 0xF6F7F9},
          {2, 0xF2F4F7},
          {20, 0xB3BED0},
          {21, 0xAFBACE},
          {22, 0xACB8CC},
          {24, 0xACB8CC},
          {26, 0xACB8CC},
          {27, 0xAFBACE},
          {46, 0xF2F4F7},
          {47, 0xF6F7F9},
          {48, 0xF8F9FB}}},
        {"activity log header",
         {700, 41},
         0xFFFFFF,
         0xACB8CC,
         64,
         D::EdgesToHCenter,
         {{0, 0xF7F8FA},
          {1, 0xF3F5F8},
          {2, 0xEFF1F5},
          {16, 0xB4BFD1},
          {17, 0xB0BBCE},
          {18, 0xACB8CC},
          {20, 0xACB8CC},
          {22, 0xACB8CC},
          {23, 0xB0BBCE},
          {38, 0xEFF1F5},
          {39, 0xF3F5F8},
          {40, 0xF7F8FA}}},
        {"message top band, warning",
         {345, 49},
         0xB7B18A,
         0x383623,
         64,
         D::RightToLeft,
         {{0, 0x383623},
          {3, 0x383623},
          {4, 0x3A3825},
          {8, 0x3A3825},
          {9, 0x3C3A26},
          {162, 0x747154},
          {163, 0x767356},
          {167, 0x767356},
          {168, 0x797457},
          {173, 0x797457},
          {174, 0x7B7659},
          {327, 0xB3AD87},
          {328, 0xB5AF88},
          {332, 0xB5AF88},
          {333, 0xB7B18A},
          {344, 0xB7B18A}}},
        {"message middle band",
         {345, 86},
         0xFFFFFF,
         0xE1E1E1,
         64,
         D::RightToLeft,
         {{0, 0xE1E1E1},
          {8, 0xE1E1E1},
          {9, 0xE2E2E2},
          {19, 0xE2E2E2},
          {20, 0xE3E3E3},
          {151, 0xEEEEEE},
          {152, 0xEFEFEF},
          {162, 0xEFEFEF},
          {163, 0xF0F0F0},
          {173, 0xF0F0F0},
          {174, 0xF1F1F1},
          {316, 0xFDFDFD},
          {317, 0xFEFEFE},
          {327, 0xFEFEFE},
          {328, 0xFFFFFF},
          {344, 0xFFFFFF}}},
        {"message bottom band, error",
         {345, 42},
         0xFFD5D5,
         0xFF0000,
         64,
         D::RightToLeft,
         {{0, 0xFF0000},
          {3, 0xFF0000},
          {4, 0xFF0303},
          {8, 0xFF0303},
          {9, 0xFF0707},
          {162, 0xFF6565},
          {163, 0xFF6969},
          {167, 0xFF6969},
          {168, 0xFF6C6C},
          {173, 0xFF6C6C},
          {174, 0xFF7070},
          {327, 0xFFCECE},
          {328, 0xFFD2D2},
          {332, 0xFFD2D2},
          {333, 0xFFD5D5},
          {344, 0xFFD5D5}}},
    };
    for (const WindowBand &band : bands) {
        SCOPED_TRACE(band.name);
        TGradientPanel panel;
        panel.resize(band.size);
        panel.setColorFrom(QColor(band.from));
        panel.setColorTo(QColor(band.to));
        panel.setColorCount(band.count);
        panel.setDirection(band.direction);
        const QImage image = renderPanel(panel);
        const bool rows =
            band.direction == D::HCenterToEdges || band.direction == D::EdgesToHCenter;
        for (const Sample &s : band.samples) {
            SCOPED_TRACE(s.at);
            // the bands run across the whole panel: check both ends and the middle of the line
            const int across = rows ? band.size.width() : band.size.height();
            for (int other : {0, across / 2, across - 1}) {
                const QPoint p = rows ? QPoint(other, s.at) : QPoint(s.at, other);
                EXPECT_EQ(image.pixel(p), qRgb(qRed(s.color), qGreen(s.color), qBlue(s.color)));
            }
        }
    }
}

TEST_F(GradientPanelTest, axisDirections_putTheLastFillAtTheFarEnd)
{
    // 13 pixels, 4 bands: step 2.6, so band 0 keeps one line and the end colour takes the rest
    const QRgb black = qRgb(0, 0, 0);
    const QRgb red = qRgb(0xFF, 0, 0);
    const std::vector<QRgb> forward = {black,      0xFF550000, 0xFF550000, 0xFF550000, 0xFFAA0000,
                                       0xFFAA0000, red,        red,        red,        red,
                                       red,        red,        red};
    for (TGradientDirection d :
         {TGradientDirection::TopToBottom, TGradientDirection::BottomToTop,
          TGradientDirection::LeftToRight, TGradientDirection::RightToLeft}) {
        SCOPED_TRACE(int(d));
        const bool reversed = gradientStartsWithColorTo(d);
        const QImage image =
            renderGradient({13, 13}, reversed ? red : black, reversed ? black : red, 4, d);
        const bool vertical =
            d == TGradientDirection::TopToBottom || d == TGradientDirection::BottomToTop;
        for (int i = 0; i < 13; ++i)
            for (int other : {0, 12}) {
                const QPoint p = vertical ? QPoint(other, i) : QPoint(i, other);
                // with the colours swapped the reversed directions draw the same picture
                EXPECT_EQ(image.pixel(p), forward[i]) << "line " << i;
            }
    }
}

TEST_F(GradientPanelTest, singleBandRightToLeft_splitsAtTheMiddle)
{
    const QImage image =
        renderGradient({10, 3}, 0x102030, 0xF0E0D0, 1, TGradientDirection::RightToLeft);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(image.pixel(x, 1), x < 4 ? qRgb(0xF0, 0xE0, 0xD0) : qRgb(0x10, 0x20, 0x30))
            << "column " << x;
}

TEST_F(GradientPanelTest, centreLineDirection_mirrorsItsBandsOutsideTheMiddle)
{
    // Rows r and h - 1 - r carry the same band, except for the end-colour fills in the middle.
    for (int h : {7, 41, 49, 65, 187, 300}) {
        const int count = 64;
        const QImage image =
            renderGradient({5, h}, 0xACB8CC, 0x4D6080, count, TGradientDirection::HCenterToEdges);
        const double step = h / double(2 * count + 2);
        const int bandsEnd = static_cast<int>((count - 1) * step) - 1;
        for (int r = 0; r < bandsEnd; ++r)
            EXPECT_EQ(image.pixel(2, r), image.pixel(2, h - 1 - r))
                << "height " << h << " row " << r;
        EXPECT_EQ(image.pixel(2, h / 2), qRgb(0xAC, 0xB8, 0xCC)) << "height " << h;
    }
}

TEST_F(GradientPanelTest, everyDirection_keepsItsColourOrder)
{
    using D = TGradientDirection;
    const QRgb from = qRgb(0x20, 0x40, 0xF0);
    const QRgb to = qRgb(0xF0, 0xD0, 0x10);
    const QSize size(120, 80);
    struct Ends {
        D direction;
        QPoint fromAt; // a pixel where the from colour lies
        QPoint toAt;   // a pixel where the to colour lies
    };
    const QPoint centre(60, 40);
    const Ends ends[] = {
        {D::TopToBottom, {60, 0}, {60, 79}},    {D::BottomToTop, {60, 79}, {60, 0}},
        {D::LeftToRight, {0, 40}, {119, 40}},   {D::RightToLeft, {119, 40}, {0, 40}},
        {D::EdgesToCenter, {0, 0}, centre},     {D::CenterToEdges, centre, {119, 79}},
        {D::HCenterToEdges, centre, {60, 79}},  {D::EdgesToHCenter, {60, 0}, centre},
        {D::VCenterToEdges, centre, {119, 40}}, {D::EdgesToVCenter, {0, 40}, centre},
        {D::TopLeft, {0, 0}, {119, 79}},        {D::BottomLeft, {0, 79}, {119, 0}},
        {D::TopRight, {119, 0}, {0, 79}},       {D::BottomRight, {119, 79}, {0, 0}},
        {D::EllipticIn, {0, 0}, centre},        {D::EllipticOut, centre, {119, 0}},
    };
    for (const Ends &e : ends) {
        SCOPED_TRACE(int(e.direction));
        const QImage image = renderGradient(size, from, to, 64, e.direction);
        // bands under two pixels wide overlap, so an end may show one of the bands next to it
        const QList<QRgb> colors = gradientBandColors(from, to, 64);
        EXPECT_LE(colors.indexOf(image.pixel(e.fromAt)), 3);
        EXPECT_GE(colors.indexOf(image.pixel(e.toAt)), 60);
        // every pixel is one of the band colours
        for (int y = 0; y < size.height(); y += 7)
            for (int x = 0; x < size.width(); x += 7)
                ASSERT_TRUE(colors.contains(image.pixel(x, y))) << x << "," << y;
    }
}

TEST_F(GradientPanelTest, equalColours_giveOneFlatColour)
{
    for (int d = 0; d < 16; ++d) {
        const QImage image =
            renderGradient({37, 23}, 0x3366CC, 0x3366CC, 64, static_cast<TGradientDirection>(d));
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(image.pixel(x, y), qRgb(0x33, 0x66, 0xCC)) << d << ": " << x << "," << y;
    }
}

TEST_F(GradientPanelTest, newPanel_hasTheDefaultSettings)
{
    TGradientPanel panel;
    EXPECT_EQ(panel.ColorFrom(), QColor(0x00, 0x00, 0xFF));
    EXPECT_EQ(panel.ColorTo(), QColor(0x00, 0x00, 0x00));
    EXPECT_EQ(panel.ColorCount(), 64);
    EXPECT_EQ(panel.Direction(), TGradientDirection::TopToBottom);
    EXPECT_EQ(panel.size(), QSize(100, 100));
    EXPECT_EQ(panel.focusPolicy(), Qt::NoFocus);
    const QImage image = renderPanel(panel);
    EXPECT_EQ(image.pixel(50, 99), qRgb(0, 0, 0));
    // bands of 1.54 rows: band 1 (255 - 4.05 rounded) starts on the top row and covers band 0
    EXPECT_EQ(image.pixel(50, 0), qRgb(0, 0, 0xFB));

    panel.setColorCount(0);
    EXPECT_EQ(panel.ColorCount(), 1);
    panel.setColorCount(300);
    EXPECT_EQ(panel.ColorCount(), 255);
    // only the colour bytes count
    panel.setColorFrom(QColor(0x12, 0x34, 0x56, 0x10));
    EXPECT_EQ(panel.ColorFrom(), QColor(0x12, 0x34, 0x56));
}

TEST_F(GradientPanelTest, settingChanges_repaintOnceAndEqualValuesNotAtAll)
{
    PaintCountingPanel panel;
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QApplication::processEvents();

    const auto paintsAfter = [&](auto change) {
        panel.paints = 0;
        change();
        QApplication::processEvents();
        return panel.paints;
    };
    EXPECT_EQ(paintsAfter([&] { panel.setColorFrom(QColor(0x00, 0x00, 0xFF)); }), 0);
    EXPECT_EQ(paintsAfter([&] { panel.setColorTo(QColor(0x00, 0x00, 0x00)); }), 0);
    EXPECT_EQ(paintsAfter([&] { panel.setColorCount(64); }), 0);
    EXPECT_EQ(paintsAfter([&] { panel.setDirection(TGradientDirection::TopToBottom); }), 0);

    // a message dialog band takes the colours of the message kind
    EXPECT_GE(paintsAfter([&] { panel.setColorFrom(QColor(0xFF, 0xD5, 0xD5)); }), 1);
    EXPECT_GE(paintsAfter([&] { panel.setColorTo(QColor(0xFF, 0x00, 0x00)); }), 1);
    EXPECT_GE(paintsAfter([&] { panel.setDirection(TGradientDirection::RightToLeft); }), 1);
    EXPECT_GE(paintsAfter([&] { panel.setColorCount(32); }), 1);
    const QImage image = panel.grab().toImage();
    EXPECT_EQ(image.pixel(0, 50), qRgb(0xFF, 0x00, 0x00));
    EXPECT_EQ(image.pixel(99, 50), qRgb(0xFF, 0xD5, 0xD5));
}
