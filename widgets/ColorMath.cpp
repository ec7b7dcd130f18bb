#include "widgets/ColorMath.h"

#include <QtGlobal>
#include <algorithm>
#include <cstdlib>

namespace dosarium {

namespace {

constexpr int rgbMax = 255;

// One channel of the conversion back: n1 and n2 are the two magic levels, hue the channel's
// hue on the 0 to 240 circle.
int hueToLevel(int n1, int n2, int hue)
{
    if (hue < 0)
        hue += hlsMax;
    if (hue > hlsMax)
        hue -= hlsMax;
    if (hue < hlsMax / 6)
        return n1 + ((n2 - n1) * hue + hlsMax / 12) / (hlsMax / 6);
    if (hue < hlsMax / 2)
        return n2;
    if (hue < hlsMax * 2 / 3)
        return n1 + ((n2 - n1) * (hlsMax * 2 / 3 - hue) + hlsMax / 12) / (hlsMax / 6);
    return n1;
}

int levelToChannel(int level)
{
    return std::clamp((level * rgbMax + hlsMax / 2) / hlsMax, 0, rgbMax);
}

} // namespace

int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long divisor = c;
    const long long magnitude =
        (std::llabs(product) + std::llabs(divisor) / 2) / std::llabs(divisor);
    const bool negative = (product < 0) != (divisor < 0);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

Hls rgbToHls(QRgb rgb)
{
    const int r = qRed(rgb);
    const int g = qGreen(rgb);
    const int b = qBlue(rgb);
    const int cMax = std::max({r, g, b});
    const int cMin = std::min({r, g, b});

    Hls hls;
    hls.lightness = ((cMax + cMin) * hlsMax + rgbMax) / (2 * rgbMax);
    if (cMax == cMin) {
        hls.saturation = 0;
        hls.hue = hlsUndefinedHue;
        return hls;
    }

    const int spread = cMax - cMin;
    if (hls.lightness <= hlsMax / 2)
        hls.saturation = (spread * hlsMax + (cMax + cMin) / 2) / (cMax + cMin);
    else
        hls.saturation =
            (spread * hlsMax + (2 * rgbMax - cMax - cMin) / 2) / (2 * rgbMax - cMax - cMin);

    const int rDelta = ((cMax - r) * (hlsMax / 6) + spread / 2) / spread;
    const int gDelta = ((cMax - g) * (hlsMax / 6) + spread / 2) / spread;
    const int bDelta = ((cMax - b) * (hlsMax / 6) + spread / 2) / spread;
    if (r == cMax)
        hls.hue = bDelta - gDelta;
    else if (g == cMax)
        hls.hue = hlsMax / 3 + rDelta - bDelta;
    else
        hls.hue = hlsMax * 2 / 3 + gDelta - rDelta;
    if (hls.hue < 0)
        hls.hue += hlsMax;
    if (hls.hue > hlsMax)
        hls.hue -= hlsMax;
    return hls;
}

QRgb hlsToRgb(const Hls &hls)
{
    const int lum = hls.lightness;
    const int sat = hls.saturation;
    if (sat == 0) {
        const int grey = std::clamp(lum * rgbMax / hlsMax, 0, rgbMax);
        return qRgb(grey, grey, grey);
    }
    const int magic2 = lum <= hlsMax / 2 ? (lum * (hlsMax + sat) + hlsMax / 2) / hlsMax
                                         : lum + sat - (lum * sat + hlsMax / 2) / hlsMax;
    const int magic1 = 2 * lum - magic2;
    return qRgb(levelToChannel(hueToLevel(magic1, magic2, hls.hue + hlsMax / 3)),
                levelToChannel(hueToLevel(magic1, magic2, hls.hue)),
                levelToChannel(hueToLevel(magic1, magic2, hls.hue - hlsMax / 3)));
}

} // namespace dosarium
