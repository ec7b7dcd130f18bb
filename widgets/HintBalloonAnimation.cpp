#include "widgets/HintBalloonAnimation.h"

#include <algorithm>
#include <cmath>

namespace dosarium::HintBalloonAnimation {

namespace {

int part(int length, double progress)
{
    return int(std::lround(length * std::clamp(progress, 0.0, 1.0)));
}

} // namespace

QRect revealedRect(THintBalloonAnimationType type, const QSize &window, double progress)
{
    const int w = window.width();
    const int h = window.height();
    const int pw = part(w, progress);
    const int ph = part(h, progress);
    switch (type) {
    case batCenter:
        return {(w - pw) / 2, (h - ph) / 2, pw, ph};
    case batSlideLeftToRight:
    case batWipeLeftToRight:
        return {0, 0, pw, h};
    case batSlideRightToLeft:
    case batWipeRightToLeft:
        return {w - pw, 0, pw, h};
    case batSlideTopToBottom:
    case batWipeTopToBottom:
        return {0, 0, w, ph};
    case batSlideBottomToTop:
    case batWipeBottomToTop:
        return {0, h - ph, w, ph};
    case batNone:
    case batBlend:
        break;
    }
    return {0, 0, w, h};
}

QPoint slideOffset(THintBalloonAnimationType type, const QSize &window, double progress)
{
    const int w = window.width();
    const int h = window.height();
    switch (type) {
    case batSlideLeftToRight:
        return {part(w, progress) - w, 0};
    case batSlideRightToLeft:
        return {w - part(w, progress), 0};
    case batSlideTopToBottom:
        return {0, part(h, progress) - h};
    case batSlideBottomToTop:
        return {0, h - part(h, progress)};
    default:
        return {0, 0};
    }
}

} // namespace dosarium::HintBalloonAnimation
