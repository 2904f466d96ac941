// qvaddin remove and qvaddin replace: which handlers they take out or
// renew, and what they refuse.

#include "cli/code_change_fixture.h"
#include "settings/reg_settings.h"

namespace qv::test {
namespace {

class HandlerCommandTest : public CodeChangeTest {
protected:
    void SetUp() override {
        CodeChangeTest::SetUp();
        ASSERT_EQ(Run(shapes, {"add", "Shapes.vbp", "--module", "modA"}).code, 0);
        ASSERT_EQ(Run(shapes, {"add", "Shapes.vbp", "--module", "frmMain"}).code, 0);
    }
    // modA.bas with one text replaced.
    void Edit(const std::string& from, const std::string& to) {
        std::string text = shapes.Read("modA.bas");
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        shapes.Write("modA.bas", text);
    }
    TempFolder shapes = ShapesProject();
    const TempFolder original = ShapesProject();
};

// As the main window: the top status decides. Lines of the user's own in
// the exit part (top OK) go with the handler; a handler where none belongs
// (EXTRA CODE) only when forced, as the main window asks first.
TEST_F(HandlerCommandTest, DecidesOnTheTopStatusAsTheMainWindow) {
    Edit("Exit_Routine:\r\n", "Exit_Routine:\r\n    CleanUp\r\n");
    const CliResult removed = Run(shapes, {"remove", "Shapes.vbp", "--routine", "Go"});
    EXPECT_EQ(removed.code, 0) << removed.err;
    EXPECT_NE(removed.out.find("  removed   Go\n"), std::string::npos) << removed.out;
    EXPECT_EQ(shapes.Read("modA.bas"), original.Read("modA.bas"));

    Edit("Sub ErrorSave()\r\nEnd Sub",
         "Sub ErrorSave()\r\n    On Error GoTo Error_Routine\r\n\r\n    x = 1\r\n\r\n"
         "Exit_Routine:\r\n    Exit Sub\r\nError_Routine:\r\n    Resume Next\r\nEnd Sub");
    const std::string edited = shapes.Read("modA.bas");
    for (const char* command : {"remove", "replace"}) {
        const CliResult refused = Run(shapes, {command, "Shapes.vbp", "--routine", "ErrorSave"});
        EXPECT_EQ(refused.code, 1) << command;
        EXPECT_NE(refused.out.find("refused   ErrorSave: Top Status EXTRA CODE: "),
                  std::string::npos)
            << refused.out;
        EXPECT_EQ(shapes.Read("modA.bas"), edited);
    }
    const CliResult forced =
        Run(shapes, {"remove", "Shapes.vbp", "--routine", "ErrorSave", "--force"});
    EXPECT_EQ(forced.code, 0) << forced.err;
    EXPECT_NE(shapes.Read("modA.bas").find("Sub ErrorSave()\r\n    x = 1\r\nEnd Sub"),
              std::string::npos)
        << shapes.Read("modA.bas");
}

// Removing the standard On Error line above an error part of the user's own
// deletes no label: nothing is left undefined, so nothing is refused.
TEST_F(HandlerCommandTest, StandardTopOverTheUsersOwnLabelsIsRemoved) {
    Edit("Function Resumes() As Long\r\n    On Error Resume Next\r\n    Resumes = 1\r\n",
         "Function Resumes() As Long\r\n    On Error GoTo Error_Routine\r\n    Resumes = 1\r\n"
         "    Exit Function\r\nError_Routine:\r\n    Resumes = 0\r\n");
    const CliResult r = Run(shapes, {"remove", "Shapes.vbp", "--routine", "Resumes"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(shapes.Read("modA.bas").find("Function Resumes() As Long\r\n    Resumes = 1\r\n"
                                           "    Exit Function\r\nError_Routine:\r\n"),
              std::string::npos)
        << shapes.Read("modA.bas");
}

TEST_F(HandlerCommandTest, RemoveRefusesToLeaveAJumpToAGoneLabel) {
    Edit("    If x Then Beep\r\n", "    If x Then GoTo Exit_Routine\r\n");
    const std::string edited = shapes.Read("modA.bas");
    const CliResult r = Run(shapes, {"remove", "Shapes.vbp", "--module", "modA"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("refused   Go: its own code goes to Exit_Routine, which the removal "
                         "would leave undefined"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(shapes.Read("modA.bas"), edited);
}

TEST_F(HandlerCommandTest, ReplaceRenewsHandlersFromTheCurrentTemplates) {
    settings::SystemStore().SaveSetting("ErrorHandling", "add2", "Set mTx = Nothing");
    const CliResult r = Run(shapes, {"replace", "Shapes.vbp"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("modA  (modA.bas)\n  replaced  Go\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("CTx  (CTx.cls)\n  added     Class_Terminate\n"), std::string::npos)
        << "routines without a handler get one";
    EXPECT_EQ(r.out.find("Resumes"), std::string::npos) << "other error handling is left alone";
    EXPECT_NE(
        shapes.Read("modA.bas").find("Exit_Routine:\r\n    Set mTx = Nothing\r\n    Exit Sub"),
        std::string::npos);
    const CliResult again = Run(shapes, {"replace", "Shapes.vbp"});
    EXPECT_NE(again.out.find("Changed 0 routines in 0 modules"), std::string::npos)
        << "renewing current handlers changes nothing:\n"
        << again.out;
}

// A new handler would be refused when the routine keeps an On Error
// statement of its own: the old handler must not go then.
TEST_F(HandlerCommandTest, ReplaceKeepsAHandlerItCouldNotRenew) {
    Edit("    If x Then Beep\r\n", "    On Error Resume Next\r\n    If x Then Beep\r\n");
    const std::string edited = shapes.Read("modA.bas");
    const CliResult r = Run(shapes, {"replace", "Shapes.vbp", "--routine", "Go"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("refused   Go: the old handler stays, as a new one would be refused: "
                         "Some Error handling may exist in this procedure: remove it first."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(shapes.Read("modA.bas"), edited);
}

}  // namespace
}  // namespace qv::test
