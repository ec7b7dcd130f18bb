#include "widgets/GradientBands.h"

#include "widgets/ColorMath.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace dosarium {

namespace {

int clampCount(int count)
{
    return std::clamp(count, gradientMinColorCount, gradientMaxColorCount);
}

int truncated(double value)
{
    return static_cast<int>(std::trunc(value));
}

// Position of a pixel centre within [0, 1] measured from the near edge of an extent, folded
// about its middle: 0 at either edge, 1 at the centre.
double foldedDepth(int pixel, int extent)
{
    const double centre = pixel + 0.5;
    return std::min(centre, extent - centre) / (extent / 2.0);
}

} // namespace

bool gradientStartsWithColorTo(TGradientDirection direction)
{
    switch (direction) {
    case TGradientDirection::BottomToTop:
    case TGradientDirection::RightToLeft:
    case TGradientDirection::CenterToEdges:
    case TGradientDirection::HCenterToEdges:
    case TGradientDirection::VCenterToEdges:
    case TGradientDirection::TopLeft:
    case TGradientDirection::BottomLeft:
    case TGradientDirection::TopRight:
    case TGradientDirection::BottomRight:
    case TGradientDirection::EllipticOut:
        return true;
    default:
        return false;
    }
}

QList<QRgb> gradientBandColors(QRgb start, QRgb end, int count)
{
    count = clampCount(count);
    QList<QRgb> colors;
    colors.reserve(count);
    if (count == 1) {
        colors.append(qRgb(qRed(start), qGreen(start), qBlue(start)));
        return colors;
    }
    const int dr = qRed(end) - qRed(start);
    const int dg = qGreen(end) - qGreen(start);
    const int db = qBlue(end) - qBlue(start);
    for (int i = 0; i < count; ++i)
        colors.append(qRgb(qRed(start) + mulDiv(i, dr, count - 1),
                           qGreen(start) + mulDiv(i, dg, count - 1),
                           qBlue(start) + mulDiv(i, db, count - 1)));
    return colors;
}

QRect GradientFill::area() const
{
    const int left = std::min(x1, x2);
    const int right = std::max(x1, x2);
    const int top = std::min(y1, y2);
    const int bottom = std::max(y1, y2);
    if (left == right || top == bottom)
        return {};
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

bool gradientIsBandDirection(TGradientDirection direction)
{
    switch (direction) {
    case TGradientDirection::TopToBottom:
    case TGradientDirection::BottomToTop:
    case TGradientDirection::LeftToRight:
    case TGradientDirection::RightToLeft:
    case TGradientDirection::HCenterToEdges:
    case TGradientDirection::EdgesToHCenter:
        return true;
    default:
        return false;
    }
}

QList<GradientFill> gradientFills(TGradientDirection direction, QSize size, QRgb colorFrom,
                                  QRgb colorTo, int count)
{
    QList<GradientFill> fills;
    if (!gradientIsBandDirection(direction))
        return fills;
    count = clampCount(count);
    const bool reversed = gradientStartsWithColorTo(direction);
    const QRgb start = reversed ? colorTo : colorFrom;
    const QRgb end = reversed ? colorFrom : colorTo;
    const QList<QRgb> colors = gradientBandColors(start, end, count);
    const QRgb endColor = qRgb(qRed(end), qGreen(end), qBlue(end));
    const int w = size.width();
    const int h = size.height();

    switch (direction) {
    case TGradientDirection::LeftToRight:
    case TGradientDirection::RightToLeft: {
        const double step = w / double(count + 1);
        for (int i = 0; i < count; ++i)
            fills.append({truncated(i * step) - 1, 0, truncated((i + 1) * step), h, colors[i]});
        fills.append({truncated(count * step) - 1, 0, w, h, endColor});
        break;
    }
    case TGradientDirection::TopToBottom:
    case TGradientDirection::BottomToTop: {
        const double step = h / double(count + 1);
        for (int i = 0; i < count; ++i)
            fills.append({0, truncated(i * step) - 1, w, truncated((i + 1) * step), colors[i]});
        fills.append({0, truncated(count * step) - 1, w, h, endColor});
        break;
    }
    default: {
        // Mirrored about the horizontal centre line: each band once from the top edge and once
        // from the bottom edge, then the end colour over the middle.
        const double step = h / double(2 * count + 2);
        const int middle = h / 2;
        for (int i = 0; i < count; ++i) {
            const int outer = truncated(i * step);
            const int inner = truncated((i + 1) * step);
            fills.append({0, outer - 1, w, inner, colors[i]});
            fills.append({0, h - outer + 1, w, h - inner, colors[i]});
        }
        fills.append({0, truncated(count * step) - 1, w, middle, endColor});
        fills.append({0, middle - 1, w, h - truncated((count - 1) * step), endColor});
        break;
    }
    }
    return fills;
}

int gradientBandAt(TGradientDirection direction, int x, int y, QSize size, int count)
{
    count = clampCount(count);
    const int w = std::max(size.width(), 1);
    const int h = std::max(size.height(), 1);
    // depth runs from 0 where the start colour lies to 1 where the end colour lies
    double depth = 0.0;
    switch (direction) {
    case TGradientDirection::EdgesToCenter:
    case TGradientDirection::CenterToEdges:
        depth = std::min(foldedDepth(x, w), foldedDepth(y, h));
        break;
    case TGradientDirection::VCenterToEdges:
    case TGradientDirection::EdgesToVCenter:
        depth = foldedDepth(x, w);
        break;
    case TGradientDirection::TopLeft:
    case TGradientDirection::BottomLeft:
    case TGradientDirection::TopRight:
    case TGradientDirection::BottomRight: {
        const bool left =
            direction == TGradientDirection::TopLeft || direction == TGradientDirection::BottomLeft;
        const bool top =
            direction == TGradientDirection::TopLeft || direction == TGradientDirection::TopRight;
        const double fromCornerX = (left ? x + 0.5 : w - x - 0.5) / w;
        const double fromCornerY = (top ? y + 0.5 : h - y - 0.5) / h;
        depth = 1.0 - (fromCornerX + fromCornerY) / 2.0;
        break;
    }
    case TGradientDirection::EllipticIn:
    case TGradientDirection::EllipticOut: {
        const double dx = (x + 0.5 - w / 2.0) / (w / 2.0);
        const double dy = (y + 0.5 - h / 2.0) / (h / 2.0);
        depth = 1.0 - std::sqrt(dx * dx + dy * dy) / std::sqrt(2.0);
        break;
    }
    // the band directions are laid out by their fills; as single pixels they follow the axis
    case TGradientDirection::TopToBottom:
    case TGradientDirection::BottomToTop:
        depth = (y + 0.5) / h;
        break;
    case TGradientDirection::LeftToRight:
    case TGradientDirection::RightToLeft:
        depth = (x + 0.5) / w;
        break;
    case TGradientDirection::HCenterToEdges:
    case TGradientDirection::EdgesToHCenter:
        depth = foldedDepth(y, h);
        break;
    }
    return std::clamp(static_cast<int>(depth * count), 0, count - 1);
}

QImage renderGradient(QSize size, QRgb colorFrom, QRgb colorTo, int count,
                      TGradientDirection direction)
{
    if (size.isEmpty())
        return {};
    count = clampCount(count);
    QImage image(size, QImage::Format_RGB32);
    if (gradientIsBandDirection(direction)) {
        QPainter painter(&image);
        for (const GradientFill &fill : gradientFills(direction, size, colorFrom, colorTo, count))
            painter.fillRect(fill.area(), QColor(fill.color));
        return image;
    }
    const bool reversed = gradientStartsWithColorTo(direction);
    const QList<QRgb> colors =
        gradientBandColors(reversed ? colorTo : colorFrom, reversed ? colorFrom : colorTo, count);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = colors[gradientBandAt(direction, x, y, size, count)];
    }
    return image;
}

} // namespace dosarium
