#pragma once
// The small window that module and project commands show while they run: a
// title naming the command, one label with the current step, and two bars
// (0 the component bar, 1 the routine bar) that show or hide one by one.
// What it is told is painted at once (a few dozen times a second at most),
// since the command keeps the event loop busy until it ends.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <string_view>

#include "platform/services.h"

class QLabel;
class QProgressBar;

namespace qv::ui {

class QtStatusWindow : public QWidget, public StatusWindow {
  public:
    explicit QtStatusWindow(QWidget* parent = nullptr);

    void SetTitle(std::string_view title) override;
    void SetLabel(std::string_view label) override;
    void SetBarMax(int bar, int max) override;
    void SetBarValue(int bar, int value) override;
    void SetBarVisible(int bar, bool visible) override;
    // Shows the window, centred in the work area when it was not showing.
    void Show() override;
    // Hides the window and forgets its title, label and bars.
    void Unload() override;

    // What the window shows, for tests and the demo.
    QString LabelText() const { return labelText_; }
    const QProgressBar& Bar(int bar) const { return *bars_.at(static_cast<size_t>(bar)); }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QProgressBar* BarAt(int bar) const;
    void ShowLabel();
    void Reset();
    // Paints the window now unless it did a moment ago: a project run tells
    // it thousands of times a second, and painting each would take longer
    // than the run; a few dozen paints a second keep it moving.
    void PaintIfDue();
    void PaintNow();
    // The bars take the values they were told.
    void ApplyBars();

    QLabel* label_;
    QString labelText_;
    std::array<QProgressBar*, 2> bars_{};
    std::array<int, 2> maximum_{};
    std::array<int, 2> value_{};
    QElapsedTimer sincePaint_;
    QTimer latePaint_;
};

}  // namespace qv::ui
