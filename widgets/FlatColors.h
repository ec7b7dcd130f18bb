#pragma once

// Colour rules of the flat buttons: the face colour at each step of the hover fade and the
// 32-band gradient of the gradient faces.

#include <QColor>
#include <QRect>

class QPainter;

namespace dosarium::FlatColors {

inline constexpr int FadeSteps = 8;
inline constexpr int GradientBands = 32;

// Face colour at fade step k (0 to 8): per channel trunc(rest x (1 - k/8) + hot x k/8).
QColor fadeColor(const QColor &rest, const QColor &hot, int step);

// Colour of gradient band i (0 to 31): the first colour plus i/31 of the difference.
QColor bandColor(const QColor &from, const QColor &to, int band);

// Fills `rect` with 32 solid bands from `from` to `to`, top to bottom or left to right.
void fillBands(QPainter &painter, const QRect &rect, const QColor &from, const QColor &to,
               Qt::Orientation orientation = Qt::Vertical);

} // namespace dosarium::FlatColors
