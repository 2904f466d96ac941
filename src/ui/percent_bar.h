#pragma once
// Drawing one progress bar: the filled part is value / maximum of the width
// and the text is the whole percentage ("45%" for 90 of 200).

#include <QString>

class QProgressBar;

namespace qv::ui {

// The fraction a bar is filled to, held between 0 and 1; a maximum of 0 or
// less gives 0 (nothing is known yet).
double FilledFraction(int value, int maximum);

// The whole percentage of the fraction followed by "%", without rounding up.
QString PercentText(int value, int maximum);

// Sets value of maximum on the bar; it is painted with the next paint.
void SetBar(QProgressBar& bar, int value, int maximum);

// Draws value of maximum on the bar and repaints it at once, so that the
// bar moves while a long command keeps the event loop busy (paintNow
// false: when events next run).
void DrawBar(QProgressBar& bar, int value, int maximum, bool paintNow = true);

}  // namespace qv::ui
