#pragma once
// The pattern match of the VB Like operator: "*" any run of characters (line
// breaks included), "?" one character, "#" one digit, "[list]" one character
// of the list, "[!list]" one character not in it, ranges such as "[a-z]".
// A "[" without its "]" stands for itself.
//
// Every element but "*" takes exactly one character, so matching keeps only
// the position after the last "*" to go back to: time is at most text length
// times pattern length, never exponential.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

enum class CompareMode { Binary, Text };  // case-sensitive, or ignoring ASCII case

class LikePattern {
public:
    LikePattern(std::string_view pattern, CompareMode mode);

    bool Matches(std::string_view text) const;

    // The leftmost part of text, at or after from, that the pattern matches,
    // taking the shortest such part: {begin, end} byte offsets.
    std::optional<std::pair<size_t, size_t>> Search(std::string_view text, size_t from = 0) const;

private:
    struct Element {
        enum Kind : std::uint8_t { kStar, kAny, kDigit, kLiteral, kClass } kind;
        char literal = 0;
        bool negated = false;
        std::vector<std::pair<unsigned char, unsigned char>> ranges;
    };

    bool MatchesOne(const Element& e, char c) const;
    bool InClass(const Element& e, unsigned char c) const;
    void Parse(std::string_view pattern);

    std::vector<Element> elements_;
    CompareMode mode_;
};

bool Like(std::string_view text, std::string_view pattern, CompareMode mode = CompareMode::Binary);

// The pattern holds no wildcard: "*", "?", "#" and "[" with a "]" after it
// are absent (an unclosed "[" stands for itself), so that each of its
// characters matches only itself.
bool IsLiteralPattern(std::string_view pattern);

// Wildcard containment: text matches "*" + findWhat + "*", the wildcards of
// findWhat staying active.
namespace modSearchBin {
bool StringInRoutine(std::string_view text, std::string_view findWhat);
}
namespace modSearchText {
bool StringInRoutine(std::string_view text, std::string_view findWhat);
}

}  // namespace qv
