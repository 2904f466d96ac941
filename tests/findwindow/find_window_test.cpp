// The find window as a user drives it: searching from the box and the
// button, the recent searches, what clears the results, the group images and
// what a click or Enter on each kind of node does. A click on a hit in a
// procedure (the hit selected, its code window brought up with the focus) is
// in the workbench's input tests, through the editor.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

#include "findwindow/find_tree_text.h"
#include "findwindow/find_window.h"
#include "platform/error_state.h"
#include "platform/event_trap.h"
#include "platform/vb_error.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::findwindow {
namespace {

using host::memory::MemoryCodeModule;
using test::Vb;

class FindWindowTest : public ::testing::Test {
protected:
    FindWindowTest() {
        fixture_.Add("modMain", host::vbext_ct_StdModule,
                     Vb({"Option Explicit", "Private total As Long", "",
                         "Public Sub AddUp(ByVal n As Long)", "    total = total + n",
                         "End Sub", "", "Public Function Twice(ByVal n As Long) As Long",
                         "    Twice = n + n", "End Function"}));
        fixture_.Add("CThing", host::vbext_ct_ClassModule,
                     Vb({"Option Explicit", "Public Property Get Total() As Long",
                         "    Total = 1", "End Property"}));
        fixture_.Vbe().SetActiveProject(&fixture_.Project());
        window_.SetVBInstance(&fixture_.Vbe());
        window_.SetProjects(&fixture_.Vbe().VBProjects());
        window_.resize(420, 480);
        window_.show();
    }

    std::string Tree() { return test::TreeText(*window_.ResultTree().model()); }

    QModelIndex NodeWithText(const QString& text) {
        const QModelIndexList found = window_.ResultTree().model()->match(
            window_.ResultTree().model()->index(0, 0), Qt::DisplayRole, text, 1,
            Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? QModelIndex() : found.first();
    }

    void ClickNode(const QModelIndex& index) {
        QTreeView& tree = window_.ResultTree();
        tree.scrollTo(index);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(index).center());
    }

    // Types over the search box's text.
    void TypeOver(const QString& text) {
        QLineEdit& line = *window_.SearchBox().lineEdit();
        QTest::keyClick(&line, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&line, Qt::Key_Delete);
        QTest::keyClicks(&line, text);
    }

    void TypeAndEnter(const QString& text) {
        TypeOver(text);
        QTest::keyClick(window_.SearchBox().lineEdit(), Qt::Key_Return);
    }

    // A click on a check box or option that does not yet show the state.
    static void ClickTo(QAbstractButton& box, bool checked) {
        if (box.isChecked() != checked)
            QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(4, box.height() / 2));
        ASSERT_EQ(box.isChecked(), checked);
    }

    MemoryCodeModule& Module(std::string_view name) { return fixture_.Module(name); }

    test::RecordingServices services_;
    test::VbFixture fixture_;
    FindWindow window_;
};

TEST_F(FindWindowTest, EnterInTheSearchBoxShowsTheTreeWithItsSummary) {
    TypeAndEnter("total");
    EXPECT_EQ(Tree(),
              "5 hits found.\n"
              "Project1\n"
              "  Modules\n"
              "    modMain\n"
              "      2:9: Private total As Long\n"
              "      AddUp\n"
              "        5:5: total = total + n\n"
              "        5:13: total = total + n\n"
              "  Class Modules\n"
              "    CThing\n"
              "      Total\n"
              "        2:21: Public Property Get Total() As Long\n"
              "        3:5: Total = 1\n");
}

TEST_F(FindWindowTest, TheFindButtonSearchesWithTheBoxesAsTheyStand) {
    TypeOver("Total");
    ClickTo(window_.MatchCaseBox(), true);
    ClickTo(window_.FirstPerLineBox(), true);
    QTest::mouseClick(&window_.FindButton(), Qt::LeftButton);
    EXPECT_EQ(Tree(),
              "2 hits found.\n"
              "Project1\n"
              "  Class Modules\n"
              "    CThing\n"
              "      Total\n"
              "        2:21: Public Property Get Total() As Long\n"
              "        3:5: Total = 1\n");
}

TEST_F(FindWindowTest, ModuleScopeWithoutPaneOrSelectionFindsNothing) {
    ClickTo(window_.ModuleScope(), true);
    TypeAndEnter("total");
    EXPECT_EQ(Tree(), "Search String Not Found\n");
    fixture_.Vbe().SetSelectedComponent(fixture_.Project().Components().Find("CThing"));
    TypeAndEnter("total");
    EXPECT_EQ(Tree().substr(0, 13), "2 hits found.");
}

TEST_F(FindWindowTest, RecentSearchesKeepEachTextOnceMostRecentFirst) {
    TypeAndEnter("total");
    TypeAndEnter("Twice");
    TypeAndEnter("total");
    QComboBox& box = window_.SearchBox();
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.itemText(0), "total");
    EXPECT_EQ(box.itemText(1), "Twice");
    EXPECT_EQ(box.currentText(), "total");
    EXPECT_FALSE(window_.Model().Tree().Empty()) << "refilling the list is not typing";
}

TEST_F(FindWindowTest, AnEmptySearchOnlyClears) {
    TypeAndEnter("total");
    TypeAndEnter("");
    EXPECT_EQ(Tree(), "");
    EXPECT_EQ(window_.SearchBox().count(), 1);
}

TEST_F(FindWindowTest, TypingOrChangingProjectsClearsTheResults) {
    TypeAndEnter("total");
    QTest::keyClicks(window_.SearchBox().lineEdit(), "x");
    EXPECT_EQ(Tree(), "");

    TypeAndEnter("total");
    auto& other = fixture_.Vbe().Projects().Add("Other", host::vbext_pt_StandardExe);
    EXPECT_EQ(Tree(), "");

    TypeAndEnter("total");
    other.Rename("Renamed");
    EXPECT_EQ(Tree(), "");

    TypeAndEnter("total");
    fixture_.Vbe().Projects().Remove(other);
    EXPECT_EQ(Tree(), "");
}

TEST_F(FindWindowTest, GroupNodesShowTheOpenImageWhileExpanded) {
    TypeAndEnter("total");
    const QModelIndex group = NodeWithText("Modules");
    ASSERT_TRUE(group.isValid());
    EXPECT_EQ(group.data(FindTreeModel::ImageRole).toString(), "Open");
    ClickNode(NodeWithText("modMain"));
    QTest::keyClick(window_.ResultTree().viewport(), Qt::Key_Left);  // not a group: no change
    EXPECT_EQ(NodeWithText("modMain").data(FindTreeModel::ImageRole).toString(), "StdModule");
    ClickNode(group);
    QTest::keyClick(window_.ResultTree().viewport(), Qt::Key_Left);
    EXPECT_FALSE(window_.ResultTree().isExpanded(group));
    EXPECT_EQ(group.data(FindTreeModel::ImageRole).toString(), "Close");
    QTest::keyClick(window_.ResultTree().viewport(), Qt::Key_Right);
    EXPECT_EQ(group.data(FindTreeModel::ImageRole).toString(), "Open");
}

TEST_F(FindWindowTest, EnterOnAHitOutsideEveryProcedureSelectsIt) {
    TypeAndEnter("total");
    const QModelIndex hit = NodeWithText("Private total As Long");
    ClickNode(hit.parent());  // the module's node, just above the hit
    QTest::keyClick(window_.ResultTree().viewport(), Qt::Key_Down);
    ASSERT_EQ(window_.ResultTree().currentIndex(), hit);
    QTest::keyClick(window_.ResultTree().viewport(), Qt::Key_Return);
    long startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    Module("modMain").CodePane().GetSelection(startLine, startColumn, endLine, endColumn);
    EXPECT_EQ(std::vector<long>({startLine, startColumn, endLine, endColumn}),
              std::vector<long>({2, 9, 2, 14}));
}

TEST_F(FindWindowTest, ClicksOnOtherNodesLeaveTheSelectionAlone) {
    TypeAndEnter("total");
    MemoryCodeModule& module = Module("modMain");
    module.CodePane().SetSelection(9, 1, 9, 3);
    for (const char* text : {"5 hits found.", "Project1", "Modules", "modMain", "AddUp"}) {
        ClickNode(NodeWithText(text));
    }
    long startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    module.CodePane().GetSelection(startLine, startColumn, endLine, endColumn);
    EXPECT_EQ(std::vector<long>({startLine, startColumn, endLine, endColumn}),
              std::vector<long>({9, 1, 9, 3}));
    EXPECT_EQ(fixture_.Vbe().ActiveCodePane(), nullptr);
}

TEST_F(FindWindowTest, AHitWhoseModuleIsGoneIsReportedNotFollowed) {
    std::vector<std::string> reported;
    SetErrorReporter([&](std::string_view where) { reported.emplace_back(where); });
    TypeAndEnter("total");
    const QModelIndex hit = NodeWithText("Total = 1");
    // The tree is stale once the project's name changed under it, without
    // the collection telling anyone.
    window_.SetProjects(nullptr);
    fixture_.Project().Rename("Elsewhere");
    ClickNode(hit);
    SetErrorReporter({});
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], "UDFind.TreeView1_NodeClick");
    EXPECT_EQ(Err().number, err::kSubscriptOutOfRange);
}

TEST_F(FindWindowTest, TheMinimumSizeKeepsEveryControlVisible) {
    window_.resize(window_.MinWidth(), window_.MinHeight());
    QTest::qWait(10);  // the layout follows the new size
    for (QWidget* control : std::initializer_list<QWidget*>{
             &window_.SearchBox(), &window_.FindButton(), &window_.WholeWordBox(),
             &window_.FirstPerLineBox(), &window_.GroupScope(), &window_.ResultTree()}) {
        const QRect inWindow(control->mapTo(&window_, QPoint(0, 0)), control->size());
        EXPECT_TRUE(window_.rect().contains(inWindow)) << control->metaObject()->className();
        EXPECT_GT(control->width(), 0);
    }
    EXPECT_GE(window_.ResultTree().height(), 60);
}

}  // namespace
}  // namespace qv::findwindow
