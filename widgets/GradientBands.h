// The band layout of the gradient panel: the band colours, the band rectangles of the directions
// drawn as solid bands, and the finished picture of any direction.
#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QRgb>
#include <QSize>

namespace dosarium {

// How the bands are laid out and which colour lies at which end; numbered 0 to 15.
enum class TGradientDirection {
    TopToBottom,
    BottomToTop,
    LeftToRight,
    RightToLeft,
    EdgesToCenter,
    CenterToEdges,
    HCenterToEdges,
    EdgesToHCenter,
    VCenterToEdges,
    EdgesToVCenter,
    TopLeft,
    BottomLeft,
    TopRight,
    BottomRight,
    EllipticIn,
    EllipticOut,
};

inline constexpr int gradientMinColorCount = 1;
inline constexpr int gradientMaxColorCount = 255;

// True for the directions that paint from colorTo towards colorFrom.
bool gradientStartsWithColorTo(TGradientDirection direction);

// Colours of the count bands, band 0 being start and the last band end; each channel is
// start + mulDiv(i, end - start, count - 1).
QList<QRgb> gradientBandColors(QRgb start, QRgb end, int count);

// One outline-less fill of the panel: the corners (x1, y1) and (x2, y2) as they are handed to
// the fill, which covers the rows and columns between them but not the last row and column.
struct GradientFill {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    QRgb color = 0;

    // The pixels the fill covers (before clipping to the panel); empty when x1 == x2 or y1 == y2.
    QRect area() const;
};

// True for the six directions painted as a sequence of solid fills.
bool gradientIsBandDirection(TGradientDirection direction);

// The fills of a band direction in painting order (later fills cover earlier ones); empty for
// the other directions.
QList<GradientFill> gradientFills(TGradientDirection direction, QSize size, QRgb colorFrom,
                                  QRgb colorTo, int count);

// The band (0 = the start colour) of pixel (x, y) for the directions that are not band
// directions: concentric rectangles, mirrored columns, diagonals from a corner and ellipses.
int gradientBandAt(TGradientDirection direction, int x, int y, QSize size, int count);

// The whole panel as a picture.
QImage renderGradient(QSize size, QRgb colorFrom, QRgb colorTo, int count,
                      TGradientDirection direction);

} // namespace dosarium
