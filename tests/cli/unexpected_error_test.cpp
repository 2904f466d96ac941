#include <gtest/gtest.h>

#include <sstream>

#include "app/cli/unexpected_error.h"
#include "platform/error_state.h"
#include "platform/vb_error.h"
#include "support/recording_services.h"

namespace qv::cli {
namespace {

void Failing() try {
    Raise(err::kInvalidProcedureCall, {}, "qvaddin");
} QV_PASS_UP("StatsCommand", "Run")

TEST(UnexpectedError, TheReportGoesToStandardErrorTheClipboardAndTheLog) {
    test::RecordingServices services;
    std::ostringstream err;
    try {
        Failing();
    } catch (...) {
        ReportUnexpectedError("qvaddin.RunCli", err);
    }
    EXPECT_TRUE(services.messages.empty()) << "no message box on the command line";
    ASSERT_EQ(services.log.size(), 1u);
    const std::string& report = services.log[0];
    EXPECT_EQ(services.Clipboard(), report);
    EXPECT_NE(report.find("\tFunction: qvaddin.RunCli\r\n"), std::string::npos);
    EXPECT_NE(report.find("\t\tStatsCommand.Run("), std::string::npos);
    EXPECT_NE(report.find("Error Number: 5\r\n"), std::string::npos);
    // Standard error shows the same report in the terminal's line breaks.
    std::string expected;
    for (size_t i = 0; i < report.size(); ++i) {
        if (report.compare(i, 2, "\r\n") == 0) {
            expected += '\n';
            ++i;
        } else {
            expected += report[i];
        }
    }
    EXPECT_EQ(err.str(), expected + "\n");
    EXPECT_FALSE(Err().IsSet());
    EXPECT_EQ(&GetServices(), &services) << "the services are put back";
}

TEST(UnexpectedError, AnExceptionOfAnotherTypeIsReportedToo) {
    test::RecordingServices services;
    std::ostringstream err;
    try {
        throw std::out_of_range("vector index");
    } catch (...) {
        ReportUnexpectedError("qvaddin.RunCli", err);
    }
    EXPECT_NE(err.str().find("Error Description: Internal error: vector index"), std::string::npos)
        << err.str();
}

}  // namespace
}  // namespace qv::cli
