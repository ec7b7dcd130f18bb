#pragma once

// Geometry of the balloon hint: the free room around the control pointed at, the sizing of the
// content panel, the choice of the corner the tail points from, the window rectangle and the
// bubble outline. Everything here is plain arithmetic so that it can be checked without a screen.
//
// Rectangles of controls follow the window system's edge convention: the right edge is
// x() + width() and the bottom edge is y() + height() (one past the last pixel), so a point is
// the empty rectangle QRect(x, y, 0, 0).

#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <functional>

namespace dosarium::BalloonGeometry {

inline constexpr int TailHeight = 20;
inline constexpr int TailWidth = 20;
inline constexpr int TailOffset = 20;
inline constexpr int CornerRounding = 7;
inline constexpr int Margin = 10;
inline constexpr int MinimumWindowWidth = 41;
inline constexpr int LowerPanelTop = 22;

// Free room on each side of the control, in pixels.
struct Rooms {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// One of the four places a balloon can take around the control.
enum Position { AboveLeft = 0, AboveRight = 1, BelowLeft = 2, BelowRight = 3 };

// The room of the quadrant on the side of the control where a balloon at `position` lies.
QSize quadrantRoom(const Rooms &rooms, int position);

// Room left between the control (screen coordinates) and the edges of the screen.
Rooms freeRooms(const QRect &control, const QRect &screen);

// The position whose quadrant has the largest product of its two rooms, taken with their signs
// (two negative rooms give a positive product); quadrants are compared in the order above-left,
// below-left, above-right, below-right and the first of equal ones wins.
int largestQuadrant(const Rooms &rooms);

// Places of the pieces of the content panel, in panel coordinates.
struct ContentLayout {
    QRect icon;    // empty without an icon
    QRect title;   // empty without a title
    QRect text;    // the word-wrapped text
    QSize panel;   // the panel shown in the window
    QSize content; // the area the pieces need; larger than the panel when it scrolls
    bool scrolls = false;
};

// Measures the text wrapped at a given width; returns the size of the text as laid out (its
// width is that of its longest line).
using TextMeasure = std::function<QSize(int wrapWidth)>;

// Lays out the content panel. `iconSize` and `titleSize` are empty when the piece is absent.
ContentLayout layoutContent(const QSize &iconSize, const QSize &titleSize, int bestWidth,
                            int maxWidth, int maxHeight, const TextMeasure &measureText);

// Starting with the requested position, the first of four in turn whose quadrant holds the
// panel; the largest quadrant when none does.
int choosePosition(int requested, const Rooms &rooms, const QSize &panel);

// The corner of the control at which the tail tip sits for `position`.
QPoint tailTip(const QRect &control, int position);

// Window size for a panel of the given size at `position`.
QSize windowSize(const QSize &panel, int position);

// Top-left corner of the panel inside the window.
QPoint panelOrigin(int position);

// The window rectangle on the screen, so that the tail tip lands on `tip`.
QRect windowRect(const QPoint &tip, const QSize &window, int position);

// The tail triangle in window coordinates.
QPolygon tailTriangle(const QSize &window, int position);

// The rounded body of the bubble in window coordinates (without the tail).
QRect bodyRect(const QSize &window, int position);

// The whole bubble: the rounded body joined with the tail.
QRegion bubbleRegion(const QSize &window, int position);

// A rectangle with rounded corners as a pixel region.
QRegion roundedRegion(const QRect &rect, int rounding);

// The one-pixel frame of a region: its pixels that touch a pixel outside it.
QRegion frameRegion(const QRegion &region);

} // namespace dosarium::BalloonGeometry
