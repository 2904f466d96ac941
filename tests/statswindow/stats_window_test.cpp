// The statistics window as a user meets it: the first focus fills the module
// list, the total row, routine details and their refusals, the hidden group
// gesture, and sorting by a column.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "statswindow/stats_window.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::statswindow {
namespace {

using test::Vb;

class StatsWindowTest : public ::testing::Test {
protected:
    StatsWindowTest() {
        fixture_.Add("modB", host::vbext_ct_StdModule,
                     Vb({"Option Explicit", "", "' Adds.", "Sub Add()", "    x = 1", "", "End Sub"}));
        fixture_.Add("CAccount", host::vbext_ct_ClassModule,
                     Vb({"Option Explicit", "Private m As Long", "",
                         "Public Property Let Value(ByVal v As Long)", "    m = v", "End Property",
                         "Public Property Get Value() As Long", "    ' the value", "    Value = m",
                         "End Property"}));
        fixture_.Add("modA", host::vbext_ct_StdModule, Vb({"Sub Main()", "End Sub"}));
        fixture_.Vbe().SetActiveProject(&fixture_.Project());
    }

    std::unique_ptr<StatsWindow> Window() {
        return std::make_unique<StatsWindow>(fixture_.Vbe(), StatsSelection{"Project1", {}, {}});
    }

    // The window shown and its figures worked out, as the first click on the
    // module list does.
    std::unique_ptr<StatsWindow> Computed() {
        auto window = Window();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseClick(window->ModuleList().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_TRUE(window->Computed());
        return window;
    }

    static QStringList Row(QTreeWidget& list, int row) {
        QStringList cells;
        for (int c = 0; c < list.columnCount(); ++c) cells << list.topLevelItem(row)->text(c);
        return cells;
    }

    static QStringList Column(QTreeWidget& list, int column) {
        QStringList cells;
        for (int r = 0; r < list.topLevelItemCount(); ++r) cells << list.topLevelItem(r)->text(column);
        return cells;
    }

    // A click on a module row (twice: a double-click).
    static void Select(StatsWindow& window, const QString& name, bool twice = false) {
        QTreeWidget& list = window.ModuleList();
        const auto rows = list.findItems(name, Qt::MatchExactly);
        ASSERT_EQ(rows.size(), 1);
        const QPoint at = list.visualItemRect(rows.first()).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        if (twice) QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }

    static void Details(StatsWindow& window) {
        QTest::mouseClick(&window.DetailsButton(), Qt::LeftButton);
    }

    static void GroupGesture(StatsWindow& window, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(&window.DetailsButton(), Qt::RightButton, modifiers);
    }

    test::RecordingServices services_;
    test::VbFixture fixture_;
};

TEST_F(StatsWindowTest, TheFirstFocusOnTheModuleListFillsItSortedUnderTheTotalRow) {
    auto window = Window();
    window->show();
    EXPECT_FALSE(window->Computed());
    window->ModuleList().setFocus();
    QTest::qWait(0);
    ASSERT_TRUE(window->Computed());
    EXPECT_EQ(window->windowTitle(), "Statistics for Project1");
    EXPECT_EQ(window->ModuleList().headerItem()->text(6), "Code");
    EXPECT_EQ(Column(window->ModuleList(), 0),
              QStringList({" <Total> 3 modules", "CAccount", "modA", "modB"}));
    EXPECT_EQ(Row(window->ModuleList(), 3), QStringList({"modB", "1", "7", "1", "2", "1", "3"}));
    EXPECT_FALSE(window->ProgressBar().isVisible());
}

// A person opens the window over a project with a long module name and tens
// of thousands of lines: every figure shows whole (the window grows to its
// columns, as far as the screen lets it), and the window can be resized by
// its corner, where no window manager draws a frame.
TEST_F(StatsWindowTest, EveryFigureShowsWholeAndTheWindowGrows) {
    std::vector<std::string> lines{"Sub Long()"};
    for (int i = 0; i < 74000; ++i) lines.push_back("    x = x + 1");
    lines.push_back("End Sub");
    fixture_.Add("modTheModuleWithTheLongestNameInTheProject", host::vbext_ct_StdModule,
                 test::Vb(lines));
    auto window = Window();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QWindow* handle = window->windowHandle();
    QTreeWidget& list = window->ModuleList();
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier,
                      list.viewport()->mapTo(window.get(), QPoint(5, 5)));
    ASSERT_TRUE(window->Computed());
    const QRect screen = window->screen()->availableGeometry();
    const QHeaderView& header = *list.header();
    const bool allColumnsShow = header.sectionViewportPosition(list.columnCount() - 1) +
                                    header.sectionSize(list.columnCount() - 1) <=
                                list.viewport()->width();
    EXPECT_TRUE(allColumnsShow || window->width() >= screen.width())
        << window->width() << " of " << screen.width();
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        for (int column = 0; column < list.columnCount(); ++column) {
            const QString text = list.topLevelItem(row)->text(column);
            EXPECT_LE(list.fontMetrics().horizontalAdvance(text), header.sectionSize(column))
                << text.toStdString();
        }
    }
    EXPECT_GE(list.topLevelItem(0)->text(6).toLong(), 74000);

    // The corner grip follows the mouse.
    const QSize before = window->size();
    const QPoint corner(window->width() - 3, window->height() - 3);
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, corner);
    QTest::mouseMove(handle, corner - QPoint(20, 20));
    QTest::mouseMove(handle, corner - QPoint(40, 60));
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, corner - QPoint(40, 60));
    EXPECT_LT(window->height(), before.height());
}

TEST_F(StatsWindowTest, RoutineDetailsListTheDeclarationsAndEachAccessor) {
    auto window = Computed();
    Select(*window, "CAccount");
    Details(*window);
    EXPECT_EQ(Column(window->RoutineList(), 0),
              QStringList({"(Declarations)", "Value  (Let)", "Value  (Get)"}));
    EXPECT_EQ(Row(window->RoutineList(), 2), QStringList({"Value  (Get)", "4", "0", "1", "3"}));
}

TEST_F(StatsWindowTest, RoutineDetailsRefuseWithoutAModuleAndSkipTheTotalAndTheShownModule) {
    auto window = Computed();
    window->ModuleList().clearSelection();
    window->ModuleList().setCurrentItem(nullptr);
    Details(*window);
    ASSERT_EQ(services_.messages.size(), 1u);
    EXPECT_EQ(services_.messages[0].prompt, "Select a module first.");
    EXPECT_TRUE(services_.messages[0].atCursor);
    EXPECT_EQ(services_.messages[0].buttons & mb::kExclamation, mb::kExclamation);

    Select(*window, window->ModuleList().topLevelItem(0)->text(0));  // the total row
    Details(*window);
    EXPECT_EQ(window->RoutineList().topLevelItemCount(), 0);

    Select(*window, "modB");
    Details(*window);
    QTreeWidgetItem* first = window->RoutineList().topLevelItem(0);
    Details(*window);
    EXPECT_EQ(window->RoutineList().topLevelItem(0), first) << "not rebuilt";

    Select(*window, "modA");
    EXPECT_EQ(window->RoutineList().topLevelItemCount(), 0) << "another row forgets the routines";
    Select(*window, "modA", true);
    EXPECT_EQ(Column(window->RoutineList(), 0), QStringList({"(Declarations)", "Main"}));
}

TEST_F(StatsWindowTest, TheGroupGestureListsEveryProjectInOneTable) {
    auto& second = fixture_.Vbe().AddProject("Second");
    second.AddComponent("modZ", host::vbext_ct_StdModule)
        .Code()
        ->LoadText(Vb({"Const C = 1", "Public Property Get P()", "End Property",
                       "Public Property Let P(v)", "End Property"}));
    auto window = Computed();
    GroupGesture(*window, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(window->windowTitle(), "Statistics for Project1") << "all three keys are needed";

    GroupGesture(*window, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(window->windowTitle(), "Statistics for project Group");
    EXPECT_TRUE(window->RoutineList().isHidden());
    EXPECT_TRUE(window->DetailsButton().isVisible());
    EXPECT_EQ(Column(window->ModuleList(), 0),
              QStringList({" <Total> 4 modules", "Project1.CAccount", "Project1.modA",
                           "Project1.modB", "Second.modZ"}));
    EXPECT_EQ(Row(window->ModuleList(), 4)[1], "1") << "a property counts once, a constant not";
    Select(*window, "Project1.modB");
    Details(*window);
    EXPECT_EQ(window->RoutineList().topLevelItemCount(), 0);
}

TEST_F(StatsWindowTest, TheGroupGestureWithOneProjectDoesNothing) {
    auto window = Computed();
    GroupGesture(*window, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(window->windowTitle(), "Statistics for Project1");
    EXPECT_FALSE(window->RoutineList().isHidden());
}

TEST_F(StatsWindowTest, AHeaderClickSortsByThatColumnAsNumbersAndAgainReverses) {
    auto window = Computed();
    QHeaderView& header = *window->ModuleList().header();
    const int x = header.sectionViewportPosition(2) + 5;
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(x, header.height() / 2));
    EXPECT_EQ(Column(window->ModuleList(), 2), QStringList({"2", "7", "10", "19"}));
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(x, header.height() / 2));
    EXPECT_EQ(Column(window->ModuleList(), 2), QStringList({"19", "10", "7", "2"}));
}

}  // namespace
}  // namespace qv::statswindow
