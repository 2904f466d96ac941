#include "ui/percent_bar.h"

#include <QProgressBar>
#include <algorithm>
#include <cmath>

namespace qv::ui {

double FilledFraction(int value, int maximum) {
    if (maximum <= 0) return 0.0;
    return std::clamp(static_cast<double>(value) / maximum, 0.0, 1.0);
}

QString PercentText(int value, int maximum) {
    // Single precision, as the bar's arithmetic has always been: 90 of 200
    // is 45%, 1 of 3 is 33%.
    const float percent = static_cast<float>(FilledFraction(value, maximum)) * 100.0F;
    return QString::number(static_cast<int>(std::floor(percent))) + QLatin1Char('%');
}

void SetBar(QProgressBar& bar, int value, int maximum) {
    // A range of 0 to 0 would turn the bar into a busy indicator.
    constexpr int kSteps = 10000;
    bar.setRange(0, kSteps);
    bar.setValue(static_cast<int>(std::lround(FilledFraction(value, maximum) * kSteps)));
    bar.setFormat(PercentText(value, maximum));
    bar.setTextVisible(true);
}

void DrawBar(QProgressBar& bar, int value, int maximum, bool paintNow) {
    SetBar(bar, value, maximum);
    if (!bar.isVisible()) return;
    if (paintNow) {
        bar.repaint();
    } else {
        bar.update();
    }
}

}  // namespace qv::ui
