#include "platform/vb_strings.h"

#include "platform/text.h"

namespace qv {

namespace {
size_t FindFrom(std::string_view s, std::string_view needle, size_t from, int compare) {
    return compare == vb5stuff::kTextCompare ? text::FindIgnoreCase(s, needle, from)
                                             : s.find(needle, from);
}
}  // namespace

namespace vb5stuff {

std::string Join(const std::vector<std::string>& list, std::string_view delimiter) {
    std::string out;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0) out.append(delimiter);
        out.append(list[i]);
    }
    return out;
}

std::vector<std::string> Split(std::string_view expression, std::string_view delimiter,
                               long limit, int compare) {
    std::vector<std::string> pieces;
    if (delimiter.empty()) {
        pieces.emplace_back(expression);
        return pieces;
    }
    size_t start = 0;
    long cuts = 0;
    while (limit < 0 || cuts < limit) {
        const size_t p = FindFrom(expression, delimiter, start, compare);
        if (p == std::string_view::npos) break;
        pieces.emplace_back(expression.substr(start, p - start));
        start = p + delimiter.size();
        ++cuts;
    }
    pieces.emplace_back(expression.substr(start));
    return pieces;
}

std::string Replace(std::string_view expression, std::string_view find,
                    std::string_view replacement, long start, long count, int compare) {
    if (find.empty() || find == replacement) return std::string(expression);
    size_t from = start > 1 ? static_cast<size_t>(start - 1) : 0;
    if (from > expression.size()) return std::string(expression);
    std::string out(expression.substr(0, from));
    long done = 0;
    while (count < 0 || done < count) {
        const size_t p = FindFrom(expression, find, from, compare);
        if (p == std::string_view::npos) break;
        out.append(expression.substr(from, p - from)).append(replacement);
        from = p + find.size();
        ++done;
    }
    out.append(expression.substr(from));
    return out;
}

}  // namespace vb5stuff

namespace Common32 {

std::vector<std::string> GetList(std::string_view textIn, std::string_view delimiter,
                                 bool keepEmpty) {
    if (textIn.empty() || delimiter.empty()) return {std::string()};
    std::string s(textIn);
    if (!keepEmpty) {
        s = std::string(text::Trim(s));
        const std::string doubled = std::string(delimiter) + std::string(delimiter);
        while (s.find(doubled) != std::string::npos) {
            s = text::ReplaceAll(s, doubled, delimiter);
        }
    }
    return vb5stuff::Split(s, delimiter, -1, vb5stuff::kBinaryCompare);
}

}  // namespace Common32

}  // namespace qv
