#include "widgets/CylinderShading.h"

#include "widgets/ColorMath.h"

#include <algorithm>
#include <cmath>

namespace dosarium {

namespace {

int channelAt(int start, int final, int i, int usableLength)
{
    if (start < final)
        return start + (final - start) * i / usableLength;
    if (start > final)
        return start - (start - final) * i / usableLength;
    return start;
}

// The lightness of the metal look: the profile moved by the colour's own lightness.
constexpr int metalReference = 212;

} // namespace

int cylinderBorderWidth(int thickness)
{
    return thickness > 9 ? 2 : 1;
}

int cylinderMargin(int thickness)
{
    return 2 * cylinderBorderWidth(thickness);
}

double cylinderPercent(int position, int maximum)
{
    if (maximum <= 0 || position <= 0)
        return 0.0;
    return std::min(position, maximum) * 100.0 / maximum;
}

int cylinderFilledEnd(int position, int maximum, int usableLength, int margin)
{
    if (maximum <= 0 || position <= 0 || usableLength <= 0)
        return 0;
    const double percent = cylinderPercent(position, maximum);
    const double length = usableLength * percent / 100.0;
    int filled = 0;
    if (length > 0.0 && length < margin + 1)
        filled = margin + 1;
    else
        filled = static_cast<int>(std::lround(length));
    return std::min(filled, usableLength);
}

QRgb cylinderColumnColor(QRgb start, QRgb final, int i, int usableLength)
{
    if (i <= 0 || usableLength <= 0)
        return qRgb(qRed(start), qGreen(start), qBlue(start));
    i = std::min(i, usableLength);
    return qRgb(channelAt(qRed(start), qRed(final), i, usableLength),
                channelAt(qGreen(start), qGreen(final), i, usableLength),
                channelAt(qBlue(start), qBlue(final), i, usableLength));
}

double cylinderLightnessProfile(double x)
{
    return -4342.9 * std::pow(5.0, x) + 10543.0 * std::pow(4.0, x) - 8216.0 * std::pow(3.0, x) +
           2018.1 * std::pow(2.0, x) + 11.096 * x + 164.6;
}

QList<QRgb> cylinderShades(QRgb color, int n, TBarLook look, bool inverted)
{
    QList<QRgb> shades;
    if (n <= 0)
        return shades;
    shades.reserve(n);
    const Hls own = rgbToHls(color);
    for (int j = 0; j < n; ++j) {
        const double profile = cylinderLightnessProfile(double(j) / n);
        int lightness = look == blGlass ? static_cast<int>(std::lround(profile))
                                        : static_cast<int>(std::trunc(profile)) + own.lightness -
                                              metalReference;
        lightness = std::clamp(lightness, 0, hlsMax);
        if (inverted)
            lightness = hlsMax - lightness;
        shades.append(hlsToRgb({own.hue, lightness, own.saturation}));
    }
    return shades;
}

bool CylinderBlocks::isGap(int column) const
{
    if (!active() || column < firstColumn)
        return false;
    return (column - firstColumn) % (blockSize + spaceSize) >= blockSize;
}

int CylinderBlocks::blockEnd(int column) const
{
    if (!active() || column < firstColumn)
        return column;
    const int period = blockSize + spaceSize;
    const int blockStart = firstColumn + (column - firstColumn) / period * period;
    return std::min(blockStart + blockSize - 1, lastColumn);
}

} // namespace dosarium
