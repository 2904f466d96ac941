#include "lsp/text_document.h"

#include <algorithm>

#include "lsp/utf8_text.h"

namespace qv::lsp {

Position PositionFromJson(const Json& position) {
    return {std::max(0, IntOf(Member(position, "line"))),
            std::max(0, IntOf(Member(position, "character")))};
}

Json PositionJson(Position position) {
    return Json{{"line", position.line}, {"character", position.character}};
}

Json RangeJson(Position start, Position end) {
    return Json{{"start", PositionJson(start)}, {"end", PositionJson(end)}};
}

TextDocument::TextDocument(std::string uri, std::string languageId, int version, std::string text)
    : uri_(std::move(uri)), languageId_(std::move(languageId)), version_(version),
      text_(std::move(text)) {
    IndexLines();
}

void TextDocument::IndexLines() {
    lineStarts_.assign(1, 0);
    const size_t n = text_.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text_[i];
        if (c == '\r' && i + 1 < n && text_[i + 1] == '\n') ++i;
        if (c == '\r' || c == '\n') lineStarts_.push_back(i + 1);
    }
}

size_t TextDocument::Offset(Position position) const {
    if (position.line >= LineCount()) return text_.size();
    const size_t start = lineStarts_[static_cast<size_t>(position.line)];
    return start + ByteOffsetOfUtf16(Line(position.line), static_cast<size_t>(position.character));
}

std::string_view TextDocument::Line(int line) const {
    if (line < 0 || line >= LineCount()) return {};
    const size_t start = lineStarts_[static_cast<size_t>(line)];
    size_t end = line + 1 < LineCount() ? lineStarts_[static_cast<size_t>(line) + 1] : text_.size();
    while (end > start && (text_[end - 1] == '\n' || text_[end - 1] == '\r')) --end;
    return std::string_view(text_).substr(start, end - start);
}

int TextDocument::LineLength(int line) const {
    return static_cast<int>(Utf16Length(Line(line)));
}

void TextDocument::ApplyChange(const Json& change) {
    const std::string& text = StringAt(change, "text");
    if (!Has(change, "range")) {
        text_ = text;
    } else {
        const Json& range = ObjectAt(change, "range");
        size_t from = Offset(PositionFromJson(ObjectAt(range, "start")));
        size_t to = Offset(PositionFromJson(ObjectAt(range, "end")));
        if (to < from) std::swap(from, to);
        text_.replace(from, to - from, text);
    }
    IndexLines();
}

}  // namespace qv::lsp
