// The project browser as a user meets it: projects, modules with their
// counts and icons, routines with their status, the code box, sorting, the
// progress bars, the routine pop-up and "Go to Code", and the refusals of
// the tool bars.

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
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
    PickFirstProject(*browser);
    EXPECT_EQ(browser->ProjectName(), "Project1");
    EXPECT_EQ(Column(browser->ModuleList(), 0), QStringList({"modA", "modB"}));
    for (const QStringList& row : ListRows(browser->ModuleList())) {
        EXPECT_EQ(row, QStringList({row[0], " ", " ", " ", " "}));
    }
    EXPECT_EQ(IconOf(browser->ModuleList().topLevelItem(0)), module_icon::kNotEvaluated);
    EXPECT_EQ(browser->RoutineList().topLevelItemCount(), 0);
}

TEST_F(BrowserTest, StatusCountsEveryModuleAndSetsItsIcon) {
    auto browser = Browser();
    PickFirstProject(*browser);
    ClickButton(browser->StatusButton());
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
    PickFirstProject(*browser);
    ClickButton(browser->ExcludeReadOnlyOption());
    ClickButton(browser->StatusButton());
    EXPECT_EQ(ListRows(browser->ModuleList())[0], QStringList({"modA", " ", " ", " ", " "}));
    EXPECT_EQ(IconOf(RowNamed(browser->ModuleList(), "modA")), module_icon::kNotEvaluated);

    ClickButton(browser->AllModulesOption());
    ClickButton(browser->StatusButton());
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
    ClickRow(browser->RoutineList(), QString::fromUtf8("Расчёт"));
    EXPECT_EQ(browser->CodeBox().toPlainText(),
              QString::fromUtf8("Sub Расчёт()\n    Beep\nEnd Sub"));
}

// The declarations row has no icon and stands first: the routine rows are
// still as high as the module rows, with room around their icons.
TEST_F(BrowserTest, BothListsHaveRowsOfOneHeightWithRoomForTheIcons) {
    auto browser = BrowserOn("modB");
    QTreeWidget& modules = browser->ModuleList();
    QTreeWidget& routines = browser->RoutineList();
    const int moduleRow = modules.visualItemRect(modules.topLevelItem(0)).height();
    ASSERT_GE(routines.topLevelItemCount(), 2);
    EXPECT_TRUE(routines.topLevelItem(0)->icon(0).isNull());
    for (int r = 0; r < routines.topLevelItemCount(); ++r)
        EXPECT_EQ(routines.visualItemRect(routines.topLevelItem(r)).height(), moduleRow) << r;
    EXPECT_GE(moduleRow, routines.iconSize().height() + 4);
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
    ClickRow(browser->RoutineList(), "Twice");
    EXPECT_EQ(browser->CodeBox().toPlainText(),
              "\nPublic Function Twice(ByVal x As Long) As Long\n    Twice = 2 * x\nEnd Function");
    EXPECT_TRUE(browser->CodeBox().isReadOnly());
}

TEST_F(BrowserTest, ASecondClickOnTheSameModuleWithTheFocusDoesNotRelist) {
    auto browser = BrowserOn("modA");  // the click gave the list the focus
    ASSERT_TRUE(browser->ModuleList().hasFocus());
    QTreeWidgetItem* firstRoutine = browser->RoutineList().topLevelItem(1);
    firstRoutine->setText(2, "marked");
    ClickRow(browser->ModuleList(), "modA");
    EXPECT_EQ(browser->RoutineList().topLevelItem(1)->text(2), "marked");
    ClickRow(browser->ModuleList(), "modB");
    EXPECT_EQ(Column(browser->RoutineList(), 0).size(), 5);
}

TEST_F(BrowserTest, AModuleRowReachedWithTheArrowKeysListsItsRoutines) {
    auto browser = BrowserOn("modA");
    const QStringList modA = Column(browser->RoutineList(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(browser->SelectedModuleRow()->text(0), "modB");
    EXPECT_NE(Column(browser->RoutineList(), 0), modA);
    EXPECT_EQ(Column(browser->RoutineList(), 0).size(), 5);
    // In the routine list an arrow key shows the routine it reaches.
    ClickRow(browser->RoutineList(), "Extra");
    ASSERT_TRUE(browser->CodeBox().toPlainText().contains("Sub Extra("));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(browser->CodeBox().toPlainText().contains("Sub Handled("));
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
    PickFirstProject(*browser);
    ClickButton(browser->StatusButton());
    ASSERT_EQ(RowNamed(browser->ModuleList(), "modTwelve")->text(1), "12");
    const int good = 1;
    ClickHeading(browser->ModuleList(), good);
    EXPECT_EQ(Column(browser->ModuleList(), good), QStringList({"0", "1", "12"}));
    ClickHeading(browser->ModuleList(), good);
    EXPECT_EQ(Column(browser->ModuleList(), good), QStringList({"12", "1", "0"}));
    ClickHeading(browser->ModuleList(), 0);  // another column keeps the direction
    EXPECT_EQ(Column(browser->ModuleList(), 0), QStringList({"modTwelve", "modB", "modA"}));
}

TEST_F(BrowserTest, ReListingKeepsTheModuleListsSortOrder) {
    auto browser = Browser();
    PickFirstProject(*browser);
    ClickHeading(browser->ModuleList(), 0);  // descending now
    ASSERT_EQ(Column(browser->ModuleList(), 0), QStringList({"modB", "modA"}));
    ClickButton(browser->StatusButton());
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
    QTreeWidget& list = browser->RoutineList();
    QTest::mouseClick(list.viewport(), Qt::RightButton, {},
                      QPoint(5, list.viewport()->height() - 2));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(list.selectedItems().isEmpty());

    ClickRow(list, "(Declarations)", {}, 0, Qt::RightButton);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(list.selectedItems(), QList<QTreeWidgetItem*>({list.topLevelItem(0)}));

    ClickRow(list, "Plain", {}, 0, Qt::RightButton);
    EXPECT_EQ(QApplication::activePopupWidget(), &browser->RoutineMenu());
    EXPECT_EQ(list.selectedItems(), QList<QTreeWidgetItem*>({RowNamed(list, "Plain")}));
    browser->RoutineMenu().close();
}

// A right-click on a routine row and a click on the pop-up's "Go to Code".
void GoToCodeFrom(ProjectBrowser& browser, const QString& routine, int column) {
    ClickRow(browser.RoutineList(), routine, {}, column, Qt::RightButton);
    QMenu& menu = browser.RoutineMenu();
    ASSERT_TRUE(menu.isVisible());
    QAction* goToCode = menu.actions().value(0);
    ASSERT_TRUE(goToCode != nullptr && goToCode->text() == "Go to Code");
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(goToCode).center());
}

TEST_F(BrowserTest, GoToCodeFromExitStatusPutsTheCaretOnTheLastLineElseOnTheFirst) {
    auto browser = BrowserOn("modA");
    int closes = 0;
    browser->onCloseRequest = [&] { ++closes; };
    host::CodePane& pane = fixture_.Module("modA").CodePane();
    long sl = 0, sc = 0, el = 0, ec = 0;

    GoToCodeFrom(*browser, "Twice", 3);  // "Exit Status"
    pane.GetSelection(sl, sc, el, ec);
    EXPECT_EQ(fixture_.Module("modA").Lines(sl, 1), "End Function");
    EXPECT_EQ(sc, 1);
    EXPECT_EQ(el, sl);
    EXPECT_EQ(pane.TopLine(), fixture_.Module("modA").ProcStartLine("Twice", 0));

    GoToCodeFrom(*browser, "Twice", 0);
    pane.GetSelection(sl, sc, el, ec);
    EXPECT_EQ(fixture_.Module("modA").Lines(sl, 1), "    Twice = 2 * x");
    EXPECT_EQ(fixture_.Vbe().ActiveCodePane(), &pane);
    EXPECT_EQ(closes, 2);
}

TEST_F(BrowserTest, ToolBarsWithoutAModuleRowAskForOneAndChangeNothing) {
    auto browser = Browser();
    PickFirstProject(*browser);
    const std::string before = fixture_.Text("modA");
    ClickTool(browser->ModuleTools(), 1);
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
    ClickTool(browser->ModuleTools(), 1);
    SelectRoutines(*browser, {"Plain"});
    ClickTool(browser->RoutineTools(), 1);
    ASSERT_EQ(services_.messages.size(), 2U);
    EXPECT_EQ(services_.messages[0].prompt, "A read-only module cannot be updated.");
    EXPECT_EQ(services_.messages[1].prompt, "A read-only module cannot be updated.");
    EXPECT_EQ(fixture_.Text("modA"), before);
}

TEST_F(BrowserTest, DetailsWithoutAProjectAsksForOne) {
    auto browser = Browser();
    ClickButton(browser->DetailsButton());
    ASSERT_EQ(services_.messages.size(), 1U);
    EXPECT_EQ(services_.messages[0].prompt, "Select a project first.");
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
