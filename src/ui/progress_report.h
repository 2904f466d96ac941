#pragma once
// The progress report of a window with two bars (0 and 1): four optional
// values, each −1 when left unchanged.
//
// - A maximum of 0 or more resets that bar's value to 0; one above 0 also
//   becomes the bar's maximum.
// - Only when both maxima are left at −1: the values given are stored and
//   drawn, and then each bar shows exactly while its value is at least 1;
//   with no value given either, both bars are hidden.

#include <array>
#include <cstddef>

namespace qv::ui {

// Where a report is drawn: the window's two bars.
class ProgressDisplay {
  public:
    virtual ~ProgressDisplay() = default;
    virtual void DrawBar(int bar, int value, int maximum) = 0;
    virtual void SetBarVisible(int bar, bool visible) = 0;
};

class ProgressReport {
  public:
    struct Bar {
        int maximum = 0;
        int value = 0;
        bool visible = false;
    };

    // The display may be null (nothing is drawn; the state is still kept).
    void SetDisplay(ProgressDisplay* display) { display_ = display; }

    void DoStatus(int value1 = -1, int value2 = -1, int max1 = -1, int max2 = -1);

    const Bar& BarState(int bar) const { return bars_.at(static_cast<std::size_t>(bar)); }

  private:
    void SetMaximum(int bar, int maximum);
    void SetValue(int bar, int value);
    void SetVisible(int bar, bool visible);

    std::array<Bar, 2> bars_{};
    ProgressDisplay* display_ = nullptr;
};

}  // namespace qv::ui
