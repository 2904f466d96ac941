// The tool bar commands of the project browser against the engines: each
// changes the code exactly as the engine does on its own, in one edit
// transaction, and leaves rows that a fresh listing would show.

#include <QTest>

#include "errorhandling/insertion.h"
#include "errorhandling/removal.h"
#include "errorhandling/routine_text.h"
#include "shell/line_number_commands.h"
#include "mainwindow/browser_fixture.h"
#include "mainwindow/routine_commands.h"
#include "settings/settings_record.h"
#include "tidy/tidy_routine.h"

namespace qv::mainwindow::test {
namespace {

enum Image { kAdd = 1, kReplace = 2, kRemove = 3, kLines = 4, kIndent = 6, kDelete = 7 };

// Counts the transactions a module's edits ended in.
class TransactionCounter : public host::CodeModuleObserver {
public:
    explicit TransactionCounter(host::CodeModule& module) : module_(module) { module_.Subscribe(this); }
    ~TransactionCounter() override { module_.Unsubscribe(this); }
    void LinesInserted(host::CodeModule&, long, long) override {}
    void LinesDeleted(host::CodeModule&, long, long) override {}
    void LinesReplaced(host::CodeModule&, long, long, long) override {}
    void TransactionEnded(host::CodeModule&, bool committed) override {
        ++(committed ? commits : cancels);
    }
    int commits = 0;
    int cancels = 0;

private:
    host::CodeModule& module_;
};

class RoutineCommandsTest : public BrowserTest {
protected:
    void SetUp() override {
        BrowserTest::SetUp();
        AddProjectModules(twin_);
    }

    host::Member& TwinMember(const char* module, const char* name) {
        return twin_.Module(module).Members().Item(name);
    }

    void ExpectFreshRows(ProjectBrowser& browser, const std::string& module) {
        EXPECT_EQ(Sorted(ListRows(browser.RoutineList())),
                  FreshRoutineRows(fixture_.Vbe(), "Project1", module, Settings()));
    }

    // The module row's counts as a fresh status pass gives them.
    QStringList FreshModuleRow(const QString& module) {
        auto fresh = Browser();
        PickFirstProject(*fresh);
        ClickButton(fresh->StatusButton());
        return ListRows(fresh->ModuleList())[module == "modA" ? 0 : 1];
    }

    qv::test::VbFixture twin_;
};

TEST_F(RoutineCommandsTest, AddErrorHandlingToSelectedRoutinesIsTheEnginesInsertionInOneStep) {
    auto browser = BrowserOn("modA");
    TransactionCounter transactions(fixture_.Module("modA"));
    SelectRoutines(*browser, {"Plain", "Twice"});
    ClickTool(browser->RoutineTools(), kAdd);

    std::string refusal;
    ASSERT_TRUE(errorhandling::AddRoutineErrorHandling(TwinMember("modA", "Plain"), 0,
                                                       Settings(), refusal));
    ASSERT_TRUE(errorhandling::AddRoutineErrorHandling(TwinMember("modA", "Twice"), 0,
                                                       Settings(), refusal));
    EXPECT_EQ(fixture_.Text("modA"), twin_.Text("modA"));
    EXPECT_EQ(RowNamed(browser->RoutineList(), "Plain")->text(2), "OK");
    ExpectFreshRows(*browser, "modA");
    EXPECT_EQ(ListRows(browser->ModuleList())[0], FreshModuleRow("modA"));
    EXPECT_EQ(transactions.commits, 1);
    EXPECT_TRUE(services_.messages.empty());
}

TEST_F(RoutineCommandsTest, AddingToAModuleAndRemovingAgainGivesBackItsBytes) {
    const std::string before = fixture_.Text("modA");
    auto browser = BrowserOn("modA");
    ClickTool(browser->ModuleTools(), kAdd);
    EXPECT_EQ(ListRows(browser->ModuleList())[0], QStringList({"modA", "5", "0", "0", "0"}));
    ExpectFreshRows(*browser, "modA");
    EXPECT_TRUE(browser->RoutineList().selectedItems().isEmpty());  // the module commands reset

    ClickTool(browser->ModuleTools(), kRemove);
    EXPECT_EQ(fixture_.Text("modA"), before);
    EXPECT_EQ(ListRows(browser->ModuleList())[0], QStringList({"modA", "0", "0", "0", "5"}));
    ExpectFreshRows(*browser, "modA");
}

TEST_F(RoutineCommandsTest, AddingToAModuleWhoseRoutinesAreAllGoodChangesNothing) {
    auto browser = BrowserOn("modA");
    ClickTool(browser->ModuleTools(), kAdd);
    const std::string added = fixture_.Text("modA");
    ClickTool(browser->ModuleTools(), kAdd);
    EXPECT_EQ(fixture_.Text("modA"), added);
}

TEST_F(RoutineCommandsTest, RemovingAHandlerWithTheUsersOwnLinesAsksFirst) {
    auto browser = BrowserOn("modB");
    ASSERT_EQ(RowNamed(browser->RoutineList(), "ErrorSave")->text(2), "EXTRA CODE");
    const std::string before = fixture_.Text("modB");

    services_.answer = mb::kAnswerNo;
    SelectRoutines(*browser, {"ErrorSave"});
    ClickTool(browser->RoutineTools(), kRemove);
    ASSERT_EQ(services_.messages.size(), 1U);
    EXPECT_EQ(services_.messages[0].buttons & 0xF, mb::kYesNo);
    EXPECT_EQ(fixture_.Text("modB"), before);
    EXPECT_EQ(RowNamed(browser->RoutineList(), "ErrorSave")->text(2), "EXTRA CODE");
    // The user was shown the routine.
    EXPECT_TRUE(browser->CodeBox().toPlainText().contains("Debug.Print 4"));

    services_.answer = mb::kAnswerYes;
    SelectRoutines(*browser, {"ErrorSave"});
    ClickTool(browser->RoutineTools(), kRemove);
    errorhandling::RemoveOld(twin_.Module("modB").Members().Item("ErrorSave"), 0,
                             Settings());
    EXPECT_EQ(ListRows(browser->RoutineList())[1], QStringList({"ErrorSave", "", "OK", "N/A"}));
    EXPECT_EQ(fixture_.Text("modB"), twin_.Text("modB"));
    ExpectFreshRows(*browser, "modB");
}

TEST_F(RoutineCommandsTest, ReplacingRenewsTheHandlerFromTheCurrentTemplatesWithoutAsking) {
    Settings().add4 += "\r\nDebug.Print \"renewed\"";
    auto browser = BrowserOn("modB");
    const QString before = RowNamed(browser->RoutineList(), "Handled")->text(2);
    ASSERT_TRUE(before == "IN ERROR" || before == "OK") << before.toStdString();
    SelectRoutines(*browser, {"Handled"});
    ClickTool(browser->RoutineTools(), kReplace);

    std::string refusal;
    errorhandling::RemoveOld(TwinMember("modB", "Handled"), 0, Settings());
    ASSERT_TRUE(errorhandling::AddRoutineErrorHandling(TwinMember("modB", "Handled"), 0,
                                                       Settings(), refusal));
    EXPECT_EQ(fixture_.Text("modB"), twin_.Text("modB"));
    EXPECT_TRUE(fixture_.Text("modB").find("renewed") != std::string::npos);
    EXPECT_TRUE(services_.messages.empty());
    EXPECT_EQ(RowNamed(browser->RoutineList(), "Handled")->text(2), "OK");
    ExpectFreshRows(*browser, "modB");
}

TEST_F(RoutineCommandsTest, DeleteAnsweredNoKeepsEverythingAndYesKeepsOnlyDeclarations) {
    auto browser = BrowserOn("modA");
    const std::string before = fixture_.Text("modA");
    SelectRoutines(*browser, {"(Declarations)", "Plain", "Another"});
    services_.answer = mb::kAnswerNo;
    ClickTool(browser->RoutineTools(), kDelete);
    EXPECT_EQ(fixture_.Text("modA"), before);
    EXPECT_EQ(services_.messages.at(0).prompt.substr(0, 13), "Are you sure?");

    services_.answer = mb::kAnswerYes;
    SelectRoutines(*browser, {"(Declarations)", "Plain", "Another"});
    ClickTool(browser->RoutineTools(), kDelete);
    host::VBProject& twinProject = twin_.Project();
    for (const char* name : {"Plain", "Another"}) {
        const errorhandling::RoutineText text = errorhandling::GetRoutine(twinProject, "modA", name, 0);
        twin_.Module("modA").DeleteLines(text.startLine, text.count);
    }
    EXPECT_EQ(fixture_.Text("modA"), twin_.Text("modA"));
    EXPECT_EQ(Column(browser->RoutineList(), 0), QStringList({"(Declarations)", "Twice", "Value", "Value"}));
    ExpectFreshRows(*browser, "modA");
    EXPECT_EQ(ListRows(browser->ModuleList())[0], QStringList({"modA", "0", "0", "0", "3"}));
}

TEST_F(RoutineCommandsTest, LineNumbersGoIntoTheSelectedRoutinesOnly) {
    auto browser = BrowserOn("modA");
    SelectRoutines(*browser, {"(Declarations)", "Twice"});
    ClickTool(browser->RoutineTools(), kLines);
    linenumbers::AddLineNumbers_Mem(TwinMember("modA", "Twice"), 0, false, Settings());
    EXPECT_EQ(fixture_.Text("modA"), twin_.Text("modA"));
    ExpectFreshRows(*browser, "modA");
}

TEST_F(RoutineCommandsTest, LineNumbersForTheModuleNumberEveryRoutineAndSkipDeclarations) {
    auto browser = BrowserOn("modA");
    TransactionCounter transactions(fixture_.Module("modA"));
    ClickTool(browser->ModuleTools(), kLines);
    // In list order, as the browser walks them.
    for (const char* name : {"Another", "Plain", "Twice"}) {
        linenumbers::AddLineNumbers_Mem(TwinMember("modA", name), 0, false, Settings());
    }
    linenumbers::AddLineNumbers_Mem(TwinMember("modA", "Value"), host::vbext_pk_Let, false, Settings());
    linenumbers::AddLineNumbers_Mem(TwinMember("modA", "Value"), host::vbext_pk_Get, false, Settings());
    EXPECT_EQ(fixture_.Text("modA"), twin_.Text("modA"));
    EXPECT_EQ(transactions.commits, 1);
    ExpectFreshRows(*browser, "modA");
}

TEST_F(RoutineCommandsTest, IndentingWithTheDeclarationsRowTidiesTheDeclarations) {
    const std::string messy = Vb({"Option Explicit", "      Private m As Long", "", "Sub Messy()",
                                  "x = 1", "        If x Then", "y = 2", "End If", "End Sub"});
    fixture_.Add("modC", host::vbext_ct_StdModule, messy);
    twin_.Add("modC", host::vbext_ct_StdModule, messy);
    auto browser = BrowserOn("modC");
    SelectRoutines(*browser, {"(Declarations)", "Messy"});
    ClickTool(browser->RoutineTools(), kIndent);
    tidy::Tidy_Declarations(twin_.Module("modC"), Settings());
    tidy::Tidy_Routine(TwinMember("modC", "Messy"), 0, false, Settings());
    EXPECT_EQ(fixture_.Text("modC"), twin_.Text("modC"));
    EXPECT_NE(fixture_.Text("modC"), messy);
    ExpectFreshRows(*browser, "modC");
}

// A routine defined in each branch of an #If has a row per copy; a click on
// the second copy's row and on the add button puts the handler into that
// copy alone, and the rows stay as a fresh listing shows them.
TEST_F(RoutineCommandsTest, EachCopyOfARoutineHasItsRowAndItsCommands) {
    fixture_.Add("modCopies", host::vbext_ct_StdModule,
                 Vb({"#If Win64 Then", "Public Function Peek(ByVal a As LongPtr) As LongPtr",
                     "    Peek = a", "End Function", "#Else",
                     "Public Function Peek(ByVal a As Long) As Long", "    Peek = a + 0",
                     "End Function", "#End If"}));
    twin_.Add("modCopies", host::vbext_ct_StdModule, fixture_.Text("modCopies"));
    auto browser = BrowserOn("modCopies");
    QTreeWidget& list = browser->RoutineList();
    EXPECT_EQ(Sorted(ListRows(list)), FreshRoutineRows(fixture_.Vbe(), "Project1", "modCopies", Settings()));
    QTreeWidgetItem* second = RowNamed(list, "Peek (copy 2)");
    ASSERT_NE(second, nullptr);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(second).center());
    ASSERT_TRUE(second->isSelected());
    EXPECT_TRUE(browser->CodeBox().toPlainText().contains("Peek = a + 0"))
        << "the code box shows the second copy";

    ClickTool(browser->RoutineTools(), kAdd);

    {
        const host::ProcCopyScope copy(twin_.Module("modCopies"), "Peek", 1);
        std::string refusal;
        ASSERT_TRUE(errorhandling::AddRoutineErrorHandling(TwinMember("modCopies", "Peek"), 0,
                                                           Settings(), refusal));
    }
    EXPECT_EQ(fixture_.Text("modCopies"), twin_.Text("modCopies"));
    EXPECT_EQ(RowNamed(list, "Peek (copy 2)")->text(2), "OK");
    EXPECT_EQ(RowNamed(list, "Peek")->text(2), "MISSING");
    ExpectFreshRows(*browser, "modCopies");
}

}  // namespace
}  // namespace qv::mainwindow::test
