#include "platform/like.h"

#include <algorithm>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/text.h"

namespace qv {

LikePattern::LikePattern(std::string_view pattern, CompareMode mode) : mode_(mode) {
    Parse(pattern);
}

void LikePattern::Parse(std::string_view p) {
    for (size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '*') {
            // Consecutive stars mean the same as one.
            if (elements_.empty() || elements_.back().kind != Element::kStar) {
                elements_.push_back(Element{Element::kStar, 0, false, {}});
            }
        } else if (c == '?') {
            elements_.push_back(Element{Element::kAny, 0, false, {}});
        } else if (c == '#') {
            elements_.push_back(Element{Element::kDigit, 0, false, {}});
        } else if (c == '[' && p.find(']', i + 1) != std::string_view::npos) {
            const size_t close = p.find(']', i + 1);
            std::string_view list = p.substr(i + 1, close - i - 1);
            i = close;
            Element e{Element::kClass, 0, false, {}};
            if (!list.empty() && list[0] == '!') {
                e.negated = true;
                list.remove_prefix(1);
            }
            if (list.empty() && !e.negated) continue;  // "[]" matches the empty string
            for (size_t k = 0; k < list.size(); ++k) {
                const auto lo = static_cast<unsigned char>(list[k]);
                if (k + 2 < list.size() && list[k + 1] == '-') {
                    e.ranges.emplace_back(lo, static_cast<unsigned char>(list[k + 2]));
                    k += 2;
                } else {
                    e.ranges.emplace_back(lo, lo);
                }
            }
            elements_.push_back(std::move(e));
        } else {
            Element e{Element::kLiteral, 0, false, {}};
            e.literal = c;
            elements_.push_back(std::move(e));
        }
    }
}

bool LikePattern::InClass(const Element& e, unsigned char c) const {
    for (const auto& [lo, hi] : e.ranges) {
        if (c >= lo && c <= hi) return true;
    }
    return false;
}

bool LikePattern::MatchesOne(const Element& e, char c) const {
    switch (e.kind) {
        case Element::kAny: return true;
        case Element::kDigit: return c >= '0' && c <= '9';
        case Element::kLiteral:
            return mode_ == CompareMode::Binary ? c == e.literal
                                                : text::AsciiLower(c) == text::AsciiLower(e.literal);
        case Element::kClass: {
            const auto u = static_cast<unsigned char>(c);
            bool in = InClass(e, u);
            if (!in && mode_ == CompareMode::Text) {
                in = InClass(e, static_cast<unsigned char>(text::AsciiLower(c))) ||
                     InClass(e, static_cast<unsigned char>(text::AsciiUpper(c)));
            }
            return in != e.negated;
        }
        case Element::kStar: return false;
    }
    return false;
}

bool LikePattern::Matches(std::string_view text) const {
    const size_t n = text.size(), m = elements_.size();
    size_t t = 0, p = 0;
    size_t starP = SIZE_MAX, starT = 0;
    while (t < n) {
        if (p < m && elements_[p].kind == Element::kStar) {
            starP = p++;
            starT = t;
        } else if (p < m && MatchesOne(elements_[p], text[t])) {
            ++p;
            ++t;
        } else if (starP != SIZE_MAX) {
            // Let the last star take one more character and try again from there.
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < m && elements_[p].kind == Element::kStar) ++p;
    return p == m;
}

std::optional<std::pair<size_t, size_t>> LikePattern::Search(std::string_view text,
                                                             size_t from) const {
    // Simulates the pattern as a set of positions over the text, each active
    // position remembering the leftmost start that reaches it. The first start
    // that reaches the end of the pattern wins; its shortest end is found by a
    // second, anchored run.
    const size_t m = elements_.size();
    const size_t none = SIZE_MAX;
    std::vector<size_t> cur(m + 1, none), next(m + 1, none);
    auto closeStars = [&](std::vector<size_t>& v) {
        for (size_t p = 0; p < m; ++p) {
            if (v[p] != none && elements_[p].kind == Element::kStar && v[p] < v[p + 1]) {
                v[p + 1] = v[p];
            }
        }
    };
    size_t best = none;
    for (size_t t = from; t <= text.size(); ++t) {
        cur[0] = std::min(cur[0], t);  // a match may start here
        closeStars(cur);
        if (cur[m] != none) best = std::min(best, cur[m]);
        if (t == text.size()) break;
        std::fill(next.begin(), next.end(), none);
        for (size_t p = 0; p < m; ++p) {
            if (cur[p] == none) continue;
            if (elements_[p].kind == Element::kStar) {
                next[p] = std::min(next[p], cur[p]);
            } else if (MatchesOne(elements_[p], text[t])) {
                next[p + 1] = std::min(next[p + 1], cur[p]);
            }
        }
        cur.swap(next);
        if (best != none) {
            // Stop once no active position can still give an earlier start.
            bool earlier = false;
            for (size_t v : cur) earlier = earlier || v < best;
            if (!earlier) break;
        }
    }
    if (best == none) return std::nullopt;
    // Shortest end from the chosen start.
    std::vector<bool> on(m + 1, false), onNext(m + 1, false);
    on[0] = true;
    for (size_t t = best;; ++t) {
        for (size_t p = 0; p < m; ++p) {
            if (on[p] && elements_[p].kind == Element::kStar) on[p + 1] = true;
        }
        if (on[m]) return std::make_pair(best, t);
        if (t == text.size()) break;
        std::fill(onNext.begin(), onNext.end(), false);
        for (size_t p = 0; p < m; ++p) {
            if (!on[p]) continue;
            if (elements_[p].kind == Element::kStar) {
                onNext[p] = true;
            } else if (MatchesOne(elements_[p], text[t])) {
                onNext[p + 1] = true;
            }
        }
        on.swap(onNext);
    }
    return std::nullopt;
}

bool Like(std::string_view text, std::string_view pattern, CompareMode mode) {
    return LikePattern(pattern, mode).Matches(text);
}

namespace {

unsigned char FoldAscii(char c) { return static_cast<unsigned char>(text::AsciiLower(c)); }

// The needle at text[at], ASCII letters folded.
bool EqualsFoldedAt(std::string_view text, size_t at, std::string_view needle) {
    for (size_t k = 0; k < needle.size(); ++k) {
        if (FoldAscii(text[at + k]) != FoldAscii(needle[k])) return false;
    }
    return true;
}

// A search with ASCII letters folded. The places where the needle's first
// and last bytes (in either case) both stand are picked sixteen at a time
// and only those compared: the routines judged are searched whole, mostly
// without a hit.
bool ContainsFolded(std::string_view text, std::string_view needle) {
    const size_t m = needle.size(), n = text.size();
    if (m == 0) return true;
    if (m > n) return false;
    size_t at = 0;
#if defined(__SSE2__)
    const auto either = [](char c) {
        const char lower = text::AsciiLower(c);
        return std::pair{_mm_set1_epi8(lower), _mm_set1_epi8(text::AsciiUpper(lower))};
    };
    const auto [first1, first2] = either(needle[0]);
    const auto [last1, last2] = either(needle[m - 1]);
    const auto is = [](__m128i bytes, __m128i a, __m128i b) {
        return _mm_or_si128(_mm_cmpeq_epi8(bytes, a), _mm_cmpeq_epi8(bytes, b));
    };
    for (; at + m - 1 + 16 <= n; at += 16) {
        const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        const __m128i ends =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at + m - 1));
        unsigned places = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(is(starts, first1, first2), is(ends, last1, last2))));
        for (; places != 0; places &= places - 1) {
            if (EqualsFoldedAt(text, at + static_cast<size_t>(__builtin_ctz(places)), needle)) {
                return true;
            }
        }
    }
#endif
    for (; at + m <= n; ++at) {
        if (EqualsFoldedAt(text, at, needle)) return true;
    }
    return false;
}

bool Contains(std::string_view text, std::string_view findWhat, CompareMode mode) {
    if (IsLiteralPattern(findWhat)) {
        // "*" + text + "*" without wildcards inside: a plain search finds
        // the same, without building the pattern.
        return mode == CompareMode::Binary ? text.find(findWhat) != std::string_view::npos
                                           : ContainsFolded(text, findWhat);
    }
    std::string pattern;
    pattern.reserve(findWhat.size() + 2);
    pattern.append("*").append(findWhat).append("*");
    return LikePattern(pattern, mode).Matches(text);
}

}  // namespace

bool IsLiteralPattern(std::string_view pattern) {
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '*' || c == '?' || c == '#') return false;
        if (c == '[' && pattern.find(']', i + 1) != std::string_view::npos) return false;
    }
    return true;
}

namespace modSearchBin {
bool StringInRoutine(std::string_view text, std::string_view findWhat) {
    return Contains(text, findWhat, CompareMode::Binary);
}
}  // namespace modSearchBin

namespace modSearchText {
bool StringInRoutine(std::string_view text, std::string_view findWhat) {
    return Contains(text, findWhat, CompareMode::Text);
}
}  // namespace modSearchText

}  // namespace qv
