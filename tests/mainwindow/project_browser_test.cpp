// The project browser as a user meets it: projects, modules with their
// counts and icons, routines with their status, the code box, sorting, the
// progress bars, the routine pop-up and "Go to Code", and the refusals of
// the tool bars.

#include <QHeaderView>
#include <QTest>

#include "errorhandling/insertion.h"
#include "mainwindow/browser_fixture.h"
#include "mainwindow/status_tally.h"
#include "platform/code_page.h"

namespace qv::mainwindow::test {
namespace {

int IconOf(QTreeWidgetItem* row) {
    return row->data(0, kIconRole).toInt();
}

TEST_F(BrowserTest, PickingAProjectListsItsModulesNotEvaluated) {
    auto browser = Browser();
    EXPECT_EQ(browser->ProjectBox().count(), 1);
    EXPECT_EQ(browser->ProjectBox().currentIndex(), -1);
    ASSERT_TRUE(browser->ChooseProject("Project1"));
    EXPECT_EQ(Column(browser->ModuleList(), 0), QStringList({"modA", "modB"}));
    for (const QStringList& row : ListRows(browser->ModuleList())) {
        EXPECT_EQ(row, QStringList({row[0], " ", " ", " ", " "}));
    }
    EXPECT_EQ(IconOf(browser->ModuleList().topLevelItem(0)), module_icon::kNotEvaluated);
    EXPECT_EQ(browser->RoutineList().topLevelItemCount(), 0);
}

TEST_F(BrowserTest, StatusCountsEveryModuleAndSetsItsIcon) {
    auto browser = Browser();
    browser->ChooseProject("Project1");
    browser->StatusPass();
    // modA: five routines without handlers; modB: Handled Good, Extra and
    // ErrorSave Error, Other Some.
    EXPECT_EQ(ListRows(browser->ModuleList()),
              Rows({{"modA", "0", "0", "0", "5"}, {"modB", "1", "1", "2", "0"}}));
    EXPECT_EQ(IconOf(RowNamed(browser->ModuleList(), "modA")), module_icon::kNeedsWork);
    EXPECT_EQ(IconOf(RowNamed(browser->ModuleList(), "modB")), module_icon::kNeedsWork);
    EXPECT_FALSE(browser->Bar(0).isVisible());
}

TEST_F(BrowserTest, ExcludeReadOnlyListsReadOnlyModulesWithoutEvaluatingThem) {
    fixture_.Project().VBComponents();
    auto& modA =
        static_cast<host::memory::MemoryComponent&>(fixture_.Project().VBComponents().Item("modA"));
    modA.SetFiles({"/x/modA.bas"});
    services_.readOnlyFiles.insert("/x/modA.bas");
    auto browser = Browser();
    browser->ChooseProject("Project1");
    browser->ExcludeReadOnlyOption().setChecked(true);
    browser->StatusPass();
    EXPECT_EQ(ListRows(browser->ModuleList())[0], QStringList({"modA", " ", " ", " ", " "}));
    EXPECT_EQ(IconOf(RowNamed(browser->ModuleList(), "modA")), module_icon::kNotEvaluated);

    browser->AllModulesOption().setChecked(true);
    browser->StatusPass();
    EXPECT_EQ(IconOf(RowNamed(browser->ModuleList(), "modA")), 5);  // needs work, read-only
}

TEST_F(BrowserTest, ChoosingAModuleListsItsRoutinesSortedWithTheirStatus) {
    auto browser = BrowserOn("modB");
    EXPECT_EQ(ListRows(browser->RoutineList()), Rows({{"(Declarations)", "", "", ""},
                                                      {"ErrorSave", "", "EXTRA CODE", "OK"},
                                                      {"Extra", "", "OK", "EXTRA CODE"},
                                                      {"Handled", "", "OK", "OK"},
                                                      {"Other", "", "SOME", "N/A"}}));
    EXPECT_EQ(ListRows(browser->ModuleList())[1], QStringList({"modB", "1", "1", "2", "0"}));
    EXPECT_TRUE(browser->RoutineList().topLevelItem(0)->icon(0).isNull());
    EXPECT_EQ(RowNamed(browser->RoutineList(), "Handled")->data(0, kIconRole).toString(), "Sub");
    EXPECT_TRUE(browser->CodeBox().toPlainText().isEmpty());
}

// Names are the IDE's bytes (Cyrillic, code page 1251, here): shown as
// their letters and found again from the rows.
TEST_F(BrowserTest, NamesOfTheIdesCodePageAreShownAndFoundAgain) {
    fixture_.Vbe().SetTextCodePage(*text::CodePage::Named("1251"));
    // Модуль with Расчёт.
    fixture_.Add("\xCC\xEE\xE4\xF3\xEB\xFC", host::vbext_ct_StdModule,
                 Vb({"Sub \xD0\xE0\xF1\xF7\xB8\xF2()", "    Beep", "End Sub"}));
    auto browser = BrowserOn(QString::fromUtf8("Модуль"));
    EXPECT_EQ(Column(browser->ModuleList(), 0),
              QStringList({"modA", "modB", QString::fromUtf8("Модуль")}));
    EXPECT_EQ(ListRows(browser->RoutineList()),
              Rows({{"(Declarations)", "", "", ""},
                    {QString::fromUtf8("Расчёт"), "", "MISSING", "N/A"}}));
    QTreeWidgetItem* row = RowNamed(browser->RoutineList(), QString::fromUtf8("Расчёт"));
    browser->RoutineList().setCurrentItem(row);
    browser->RoutineClicked(row);
    EXPECT_EQ(browser->CodeBox().toPlainText(),
              QString::fromUtf8("Sub Расчёт()\n    Beep\nEnd Sub"));
}

TEST_F(BrowserTest, PropertyRowsCarryTheirTypeWordAndIcon) {
    auto browser = BrowserOn("modA");
    EXPECT_EQ(Column(browser->RoutineList(), 0),
              QStringList({"(Declarations)", "Another", "Plain", "Twice", "Value", "Value"}));
    const Rows rows = ListRows(browser->RoutineList());
    EXPECT_EQ(QStringList({rows[4][1], rows[5][1]}).join(','), "Let,Get");
    EXPECT_EQ(browser->RoutineList().topLevelItem(4)->data(0, kIconRole).toString(), "Property");
    EXPECT_EQ(RowNamed(browser->RoutineList(), "Twice")->data(0, kIconRole).toString(), "Function");
}

TEST_F(BrowserTest, ChoosingARoutineShowsItsTextInTheCodeBox) {
    auto browser = BrowserOn("modA");
    QTreeWidgetItem* row = RowNamed(browser->RoutineList(), "Twice");
    browser->RoutineList().setCurrentItem(row);
    browser->RoutineClicked(row);
    EXPECT_EQ(browser->CodeBox().toPlainText(),
              "\nPublic Function Twice(ByVal x As Long) As Long\n    Twice = 2 * x\nEnd Function");
    EXPECT_TRUE(browser->CodeBox().isReadOnly());
}

TEST_F(BrowserTest, ASecondClickOnTheSameModuleWithTheFocusDoesNotRelist) {
    auto browser = BrowserOn("modA");
    browser->show();
    browser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(browser.get()));
    QTreeWidgetItem* row = RowNamed(browser->ModuleList(), "modA");
    browser->ModuleList().setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(browser->ModuleList().hasFocus());
    QTreeWidgetItem* firstRoutine = browser->RoutineList().topLevelItem(1);
    firstRoutine->setText(2, "marked");
    browser->ModuleClicked(row);
    EXPECT_EQ(browser->RoutineList().topLevelItem(1)->text(2), "marked");
    browser->ModuleClicked(RowNamed(browser->ModuleList(), "modB"));
    EXPECT_EQ(Column(browser->RoutineList(), 0).size(), 5);
}

TEST_F(BrowserTest, AModuleRowReachedWithTheArrowKeysListsItsRoutines) {
    auto browser = BrowserOn("modA");
    browser->show();
    browser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(browser.get()));
    const QStringList modA = Column(browser->RoutineList(), 0);
    browser->ModuleList().setFocus();
    QTest::keyClick(&browser->ModuleList(), Qt::Key_Down);
    EXPECT_EQ(browser->SelectedModuleRow()->text(0), "modB");
    EXPECT_NE(Column(browser->RoutineList(), 0), modA);
    EXPECT_EQ(Column(browser->RoutineList(), 0).size(), 5);
    // In the routine list an arrow key shows the routine it reaches.
    browser->RoutineList().setFocus();
    browser->RoutineList().setCurrentItem(browser->RoutineList().topLevelItem(1));
    QTest::keyClick(&browser->RoutineList(), Qt::Key_Down);
    EXPECT_FALSE(browser->CodeBox().toPlainText().isEmpty());
}

TEST_F(BrowserTest, TheGoodHeaderSortsAsNumbersAndASecondClickReverses) {
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i) {
        lines.push_back("Public Sub R" + std::to_string(i) + "()");
        lines.push_back("    Debug.Print " + std::to_string(i));
        lines.push_back("End Sub");
    }
    fixture_.Add("modTwelve", host::vbext_ct_StdModule, Vb(lines));
    for (int i = 0; i < 12; ++i) {
        std::string refusal;
        ASSERT_TRUE(errorhandling::AddRoutineErrorHandling(
            fixture_.Module("modTwelve").Members().Item("R" + std::to_string(i)), 0,
            Settings(), refusal));
    }
    auto browser = Browser();
    browser->ChooseProject("Project1");
    browser->StatusPass();
    ASSERT_EQ(RowNamed(browser->ModuleList(), "modTwelve")->text(1), "12");
    const int good = 1;
    browser->ModuleList().header()->sectionClicked(good);
    EXPECT_EQ(Column(browser->ModuleList(), good), QStringList({"0", "1", "12"}));
    browser->ModuleList().header()->sectionClicked(good);
    EXPECT_EQ(Column(browser->ModuleList(), good), QStringList({"12", "1", "0"}));
    browser->ModuleList().header()->sectionClicked(0);  // another column keeps the direction
    EXPECT_EQ(Column(browser->ModuleList(), 0), QStringList({"modTwelve", "modB", "modA"}));
}

TEST_F(BrowserTest, ReListingKeepsTheModuleListsSortOrder) {
    auto browser = Browser();
    browser->ChooseProject("Project1");
    browser->ModuleList().header()->sectionClicked(0);  // descending now
    ASSERT_EQ(Column(browser->ModuleList(), 0), QStringList({"modB", "modA"}));
    browser->StatusPass();
    EXPECT_EQ(Column(browser->ModuleList(), 0), QStringList({"modB", "modA"}));
}

TEST_F(BrowserTest, TheBarsShowTheirPercentageAndHideWhenAllIsLeftAtMinusOne) {
    auto browser = Browser();
    browser->show();
    browser->DoStatus(-1, -1, 200, -1);
    browser->DoStatus(90);
    EXPECT_TRUE(browser->Bar(0).isVisible());
    EXPECT_EQ(browser->Bar(0).text(), "45%");
    EXPECT_EQ(browser->Bar(0).value() * 100 / browser->Bar(0).maximum(), 45);
    EXPECT_FALSE(browser->Bar(1).isVisible());
    browser->DoStatus();
    EXPECT_FALSE(browser->Bar(0).isVisible());
}

TEST_F(BrowserTest, ABarShowsTheLatestValueWhenEventsRunNext) {
    auto browser = Browser();
    browser->show();
    browser->DoStatus(-1, -1, 100, -1);
    browser->DoStatus(1);
    EXPECT_EQ(browser->Bar(0).text(), "1%");  // a bar comes up with its value
    for (int value = 2; value <= 50; ++value) browser->DoStatus(value);
    QTest::qWait(40);
    browser->DoStatus(60);
    EXPECT_EQ(browser->Bar(0).text(), "60%");
    EXPECT_EQ(browser->Progress().BarState(0).value, 60);
}

TEST_F(BrowserTest, EnginesReportTheirProgressOnTheBrowsersBars) {
    auto browser = BrowserOn("modA");
    // Listing the routines ran the second bar from the start to its end.
    EXPECT_EQ(browser->Progress().BarState(1).maximum, 2 * 6);
    EXPECT_FALSE(browser->Progress().BarState(1).visible);  // hidden when the listing ended
}

TEST_F(BrowserTest, ARightClickBelowTheRowsDoesNothingAndOnDeclarationsOpensNoMenu) {
    auto browser = BrowserOn("modA");
    browser->show();
    QTreeWidget& list = browser->RoutineList();
    const QPoint below = list.viewport()->mapTo(&list, QPoint(5, list.viewport()->height() - 2));
    list.clearSelection();
    EXPECT_FALSE(browser->RoutineRightClick(below));
    EXPECT_TRUE(list.selectedItems().isEmpty());

    const QRect declarations = list.visualItemRect(list.topLevelItem(0));
    EXPECT_FALSE(browser->RoutineRightClick(list.viewport()->mapTo(&list, declarations.center())));
    EXPECT_EQ(list.selectedItems(), QList<QTreeWidgetItem*>({list.topLevelItem(0)}));

    const QRect plain = list.visualItemRect(RowNamed(list, "Plain"));
    EXPECT_TRUE(browser->RoutineRightClick(list.viewport()->mapTo(&list, plain.center())));
    EXPECT_EQ(list.selectedItems(), QList<QTreeWidgetItem*>({RowNamed(list, "Plain")}));
}

TEST_F(BrowserTest, GoToCodeFromExitStatusPutsTheCaretOnTheLastLineElseOnTheFirst) {
    auto browser = BrowserOn("modA");
    browser->show();
    int closes = 0;
    browser->onCloseRequest = [&] { ++closes; };
    QTreeWidget& list = browser->RoutineList();
    const QRect row = list.visualItemRect(RowNamed(list, "Twice"));
    const int exitColumnX = list.header()->sectionViewportPosition(3) + 3;
    host::CodePane& pane = fixture_.Module("modA").CodePane();
    long sl = 0, sc = 0, el = 0, ec = 0;

    ASSERT_TRUE(browser->RoutineRightClick(
        list.viewport()->mapTo(&list, QPoint(exitColumnX, row.center().y()))));
    ASSERT_TRUE(browser->GoToCode());
    pane.GetSelection(sl, sc, el, ec);
    EXPECT_EQ(fixture_.Module("modA").Lines(sl, 1), "End Function");
    EXPECT_EQ(sc, 1);
    EXPECT_EQ(el, sl);
    EXPECT_EQ(pane.TopLine(), fixture_.Module("modA").ProcStartLine("Twice", 0));

    ASSERT_TRUE(
        browser->RoutineRightClick(list.viewport()->mapTo(&list, QPoint(5, row.center().y()))));
    ASSERT_TRUE(browser->GoToCode());
    pane.GetSelection(sl, sc, el, ec);
    EXPECT_EQ(fixture_.Module("modA").Lines(sl, 1), "    Twice = 2 * x");
    EXPECT_EQ(fixture_.Vbe().ActiveCodePane(), &pane);
    EXPECT_EQ(closes, 2);
}

TEST_F(BrowserTest, ToolBarsWithoutAModuleRowAskForOneAndChangeNothing) {
    auto browser = Browser();
    browser->ChooseProject("Project1");
    const std::string before = fixture_.Text("modA");
    browser->ModuleToolClicked(1);
    ASSERT_EQ(services_.messages.size(), 1U);
    EXPECT_EQ(services_.messages[0].prompt, "Select a module first.");
    EXPECT_TRUE(services_.messages[0].atCursor);
    EXPECT_EQ(fixture_.Text("modA"), before);
}

TEST_F(BrowserTest, ReadOnlyModulesAreRefusedByBothToolBars) {
    auto& modA =
        static_cast<host::memory::MemoryComponent&>(fixture_.Project().VBComponents().Item("modA"));
    modA.SetFiles({"/x/modA.bas"});
    services_.readOnlyFiles.insert("/x/modA.bas");
    auto browser = BrowserOn("modA");
    const std::string before = fixture_.Text("modA");
    browser->ModuleToolClicked(1);
    SelectRoutines(*browser, {"Plain"});
    browser->RoutineToolClicked(1);
    ASSERT_EQ(services_.messages.size(), 2U);
    EXPECT_EQ(services_.messages[0].prompt, "A read-only module cannot be updated.");
    EXPECT_EQ(services_.messages[1].prompt, "A read-only module cannot be updated.");
    EXPECT_EQ(fixture_.Text("modA"), before);
}

TEST_F(BrowserTest, DetailsWithoutAProjectAsksForOne) {
    auto browser = Browser();
    browser->ShowDetails();
    ASSERT_EQ(services_.messages.size(), 1U);
    EXPECT_EQ(services_.messages[0].prompt, "Select a project first.");
}

TEST_F(BrowserTest, TheToolBarsCarryTheirToolTipsInOrder) {
    auto browser = Browser();
    QStringList tips;
    for (QAction* action : browser->ModuleTools().actions())
        tips << (action->isSeparator() ? "|" : action->toolTip());
    EXPECT_EQ(tips.join(','),
              "Add Error Hanlding,Repalce Error Handling,Remove Error Handling,|,"
              "Add Line Numbers,|,Indent Code");
    tips.clear();
    for (QAction* action : browser->RoutineTools().actions())
        tips << (action->isSeparator() ? "|" : action->toolTip());
    EXPECT_EQ(tips.join(','),
              "Add Error Handling,Replace Error Handling,Remove Error Handling,|,"
              "Add Line Number,|,Indent Code,|,Delete Routine");
}

TEST(StatusTally, TheRecountTableLeavesSomePairsUncounted) {
    EXPECT_EQ(TallyOfWords("OK", "OK"), WordTally::Good);
    EXPECT_EQ(TallyOfWords("OK", "N/A"), WordTally::Good);
    EXPECT_EQ(TallyOfWords("OK", "EXTRA CODE"), WordTally::Error);
    EXPECT_EQ(TallyOfWords("OK", "MISSING"), WordTally::NotCounted);
    EXPECT_EQ(TallyOfWords("MISSING", "anything"), WordTally::None);
    EXPECT_EQ(TallyOfWords("IN ERROR", "OK"), WordTally::Error);
    EXPECT_EQ(TallyOfWords("IN ERROR & EXTRA CODE", "OK"), WordTally::NotCounted);
    EXPECT_EQ(TallyOfWords("SOME", "N/A"), WordTally::Some);
    EXPECT_EQ(TallyOfWords("", ""), WordTally::NotCounted);
    EXPECT_EQ(ModuleIcon({3, 0, 0, 0}, false), 1);
    EXPECT_EQ(ModuleIcon({3, 0, 0, 1}, false), 2);
    EXPECT_EQ(ModuleIcon({3, 1, 0, 0}, true), 4);
    EXPECT_EQ(ModuleIcon({0, 0, 1, 0}, true), 5);
}

}  // namespace
}  // namespace qv::mainwindow::test
