// Integer colour arithmetic shared by the painted controls: the rounding multiply-divide of the
// band colours and the hue, lightness and saturation conversion on the 0 to 240 scale.
#pragma once

#include <QRgb>

namespace dosarium {

// a * b / c rounded to the nearest whole number, halves away from zero; -1 when c is 0.
int mulDiv(int a, int b, int c);

// Hue, lightness and saturation, each on the scale 0 to hlsMax.
struct Hls {
    int hue = 0;
    int lightness = 0;
    int saturation = 0;

    friend bool operator==(const Hls &, const Hls &) = default;
};

inline constexpr int hlsMax = 240;
// The hue given to greys, whose hue is undefined.
inline constexpr int hlsUndefinedHue = hlsMax * 2 / 3;

Hls rgbToHls(QRgb rgb);
// Converts back to an opaque colour; with saturation 0 the grey is lightness * 255 / 240.
QRgb hlsToRgb(const Hls &hls);

} // namespace dosarium
