#include "tidy/header_layout.h"

#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "tidy/member_properties.h"
#include "tidy/module_lines.h"

namespace qv::tidy {

namespace {

bool IsComment(std::string_view line) {
    return text::StartsWith(line, "'") || text::StartsWith(line, "Rem ");
}

// The header's lines laid out.
std::vector<std::string> LaidOut(const std::vector<std::string_view>& header) {
    // Above a declaration: comments, blank lines and directives. A routine
    // declared in alternatives under #If has several declarations, each
    // laid out on its own; lines between a declaration's end and the next
    // directive are body lines, which the body's layout is for.
    enum class Place { Above, Declaration, Body };
    Place place = Place::Above;
    size_t column = 0;  // the 1-based column of the declaration's "("
    std::vector<std::string> lines;
    lines.reserve(header.size());
    for (const std::string_view line : header) {
        const std::string_view t = text::Trim(line);
        if (text::StartsWith(t, "#")) {
            lines.emplace_back(t);
            place = Place::Above;
            continue;
        }
        if (place == Place::Body) {
            lines.emplace_back(line);
            continue;
        }
        if (place == Place::Declaration) {
            std::string laid(column, ' ');
            lines.push_back(laid.append(t));
        } else {
            lines.emplace_back(t);
            if (t.empty() || IsComment(t)) continue;
            const size_t paren = t.find('(');
            column = paren == std::string_view::npos ? 0 : paren + 1;
        }
        place = text::EndsWith(t, " _") ? Place::Declaration : Place::Body;
    }
    return lines;
}

}  // namespace

std::vector<std::string> HeaderText(std::string_view text) try {
    return LaidOut(SplitLineViews(text));
}
QV_PASS_UP("Tidy", "HeaderText")

bool DoHeader(std::string_view text, long startLine, host::Member& member,
              const settings::SettingsRecord& settings) try {
    if (settings.header == 0) return false;
    host::CodeModule& module = member.Parent().Parent();
    const host::MemberAttributes saved = member.Attributes();
    // Views into the text, which the module's changes leave alone.
    const std::vector<std::string_view> old = SplitLineViews(text);
    if (old.size() == 1) return false;  // the layout keeps the number of lines
    if (!ReplaceViewedLines(module, startLine, old, LaidOut(old), settings.tabWidth.HostWidth())) {
        return false;
    }
    RestoreMemberProperties(member, saved);
    return true;
}
QV_PASS_UP("Tidy", "DoHeader")

}  // namespace qv::tidy
