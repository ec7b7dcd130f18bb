#include "widgets/BalloonGeometry.h"

#include <QPainterPath>

#include <algorithm>

namespace dosarium::BalloonGeometry {

namespace {

int rightEdge(const QRect &r)
{
    return r.x() + r.width();
}

int bottomEdge(const QRect &r)
{
    return r.y() + r.height();
}

int normalisedPosition(int position)
{
    return position >= AboveLeft && position <= BelowRight ? position : AboveLeft;
}

bool isAbove(int position)
{
    return position == AboveLeft || position == AboveRight;
}

// The product of a quadrant's two rooms, signs included: one negative room makes it negative,
// two make it positive again.
qint64 area(const QSize &room)
{
    return qint64(room.width()) * qint64(room.height());
}

} // namespace

QSize quadrantRoom(const Rooms &rooms, int position)
{
    switch (normalisedPosition(position)) {
    case AboveRight:
        return {rooms.right, rooms.top};
    case BelowLeft:
        return {rooms.left, rooms.bottom};
    case BelowRight:
        return {rooms.right, rooms.bottom};
    default:
        return {rooms.left, rooms.top};
    }
}

Rooms freeRooms(const QRect &control, const QRect &screen)
{
    const int tailAndGap = TailHeight + Margin;
    Rooms rooms;
    rooms.left = control.x() - screen.x() + Margin;
    rooms.right = rightEdge(screen) - rightEdge(control) + Margin;
    rooms.top = control.y() - screen.y() - tailAndGap;
    rooms.bottom = bottomEdge(screen) - bottomEdge(control) - tailAndGap;
    return rooms;
}

int largestQuadrant(const Rooms &rooms)
{
    static constexpr int order[] = {AboveLeft, BelowLeft, AboveRight, BelowRight};
    int best = order[0];
    qint64 bestArea = area(quadrantRoom(rooms, best));
    for (int position : order) {
        const qint64 a = area(quadrantRoom(rooms, position));
        if (a > bestArea) {
            best = position;
            bestArea = a;
        }
    }
    return best;
}

namespace {

// The icon and the title at the top of the panel; returns where the text starts below them.
int placeHeading(const QSize &iconSize, const QSize &titleSize, ContentLayout &layout)
{
    const bool hasIcon = !iconSize.isEmpty();
    const bool hasTitle = !titleSize.isEmpty();
    if (hasIcon)
        layout.icon = QRect(QPoint(Margin, Margin), iconSize);
    if (hasTitle)
        layout.title = QRect(QPoint(hasIcon ? rightEdge(layout.icon) + 8 : Margin, 12), titleSize);
    if (!hasIcon && !hasTitle)
        return Margin;
    return std::max(hasIcon ? bottomEdge(layout.icon) : 0,
                    hasTitle ? bottomEdge(layout.title) : 0) +
           8;
}

} // namespace

ContentLayout layoutContent(const QSize &iconSize, const QSize &titleSize, int bestWidth,
                            int maxWidth, int maxHeight, const TextMeasure &measureText)
{
    maxWidth = std::max(maxWidth, 2 * Margin + 1);
    maxHeight = std::max(maxHeight, 2 * Margin + 1);

    ContentLayout layout;
    const bool hasIcon = !iconSize.isEmpty();
    const bool hasTitle = !titleSize.isEmpty();
    const int textTop = placeHeading(iconSize, titleSize, layout);

    // The width the text was last asked to wrap at; the text itself may come out narrower.
    int wrap = 0;
    auto setTextWidth = [&](int width) {
        wrap = std::max(width, 1);
        const QSize size = measureText(wrap);
        layout.text = QRect(QPoint(Margin, textTop), size);
        layout.panel = QSize(rightEdge(layout.text) + Margin, bottomEdge(layout.text) + Margin);
    };
    // The next narrower width, or 0 when the text cannot get any narrower.
    auto narrower = [&](int by) {
        const int width = std::min(wrap, layout.text.width()) - by;
        return width >= 1 ? width : 0;
    };

    setTextWidth(bestWidth - 2 * Margin);

    if (layout.panel.height() > maxHeight) {
        setTextWidth(maxWidth - 2 * Margin);
        int previous = 0;
        while (layout.panel.height() < maxHeight && layout.text.width() > bestWidth) {
            const int width = narrower(10);
            if (width == 0)
                break;
            previous = std::min(wrap, layout.text.width());
            setTextWidth(width);
        }
        if (layout.panel.height() > maxHeight && previous > 0)
            setTextWidth(previous);
    }
    while (layout.panel.width() > maxWidth && layout.panel.height() < maxHeight) {
        const int width = narrower(10);
        if (width == 0)
            break;
        setTextWidth(width);
    }

    // The title must not reach beyond the panel. The icon alone never widens it: beside a
    // short text without a title the panel stays the text's size and cuts the icon.
    if (hasTitle && rightEdge(layout.title) + Margin > layout.panel.width()) {
        const int titleRight = rightEdge(layout.title) + Margin;
        setTextWidth(titleRight - 2 * Margin);
        layout.panel.setWidth(std::max(layout.panel.width(), titleRight));
    }

    layout.content = layout.panel;
    if (layout.panel.width() > maxWidth || layout.panel.height() > maxHeight) {
        QSize panel(layout.panel.width() + 20, layout.panel.height());
        const bool widthCut = panel.width() > maxWidth;
        panel = panel.boundedTo(QSize(maxWidth, maxHeight));
        if (widthCut) {
            const int width = narrower(20);
            if (width > 0)
                setTextWidth(width);
        }
        // The scroll range reaches every piece, the icon included.
        const int piecesRight =
            std::max(hasTitle ? rightEdge(layout.title) : 0, hasIcon ? rightEdge(layout.icon) : 0) +
            Margin;
        layout.content = QSize(std::max(rightEdge(layout.text) + Margin, piecesRight),
                               bottomEdge(layout.text) + Margin);
        layout.panel = panel;
        layout.scrolls = true;
    }
    return layout;
}

int choosePosition(int requested, const Rooms &rooms, const QSize &panel)
{
    const int first = normalisedPosition(requested);
    for (int i = 0; i < 4; ++i) {
        const int position = (first + i) % 4;
        const QSize room = quadrantRoom(rooms, position);
        if (room.width() >= panel.width() && room.height() >= panel.height())
            return position;
    }
    return largestQuadrant(rooms);
}

QPoint tailTip(const QRect &control, int position)
{
    switch (normalisedPosition(position)) {
    case AboveRight:
        return {rightEdge(control), control.y()};
    case BelowLeft:
        return {control.x(), bottomEdge(control)};
    case BelowRight:
        return {rightEdge(control), bottomEdge(control)};
    default:
        return control.topLeft();
    }
}

QSize windowSize(const QSize &panel, int position)
{
    const int width = std::max(panel.width() + 1, MinimumWindowWidth);
    if (isAbove(normalisedPosition(position)))
        return {width, panel.height() + TailHeight - 1};
    return {width, std::max(LowerPanelTop + panel.height() + 1, LowerPanelTop)};
}

QPoint panelOrigin(int position)
{
    return isAbove(normalisedPosition(position)) ? QPoint(0, 0) : QPoint(0, LowerPanelTop);
}

QRect windowRect(const QPoint &tip, const QSize &window, int position)
{
    const int w = window.width();
    const int h = window.height();
    switch (normalisedPosition(position)) {
    case AboveRight:
        return {tip.x() - TailOffset, tip.y() - h, w, h};
    case BelowLeft:
        return {tip.x() + TailOffset - w, tip.y() - 2, w, h};
    case BelowRight:
        return {tip.x() - TailOffset, tip.y() - 2, w, h};
    default:
        return {tip.x() + TailOffset - w, tip.y() - h, w, h};
    }
}

QPolygon tailTriangle(const QSize &window, int position)
{
    const int w = window.width();
    const int h = window.height();
    switch (normalisedPosition(position)) {
    case AboveRight:
        return QPolygon({{20, h - 20}, {20, h}, {40, h - 20}});
    case BelowLeft:
        return QPolygon({{w - 20, 2}, {w - 20, 22}, {w - 40, 22}});
    case BelowRight:
        return QPolygon({{20, 2}, {20, 22}, {40, 22}});
    default:
        return QPolygon({{w - 40, h - 20}, {w - 20, h}, {w - 20, h - 20}});
    }
}

QRect bodyRect(const QSize &window, int position)
{
    if (isAbove(normalisedPosition(position)))
        return {0, 0, window.width(), window.height() - (TailHeight - 2)};
    return {0, LowerPanelTop, window.width(), window.height() - LowerPanelTop};
}

QRegion roundedRegion(const QRect &rect, int rounding)
{
    // The rounding is the size of the ellipse that cuts each corner.
    QPainterPath path;
    path.addRoundedRect(QRectF(rect), rounding / 2.0, rounding / 2.0);
    return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}

QRegion bubbleRegion(const QSize &window, int position)
{
    return roundedRegion(bodyRect(window, position), CornerRounding)
        .united(QRegion(tailTriangle(window, position), Qt::WindingFill));
}

QRegion frameRegion(const QRegion &region)
{
    const QRegion inner = region.intersected(region.translated(1, 0))
                              .intersected(region.translated(-1, 0))
                              .intersected(region.translated(0, 1))
                              .intersected(region.translated(0, -1));
    return region.subtracted(inner);
}

} // namespace dosarium::BalloonGeometry
