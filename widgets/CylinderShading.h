// The colour and layout rules of the cylinder progress bar: the fill length for a position, the
// colour along the bar, the shading across it and the blocks it is split into.
#pragma once

#include <QList>
#include <QRgb>

namespace dosarium {

enum TBarOrientation { boHorizontal, boVertical };
enum TBarKind { bkFlat, bkCylinder };
enum TBarLook { blMetal, blGlass };

// Border width for a bar of the given thickness (its height when horizontal).
int cylinderBorderWidth(int thickness);
// The margin m: twice the border width.
int cylinderMargin(int thickness);

// The last filled pixel column (counted from the start of the control) for a position, given
// the usable length and the margin; 0 when nothing is filled. Positions are cut to the maximum,
// which must be above 0. Any filled part reaches at least column margin + 1.
int cylinderFilledEnd(int position, int maximum, int usableLength, int margin);

// Percentage of the maximum a position stands for, the position cut to the maximum first;
// 0 for positions of 0 or below.
double cylinderPercent(int position, int maximum);

// The colour of the column at distance i from the start of a bar of usable length L.
QRgb cylinderColumnColor(QRgb start, QRgb final, int i, int usableLength);

// Lightness (0 to 240 scale) of the lit rod at x in [0, 1] across its thickness.
double cylinderLightnessProfile(double x);

// The n colours across the bar for one column colour, pixel j taking the profile at j / n.
// With inverted each pixel's lightness becomes 240 minus it.
QList<QRgb> cylinderShades(QRgb color, int n, TBarLook look, bool inverted);

// Block layout along the bar: the first block starts at firstColumn and is blockSize long, each
// further block follows a gap of spaceSize columns, the last block ends at lastColumn.
struct CylinderBlocks {
    int blockSize = 0;
    int spaceSize = 0;
    int firstColumn = 0;
    int lastColumn = 0;

    bool active() const { return blockSize > 0 && spaceSize > 0; }
    // True for a column of a gap; always false when blocks are not in use.
    bool isGap(int column) const;
    // The last column of the block a column belongs to (the column itself without blocks).
    int blockEnd(int column) const;
};

} // namespace dosarium
