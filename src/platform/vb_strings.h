#pragma once
// The string routines of the VB5 compatibility module and the list helper of
// the window utilities. Each is also correct for empty input.

#include <string>
#include <string_view>
#include <vector>

namespace qv {

namespace vb5stuff {

inline constexpr int kBinaryCompare = 0;
inline constexpr int kTextCompare = 1;

// The elements with the delimiter between them (none after the last).
std::string Join(const std::vector<std::string>& list, std::string_view delimiter);

// The pieces of expression cut at each delimiter. An empty delimiter, or an
// expression without it, gives one piece. limit −1: no limit; otherwise at
// most limit cuts, the rest being the last piece.
std::vector<std::string> Split(std::string_view expression, std::string_view delimiter,
                               long limit = -1, int compare = kBinaryCompare);

// Replaces occurrences of find from position start (1-based) on; the text
// before start stays in the result. count −1: all occurrences. The search
// resumes after each inserted replacement, so replacements are never searched
// again.
std::string Replace(std::string_view expression, std::string_view find,
                    std::string_view replacement, long start = 1, long count = -1,
                    int compare = kBinaryCompare);

}  // namespace vb5stuff

namespace Common32 {

// Splits text at delimiter. An empty text or delimiter gives a list holding
// one empty value. Unless keepEmpty, the text is first trimmed of spaces and
// doubled delimiters are folded until none remain, so no empty pieces stand
// between delimiters.
std::vector<std::string> GetList(std::string_view text, std::string_view delimiter,
                                 bool keepEmpty);

}  // namespace Common32

}  // namespace qv
