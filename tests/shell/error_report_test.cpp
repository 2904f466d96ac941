#include <gtest/gtest.h>

#include "platform/error_state.h"
#include "platform/vb_error.h"
#include "shell/error_report.h"
#include "support/recording_services.h"

namespace qv::shell {
namespace {

TEST(ErrorReport, TextPutsEachLocationOnItsOwnLineAndTheLineNumberLast) {
    ErrorRecord error{91, "AddIn.DoHide(12):AddIn.Inner(40):qvaddin", "Object variable not set",
                      40};
    EXPECT_EQ(ErrorReportText("clsVBEEvents.cMenu_Click", error),
              "An error has occurred.  Contact Brell with the following information:\r\n"
              "\r\n"
              "\tFunction: clsVBEEvents.cMenu_Click\r\n"
              "\r\n"
              "\tError Source: \r\n"
              "\t\tAddIn.DoHide(12)\r\n"
              "\t\tAddIn.Inner(40)\r\n"
              "\t\tqvaddin\r\n"
              "\r\n"
              "\tError Number: 91\r\n"
              "\r\n"
              "\tError Description: Object variable not set\r\n"
              "\r\n"
              "THIS INFORMATION HAS BEEN COPIED TO THE CLIPBOARD.\tLast known line number: 40");
}

TEST(ErrorReport, NoLineNumberPartWithoutALine) {
    ErrorRecord error{5, "src", "Invalid procedure call or argument", 0};
    const std::string report = ErrorReportText("frmStats.cmdClose_Click", error);
    EXPECT_EQ(report.find("Last known line number"), std::string::npos);
    EXPECT_TRUE(report.ends_with("\r\nTHIS INFORMATION HAS BEEN COPIED TO THE CLIPBOARD."));
}

void Inner() try {
    Raise(err::kSubscriptOutOfRange, {}, "qvaddin");
} QV_PASS_UP("AddIn", "Inner")

void Outer() try {
    Inner();
} QV_PASS_UP("AddIn", "Outer")

// Where no clipboard is at hand (a terminal), the report does not claim a
// copy there: it names the log, where it went.
TEST(ErrorReport, WithoutAClipboardTheReportNamesTheLog) {
    struct Terminal : test::RecordingServices {
        bool HasClipboard() override { return false; }
    } services;
    Err() = ErrorRecord{5, "qvaddin", "Invalid procedure call", 12};
    ErrorLog("qvaddin.RunCli");
    ASSERT_EQ(services.log.size(), 1u);
    const std::string& report = services.log[0];
    EXPECT_EQ(report.find("CLIPBOARD"), std::string::npos) << report;
    EXPECT_NE(report.find("THIS INFORMATION HAS BEEN WRITTEN TO THE SYSTEM LOG.\tLast known line "
                          "number: 12"),
              std::string::npos)
        << report;
    EXPECT_TRUE(services.Clipboard().empty());
}

TEST(ErrorReport, ErrorLogShowsCopiesAndLogsOneReportThenClearsTheError) {
    test::RecordingServices services;
    ErrorRecord saved{7, "x", "y", 0};
    Err() = saved;
    ErrorSave();
    try {
        Outer();
    } catch (const VbError& e) {
        SetCurrentError(e);
    }
    const ErrorRecord current = Err();
    ASSERT_EQ(current.source.rfind("AddIn.Outer(", 0), 0u) << current.source;
    ErrorLog("frmQVAddIn.cmdGo_Click");
    ASSERT_EQ(services.messages.size(), 1u);
    const std::string& shown = services.messages[0].prompt;
    EXPECT_EQ(shown, ErrorReportText("frmQVAddIn.cmdGo_Click", current));
    EXPECT_EQ(services.messages[0].buttons, kErrorReportStyle);
    EXPECT_EQ(services.messages[0].title, "") << "the default title";
    EXPECT_EQ(services.Clipboard(), shown);
    EXPECT_EQ(services.log, std::vector<std::string>{shown});
    // The outer location stands first, each on its own indented line.
    EXPECT_NE(shown.find("\t\tAddIn.Outer("), std::string::npos);
    EXPECT_LT(shown.find("AddIn.Outer("), shown.find("\r\n\t\tAddIn.Inner("));
    EXPECT_NE(shown.find("\t\tqvaddin\r\n"), std::string::npos);
    EXPECT_NE(shown.find("Error Number: 9\r\n"), std::string::npos);
    EXPECT_FALSE(Err().IsSet());
    EXPECT_FALSE(SavedError().IsSet());
    EXPECT_TRUE(SavedError().source.empty());
}

// Services whose every call fails: the report must still end quietly.
class FailingServices : public test::RecordingServices {
public:
    int MessageBox(std::string_view, int, std::string_view, bool) override {
        throw VbError(err::kInternalError, "no display");
    }
    void SetClipboardText(std::string_view) override { throw std::runtime_error("no clipboard"); }
    void LogError(std::string_view report) override {
        logged = true;
        lastReport = report;
    }
    bool logged = false;
    std::string lastReport;
};

TEST(ErrorReport, ErrorLogNeverRaisesAndGoesOnAfterAFailingStep) {
    FailingServices services;
    Err() = ErrorRecord{13, "here", "Type mismatch", 3};
    EXPECT_NO_THROW(ErrorLog("UDFind.Command1_Click"));
    EXPECT_TRUE(services.logged) << "the log entry is written after a failed message box";
    EXPECT_NE(services.lastReport.find("Last known line number: 3"), std::string::npos);
    EXPECT_FALSE(Err().IsSet());
}

}  // namespace
}  // namespace qv::shell
