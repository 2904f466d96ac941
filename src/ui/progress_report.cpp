#include "ui/progress_report.h"

namespace qv::ui {

void ProgressReport::DoStatus(int value1, int value2, int max1, int max2) {
    SetMaximum(0, max1);
    SetMaximum(1, max2);
    if (max1 != -1 || max2 != -1) return;
    if (value1 == -1 && value2 == -1) {
        SetVisible(0, false);
        SetVisible(1, false);
        return;
    }
    if (value1 != -1) SetValue(0, value1);
    if (value2 != -1) SetValue(1, value2);
    SetVisible(0, bars_[0].value >= 1);
    SetVisible(1, bars_[1].value >= 1);
}

void ProgressReport::SetMaximum(int bar, int maximum) {
    if (maximum < 0) return;
    Bar& state = bars_[static_cast<std::size_t>(bar)];
    if (maximum > 0) state.maximum = maximum;
    state.value = 0;
}

void ProgressReport::SetValue(int bar, int value) {
    Bar& state = bars_[static_cast<std::size_t>(bar)];
    state.value = value;
    if (display_ != nullptr) display_->DrawBar(bar, value, state.maximum);
}

void ProgressReport::SetVisible(int bar, bool visible) {
    bars_[static_cast<std::size_t>(bar)].visible = visible;
    if (display_ != nullptr) display_->SetBarVisible(bar, visible);
}

}  // namespace qv::ui
