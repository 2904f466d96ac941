#include "tidy/literal_contents.h"

namespace qv::tidy {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Calls literal(open, close) for the quotes of each closed literal of the
// text, in order, and rest(from, to) for the stretches between them (and
// after the last), so that the two together cover the text. The quotes are
// part of the stretches.
template <typename Literal, typename Rest>
void WalkLiterals(std::string_view text, const Literal& literal, const Rest& rest) {
    size_t from = 0;  // what is not yet handed on
    size_t lineStart = 0;
    while (lineStart <= text.size()) {
        size_t lineEnd = text.find(kLineEnd, lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        for (size_t at = lineStart;;) {
            const size_t open = text.find('"', at);
            if (open == std::string_view::npos || open >= lineEnd) break;
            const size_t close = text.find('"', open + 1);
            if (close == std::string_view::npos || close >= lineEnd) break;
            rest(from, open + 1);
            literal(open + 1, close);
            from = close;
            at = close + 1;
        }
        lineStart = lineEnd + kLineEnd.size();
    }
    rest(from, text.size());
}

}  // namespace

void EmptyLiterals(std::string_view text, std::string& shape,
                   std::vector<std::string_view>& contents) {
    shape.clear();
    contents.clear();
    WalkLiterals(
        text, [&](size_t from, size_t to) { contents.push_back(text.substr(from, to - from)); },
        [&](size_t from, size_t to) { shape.append(text, from, to - from); });
}

std::string FillLiterals(std::string_view shape, const std::vector<std::string_view>& contents) {
    std::string out;
    size_t size = shape.size();
    for (const std::string_view content : contents) size += content.size();
    out.reserve(size);
    size_t next = 0;
    AppendFilled(out, shape, contents, next);
    return out;
}

void AppendFilled(std::string& out, std::string_view shape,
                  const std::vector<std::string_view>& contents, size_t& next) {
    WalkLiterals(
        shape,
        [&](size_t from, size_t to) {
            if (from != to) {
                out.append(shape, from, to - from);  // a literal that was not emptied
            } else if (next < contents.size()) {
                out.append(contents[next++]);
            }
        },
        [&](size_t from, size_t to) { out.append(shape, from, to - from); });
}

}  // namespace qv::tidy
