#include "app/cli/unexpected_error.h"

#include <ostream>

#include "platform/error_state.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "shell/error_report.h"

namespace qv::cli {

namespace {

// The installed services, except that the report's message box is printed on
// the command's error stream (one copy, in the terminal's line breaks).
class ReportOnStream : public ForwardingServices {
public:
    ReportOnStream(Services& inner, std::ostream& err) : ForwardingServices(inner), err_(err) {}

    int MessageBox(std::string_view prompt, int, std::string_view, bool) override {
        err_ << text::ReplaceAll(prompt, text::kCrLf, "\n") << '\n';
        return mb::kAnswerOk;
    }

private:
    std::ostream& err_;
};

}  // namespace

void ReportUnexpectedError(std::string_view functionName, std::ostream& err) {
    SetCurrentError(CurrentAsVbError());
    ReportOnStream onStream(GetServices(), err);
    ScopedServices scope(onStream);
    shell::ErrorLog(functionName);
}

}  // namespace qv::cli
