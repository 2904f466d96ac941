#include <gtest/gtest.h>

#include <QProgressBar>
#include <QTest>
#include <string>
#include <vector>

#include "ui/percent_bar.h"
#include "ui/progress_report.h"
#include "ui/status_window.h"
#include "window_support/paint_counter.h"

namespace qv::ui {
namespace {

class RecordingDisplay : public ProgressDisplay {
  public:
    void DrawBar(int bar, int value, int maximum) override {
        calls.push_back("draw " + std::to_string(bar) + " " + std::to_string(value) + "/" +
                        std::to_string(maximum));
    }
    void SetBarVisible(int bar, bool visible) override {
        calls.push_back((visible ? "show " : "hide ") + std::to_string(bar));
    }
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST(ProgressReport, MaximaResetValuesAndDrawNothing) {
    ProgressReport report;
    RecordingDisplay display;
    report.SetDisplay(&display);
    report.DoStatus(-1, -1, 200, 0);
    EXPECT_EQ(display.calls, Calls{}) << "a call with a maximum only sets maxima";
    EXPECT_EQ(report.BarState(0).maximum, 200);
    EXPECT_EQ(report.BarState(1).maximum, 0);

    report.DoStatus(90);
    EXPECT_EQ(display.calls, (Calls{"draw 0 90/200", "show 0", "hide 1"}));
    display.calls.clear();

    report.DoStatus(-1, -1, 0);
    EXPECT_EQ(report.BarState(0).value, 0) << "a maximum of 0 resets the value";
    EXPECT_EQ(report.BarState(0).maximum, 200) << "and keeps the maximum";
    report.DoStatus(5, 3, 10);
    EXPECT_EQ(display.calls, Calls{}) << "values beside a maximum are not drawn";
    EXPECT_EQ(report.BarState(0).value, 0);
}

TEST(ProgressReport, BarsShowWhileTheirValueIsAtLeastOneAndDefaultsHideBoth) {
    ProgressReport report;
    RecordingDisplay display;
    report.SetDisplay(&display);
    report.DoStatus(-1, -1, 10, 4);
    report.DoStatus(-1, 1);
    EXPECT_EQ(display.calls, (Calls{"draw 1 1/4", "hide 0", "show 1"}));
    display.calls.clear();
    report.DoStatus(0, -1);
    EXPECT_EQ(display.calls, (Calls{"draw 0 0/10", "hide 0", "show 1"})) << "bar 1 keeps its value";
    display.calls.clear();
    report.DoStatus();
    EXPECT_EQ(display.calls, (Calls{"hide 0", "hide 1"}));
    EXPECT_FALSE(report.BarState(1).visible);
    EXPECT_EQ(report.BarState(1).value, 1) << "hiding keeps the values";

    ProgressReport undrawn;  // no display: the state is still kept
    undrawn.DoStatus(-1, -1, 5);
    undrawn.DoStatus(2);
    EXPECT_TRUE(undrawn.BarState(0).visible);
}

TEST(PercentBar, WholePercentOfTheFractionHeldBetweenNoneAndAll) {
    EXPECT_EQ(PercentText(90, 200), "45%");
    EXPECT_EQ(PercentText(1, 3), "33%");
    EXPECT_EQ(PercentText(2, 3), "66%");
    EXPECT_EQ(PercentText(200, 200), "100%");
    EXPECT_EQ(PercentText(0, 0), "0%") << "no maximum yet";
    EXPECT_EQ(PercentText(250, 200), "100%");
    EXPECT_EQ(PercentText(-5, 10), "0%");
    EXPECT_DOUBLE_EQ(FilledFraction(90, 200), 0.45);

    QProgressBar bar;
    DrawBar(bar, 90, 200);
    EXPECT_EQ(bar.text(), "45%");
    EXPECT_DOUBLE_EQ(double(bar.value()) / bar.maximum(), 0.45);
    DrawBar(bar, 0, 0);
    EXPECT_GT(bar.maximum(), 0) << "never the busy indicator";
}

TEST(QtStatusWindow, TitleLabelAndTwoBarsEachShownOrHidden) {
    QtStatusWindow window;
    window.SetTitle("Adding Module Error Handling to Modul\xE9");
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Adding Module Error Handling to Modulé"))
        << "names are the project's bytes, shown as text";
    window.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QSize size = window.size();

    window.SetLabel("Listing Procedures");
    EXPECT_EQ(window.LabelText(), "Listing Procedures");
    window.SetBarMax(1, 4);
    window.SetBarValue(1, 1);
    QTest::qWait(100);  // a value told between two paints shows a moment later
    EXPECT_EQ(window.Bar(1).text(), "25%");
    window.SetBarVisible(1, false);
    EXPECT_TRUE(window.Bar(1).isHidden());
    EXPECT_FALSE(window.Bar(0).isHidden());
    window.SetBarValue(7, 1);  // no such bar: nothing happens
    EXPECT_EQ(window.size(), size) << "bars come and go without the window jumping";

    const std::string longName = "Module: " + std::string(300, 'x');
    window.SetLabel(longName);
    EXPECT_EQ(window.size(), size) << "a long step name is elided, not widening the window";
    EXPECT_EQ(window.LabelText().size(), qsizetype(longName.size()));

    window.Unload();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.LabelText().isEmpty());
    EXPECT_TRUE(window.windowTitle().isEmpty());
    EXPECT_FALSE(window.Bar(1).isHidden());
    EXPECT_EQ(window.Bar(1).text(), "0%");
}

using qv::test::PaintCounter;

TEST(QtStatusWindow, AFloodOfValuesPaintsAFewTimesAndEndsOnTheLast) {
    QtStatusWindow window;
    window.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter;
    const_cast<QProgressBar&>(window.Bar(1)).installEventFilter(&counter);
    window.SetBarMax(1, 20000);
    // A project run tells the bar of every routine, without events between.
    for (int i = 1; i <= 20000; ++i) window.SetBarValue(1, i);
    EXPECT_LE(counter.paints, 10) << "each value painted at once";
    QTest::qWait(100);
    EXPECT_EQ(window.Bar(1).text(), "100%");
}

}  // namespace
}  // namespace qv::ui
