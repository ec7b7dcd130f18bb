#include "widgets/FlatColors.h"

#include <QPainter>

#include <algorithm>

namespace dosarium::FlatColors {

QColor fadeColor(const QColor &rest, const QColor &hot, int step)
{
    const QColor a = rest.toRgb();
    const QColor b = hot.toRgb();
    const double k = std::clamp(step, 0, FadeSteps) / double(FadeSteps);
    auto mix = [k](int from, int to) { return int(from * (1.0 - k) + to * k); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

QColor bandColor(const QColor &from, const QColor &to, int band)
{
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    const int i = std::clamp(band, 0, GradientBands - 1);
    const int last = GradientBands - 1;
    auto step = [i, last](int x, int y) { return x + (y - x) * i / last; };
    return QColor(step(a.red(), b.red()), step(a.green(), b.green()), step(a.blue(), b.blue()));
}

void fillBands(QPainter &painter, const QRect &rect, const QColor &from, const QColor &to,
               Qt::Orientation orientation)
{
    const int length = orientation == Qt::Vertical ? rect.height() : rect.width();
    for (int i = 0; i < GradientBands; ++i) {
        const int start = i * length / GradientBands;
        const int end = (i + 1) * length / GradientBands;
        if (end <= start)
            continue;
        const QRect band = orientation == Qt::Vertical
                               ? QRect(rect.left(), rect.top() + start, rect.width(), end - start)
                               : QRect(rect.left() + start, rect.top(), end - start, rect.height());
        painter.fillRect(band, bandColor(from, to, i));
    }
}

} // namespace dosarium::FlatColors
