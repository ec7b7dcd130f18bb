#pragma once

// How a balloon hint comes onto the screen: not at all animated, faded in, grown from its
// centre, slid in or rolled open from one side. The reveal functions give, for a progress from
// 0 to 1, the part of the window that shows and where its picture is drawn.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace dosarium {

enum THintBalloonAnimationType {
    batNone,
    batBlend,
    batCenter,
    batSlideLeftToRight,
    batSlideRightToLeft,
    batSlideTopToBottom,
    batSlideBottomToTop,
    batWipeLeftToRight,
    batWipeRightToLeft,
    batWipeTopToBottom,
    batWipeBottomToTop
};

namespace HintBalloonAnimation {

// The part of a window of the given size that shows at `progress` (0 to 1).
QRect revealedRect(THintBalloonAnimationType type, const QSize &window, double progress);

// Where the window's picture is drawn at `progress`: a sliding balloon moves in from its side,
// every other kind stays in place.
QPoint slideOffset(THintBalloonAnimationType type, const QSize &window, double progress);

} // namespace HintBalloonAnimation

} // namespace dosarium
