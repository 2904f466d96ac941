#include "lsp/text_edits.h"

#include <QJsonObject>
#include <algorithm>

#include "host/files/line_diff.h"
#include "host/files/text_lines.h"

namespace qv::lsp {

namespace {

QString Utf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The end of the old line range [.., line): the start of the line after it,
// or the end of the text when the range runs to the end.
Position EndBefore(const host::files::SplitText& old, size_t line) {
    if (line < old.lines.size() || old.finalBreak || old.lines.empty()) {
        return {static_cast<int>(line), 0};
    }
    const size_t last = old.lines.size() - 1;
    return {static_cast<int>(last), static_cast<int>(Utf8(old.lines[last]).size())};
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
        edits.push_back({{static_cast<int>(hunk.oldStart), 0}, EndBefore(a, oldEnd), Utf8(replacement)});
    }
    return edits;
}

QJsonArray EditsJson(const std::vector<TextEdit>& edits) {
    QJsonArray array;
    for (const TextEdit& edit : edits) {
        array.append(QJsonObject{{"range", RangeJson(edit.start, edit.end)},
                                 {"newText", edit.newText}});
    }
    return array;
}

}  // namespace qv::lsp
