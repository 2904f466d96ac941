#include "lsp/text_edits.h"

#include <algorithm>

#include "host/files/line_diff.h"
#include "host/files/text_lines.h"
#include "lsp/utf8_text.h"

namespace qv::lsp {

namespace {

// The end of the old line range [.., line): the start of the line after it,
// or the end of the text when the range runs to the end.
Position EndBefore(const host::files::SplitText& old, size_t line) {
    if (line < old.lines.size() || old.finalBreak || old.lines.empty()) {
        return {static_cast<int>(line), 0};
    }
    const size_t last = old.lines.size() - 1;
    return {static_cast<int>(last), static_cast<int>(Utf16Length(old.lines[last]))};
}

}  // namespace

std::vector<TextEdit> LineEdits(std::string_view oldText, std::string_view newText) {
    std::vector<TextEdit> edits;
    if (oldText == newText) return edits;
    const host::files::SplitText a = host::files::SplitFileLines(oldText);
    const host::files::SplitText b = host::files::SplitFileLines(newText);
    for (const host::files::LineHunk& hunk : host::files::LineHunks(a, b)) {
        std::string replacement;
        for (long i = hunk.newStart; i < hunk.newStart + hunk.newCount; ++i) {
            const std::string_view line = b.lines[static_cast<size_t>(i)];
            replacement.append(line);
            replacement.append(host::files::BreakAfter(newText, line));
        }
        const size_t oldEnd = static_cast<size_t>(hunk.oldStart + hunk.oldCount);
        edits.push_back({{static_cast<int>(hunk.oldStart), 0}, EndBefore(a, oldEnd), std::move(replacement)});
    }
    return edits;
}

Json EditsJson(const std::vector<TextEdit>& edits) {
    Json array = Json::array();
    for (const TextEdit& edit : edits) {
        array.push_back(Json{{"range", RangeJson(edit.start, edit.end)}, {"newText", edit.newText}});
    }
    return array;
}

}  // namespace qv::lsp
