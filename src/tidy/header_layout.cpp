#include "tidy/header_layout.h"

#include "platform/line_views.h"
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
bool LayOutHeader(const std::vector<std::string_view>& header, long startLine, host::Member& member,
                  const settings::SettingsRecord& settings);
}  // namespace

// The lines are read as views (into the module or the text): each laid-out
// line is built once, from its view.
std::vector<std::string> HeaderText(const std::vector<std::string_view>& header) try {
    // Above a declaration: comments, blank lines and directives. A routine
    // declared in alternatives under #If has several declarations, each
    // laid out on its own; lines between a declaration's end and the next
    // directive are body lines, which the body's layout is for.
    enum class Place { Above, Declaration, Body };
    Place place = Place::Above;
    size_t column = 0;  // the 1-based column of the declaration's "("
    std::vector<std::string> lines;
    for (const std::string_view line : header) {
        const std::string_view t = text::Trim(line);
        if (text::StartsWith(t, "#")) {
            lines.emplace_back(t);
            place = Place::Above;
        } else if (place == Place::Body) {
            lines.emplace_back(line);
        } else if (place == Place::Declaration) {
            lines.push_back(std::string(column, ' ').append(t));
            place = text::EndsWith(t, " _") ? Place::Declaration : Place::Body;
        } else if (lines.emplace_back(t); !t.empty() && !IsComment(t)) {
            const size_t paren = t.find('(');
            column = paren == std::string_view::npos ? 0 : paren + 1;
            place = text::EndsWith(t, " _") ? Place::Declaration : Place::Body;
        }
    }
    return lines;
} QV_PASS_UP("Tidy", "HeaderText")

bool DoHeader(long startLine, long count, host::Member& member,
              const settings::SettingsRecord& settings) try {
    host::CodeModule& module = member.Parent().Parent();
    if (count < 1) {
        // No lines: the text the module answers (or the error it raises).
        const std::string text = module.Lines(startLine, count);
        return LayOutHeader(text::SplitLineViews(text), startLine, member, settings);
    }
    // The lines as the module holds them, without a copy: the same lines
    // as its text joined with CR LF and split again (which a header read
    // as text was before).
    const LineViews header = ReadLineViews(module, startLine, count);
    return LayOutHeader(header.lines, startLine, member, settings);
}
QV_PASS_UP("Tidy", "DoHeader")

std::vector<std::string> HeaderText(std::string_view text) {
    return HeaderText(text::SplitLineViews(text));
}

namespace {

bool LayOutHeader(const std::vector<std::string_view>& header, long startLine,
                  host::Member& member, const settings::SettingsRecord& settings) {
    if (settings.header == 0) return false;
    host::CodeModule& module = member.Parent().Parent();
    const host::MemberAttributes saved = member.Attributes();
    const std::vector<std::string> lines = HeaderText(header);
    if (lines.size() == 1) return false;
    if (!ReplaceLines(module, startLine, header, lines, settings.tabWidth.HostWidth())) {
        return false;
    }
    RestoreMemberProperties(member, saved);
    return true;
}

}  // namespace

bool DoHeader(std::string_view text, long startLine, host::Member& member,
              const settings::SettingsRecord& settings) try {
    return LayOutHeader(text::SplitLineViews(text), startLine, member, settings);
}
QV_PASS_UP("Tidy", "DoHeader")

}  // namespace qv::tidy
