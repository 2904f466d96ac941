#include "tidy/comment_stamp.h"

#include "analysis/routine_parsing.h"
#include "errorhandling/messages.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"

namespace qv::tidy {

std::string CommentStamp(std::string_view commentText, std::time_t now) {
    Services& services = GetServices();
    std::string stamp(commentText);
    if (stamp.find("%t") != std::string::npos) {
        stamp = text::ReplaceAll(stamp, "%t", services.FormatGeneralDate(now, true));
    }
    if (stamp.find("%d") != std::string::npos) {
        stamp = text::ReplaceAll(stamp, "%d", services.FormatGeneralDate(now, false));
    }
    if (stamp.find("%u") != std::string::npos) {
        stamp = text::ReplaceAll(stamp, "%u", services.UserName());
    }
    return stamp;
}

void AddComment(host::VBE& vbe) try {
    const std::string stamp = CommentStamp(settings::Settings().insert, std::time(nullptr));
    host::CodePane* pane = vbe.ActiveCodePane();
    if (pane == nullptr) return;
    host::CodeModule& module = pane->CodeModule();
    if (analysis::IsReadOnly(module.Parent())) {
        errorhandling::MyMsgBox(4, mb::kOkOnly, false);
        return;
    }
    long line = 0, column = 0, endLine = 0, endColumn = 0;
    pane->GetSelection(line, column, endLine, endColumn);
    const std::string stamped = module.Lines(line, 1) + stamp;
    // A cursor below the last line (an empty module) has no line to replace.
    if (line <= module.CountOfLines()) module.DeleteLines(line, 1);
    module.InsertLines(line, stamped);
    // The cursor goes to the end of the line as the host stored it.
    const long end = static_cast<long>(module.Lines(line, 1).size()) + 1;
    pane->SetSelection(line, end, line, end);
} QV_PASS_UP("AddIn", "AddComment")

}  // namespace qv::tidy
