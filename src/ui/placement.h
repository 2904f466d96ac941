#pragma once
// The placement rules of the windows as plain arithmetic, so that they can be
// checked without a screen: where a message box centred on the pointer goes,
// how it is kept on the screen, where the pointer goes over a control and
// where a window is aligned in the work area.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace qv::ui {

// A window rectangle as the rules see it: right and bottom are one past the
// last pixel, so right − left is the width.
struct EdgeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const EdgeRect&) const = default;
};

EdgeRect ToEdgeRect(const QRect& rect);

// Rounds to the nearest integer, halves to the even neighbour, as the host's
// conversion to a whole number does.
int RoundHalfEven(double value);

// A rectangle of the given size whose centre is the point (the halves of odd
// sizes go to the right and below).
EdgeRect CentredOn(QPoint point, QSize size);

// Moves the rectangle, keeping its size, so that it does not cross the
// screen's left, top, right or bottom edge, in that order: a rectangle larger
// than the screen ends at its right and bottom edges.
EdgeRect ValidateCoords(EdgeRect rect, const QRect& screen);

// The point on a control for a position 1-9 laid out like a phone keypad:
// 1, 4, 7 the left edge; 3, 6, 9 the right edge; others the middle; 1, 2, 3
// the top edge; 7, 8, 9 the bottom edge; others the middle. The edges are the
// control's own outermost pixels.
QPoint CursorPointOverRect(EdgeRect rect, int position);

// The top-left corner for a window of the given size aligned in the work area
// by a position 1-10: vertically 1, 5, 8, 10 centred, 2, 4, 7 at the top,
// others at the bottom; horizontally 1, 2, 3, 10 centred, 4, 5, 6 at the
// left, others at the right.
QPoint AlignedTopLeft(const QRect& workArea, QSize size, int position);

// Screen measures in twips (1440 to the inch) and pixels.
int TwipsPerPixel(int dotsPerInch);
// Whole pixels: the twips are rounded to a whole number first, then divided
// without remainder.
int TwipsToPixels(double twips, int twipsPerPixel);

}  // namespace qv::ui
