#include "ui/placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qv::ui {

EdgeRect ToEdgeRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

int RoundHalfEven(double value) {
    // Out-of-range values (a twips figure from a wild pointer position) are
    // held at the ends of the range instead of overflowing.
    if (std::isnan(value)) return 0;
    const double rounded = std::nearbyint(value);
    constexpr double kLow = std::numeric_limits<int>::min();
    constexpr double kHigh = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(rounded, kLow, kHigh));
}

EdgeRect CentredOn(QPoint point, QSize size) {
    const int left = point.x() - size.width() / 2;
    const int top = point.y() - size.height() / 2;
    return {left, top, left + size.width(), top + size.height()};
}

EdgeRect ValidateCoords(EdgeRect rect, const QRect& screen) {
    const EdgeRect edges = ToEdgeRect(screen);
    if (rect.left < edges.left) {
        rect.right += edges.left - rect.left;
        rect.left = edges.left;
    }
    if (rect.top < edges.top) {
        rect.bottom += edges.top - rect.top;
        rect.top = edges.top;
    }
    if (rect.right > edges.right) {
        rect.left = edges.right - rect.Width();
        rect.right = edges.right;
    }
    if (rect.bottom > edges.bottom) {
        rect.top = edges.bottom - rect.Height();
        rect.bottom = edges.bottom;
    }
    return rect;
}

QPoint CursorPointOverRect(EdgeRect rect, int position) {
    int x = rect.left + RoundHalfEven(rect.Width() / 2.0);
    if (position == 1 || position == 4 || position == 7) x = rect.left;
    // The right and bottom edges are one past the control; the pointer goes
    // on its last pixel so that it is still over the control.
    if (position == 3 || position == 6 || position == 9) x = rect.right - 1;
    int y = rect.top + RoundHalfEven(rect.Height() / 2.0);
    if (position >= 1 && position <= 3) y = rect.top;
    if (position >= 7 && position <= 9) y = rect.bottom - 1;
    return {x, y};
}

namespace {

enum class Align { Start, Centre, End };

Align VerticalAlign(int position) {
    switch (position) {
        case 1:
        case 5:
        case 8:
        case 10:
            return Align::Centre;
        case 2:
        case 4:
        case 7:
            return Align::Start;
        default:
            return Align::End;
    }
}

Align HorizontalAlign(int position) {
    switch (position) {
        case 1:
        case 2:
        case 3:
        case 10:
            return Align::Centre;
        case 4:
        case 5:
        case 6:
            return Align::Start;
        default:
            return Align::End;
    }
}

int Place(Align align, int start, int room, int extent) {
    switch (align) {
        case Align::Start:
            return start;
        case Align::Centre:
            return start + RoundHalfEven((room - extent) / 2.0);
        case Align::End:
            return start + room - extent;
    }
    return start;
}

}  // namespace

QPoint AlignedTopLeft(const QRect& workArea, QSize size, int position) {
    return {Place(HorizontalAlign(position), workArea.left(), workArea.width(), size.width()),
            Place(VerticalAlign(position), workArea.top(), workArea.height(), size.height())};
}

int TwipsPerPixel(int dotsPerInch) {
    return dotsPerInch > 0 ? std::max(1, RoundHalfEven(1440.0 / dotsPerInch)) : 15;
}

int TwipsToPixels(double twips, int twipsPerPixel) {
    if (twipsPerPixel <= 0) twipsPerPixel = 15;
    return RoundHalfEven(twips) / twipsPerPixel;
}

}  // namespace qv::ui
