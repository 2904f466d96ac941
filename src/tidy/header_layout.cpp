#include "tidy/header_layout.h"

#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "tidy/member_properties.h"
#include "tidy/module_lines.h"

namespace qv::tidy {

namespace {

bool IsCommentOrDirective(std::string_view line) {
    return text::StartsWith(line, "'") || text::StartsWith(line, "Rem ") ||
           text::StartsWith(line, "#");
}

}  // namespace

std::vector<std::string> HeaderText(std::string_view text) try {
    std::vector<std::string> lines = text::SplitLines(text);
    size_t column = 0;  // the 1-based column of the declaration's "("
    bool started = false;
    for (std::string& line : lines) {
        line = std::string(text::Trim(line));
        if (!started && !line.empty() && !IsCommentOrDirective(line) && column == 0) {
            const size_t paren = line.find('(');
            column = paren == std::string::npos ? 0 : paren + 1;
        }
        if (started) line.insert(0, column, ' ');
        if (column != 0) started = true;
    }
    return lines;
} QV_PASS_UP("Tidy", "HeaderText")

void DoHeader(std::string_view text, long startLine, host::Member& member) try {
    if (settings::Settings().header == 0) return;
    host::CodeModule& module = member.Parent().Parent();
    const host::MemberAttributes saved = member.Attributes();
    const std::vector<std::string> lines = HeaderText(text);
    if (lines.size() == 1) return;
    if (ReplaceLines(module, startLine, text::SplitLines(text), lines)) {
        RestoreMemberProperties(member, saved);
    }
} QV_PASS_UP("Tidy", "DoHeader")

}  // namespace qv::tidy
