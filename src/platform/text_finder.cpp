#include "platform/text_finder.h"

#include <cstdint>

namespace qv::text {

TextFinder::TextFinder(std::string_view target, bool matchCase, CodePage page)
    : size_(target.size()) {
    value_.resize(size_);
    other_.resize(size_);
    mask_.resize(size_);
    for (size_t i = 0; i < size_;) {
        const size_t length = CharacterLength(target, i, page);
        for (size_t k = i; k < i + length; ++k) {
            const auto c = static_cast<unsigned char>(target[k]);
            value_[k] = c;
            other_[k] = !matchCase && length == 1 ? OtherCaseByte(c, page) : c;
            mask_[k] = static_cast<unsigned char>(value_[k] ^ other_[k]);
        }
        i += length;
    }
#if defined(__SSE2__)
    if (size_ > 0) {
        const auto splat = [](unsigned char c) { return _mm_set1_epi8(static_cast<char>(c)); };
        firstMask_ = splat(mask_.front());
        firstFolded_ = splat(static_cast<unsigned char>(value_.front() | mask_.front()));
        lastMask_ = splat(mask_.back());
        lastFolded_ = splat(static_cast<unsigned char>(value_.back() | mask_.back()));
    }
#endif
}

size_t TextFinder::Find(std::string_view line, size_t from) const {
    if (size_ == 0 || size_ > line.size()) return kNone;
    const size_t lastStart = line.size() - size_;
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
    size_t i = from;
#if defined(__SSE2__)
    // Sixty-four starts at a time while they last: most texts have no
    // candidate in such a stretch, which then costs one test.
    for (; i + 64 <= lastStart + 1; i += 64) {
        std::uint64_t bits = 0;
        for (unsigned k = 0; k < 4; ++k) {
            bits |= static_cast<std::uint64_t>(CandidatesInBlock(bytes + i + 16 * k)) << (16 * k);
        }
        for (; bits != 0; bits &= bits - 1) {
            const size_t at = i + static_cast<size_t>(__builtin_ctzll(bits));
            if (MatchesAt(bytes + at)) return at;
        }
    }
    for (; i + 16 <= lastStart + 1; i += 16) {
        if (const size_t at = FirstMatchInBlock(bytes, i, ~0u); at != kNone) return at;
    }
    if (i <= lastStart && lastStart >= 15) {
        // The last sixteen starts, overlapping those already tested.
        const size_t block = lastStart - 15;
        return FirstMatchInBlock(bytes, block, ~0u << (i - block));
    }
#endif
    for (; i <= lastStart; ++i) {
        if (MatchesAt(bytes + i)) return i;
    }
    return kNone;
}

#if defined(__SSE2__)
unsigned TextFinder::CandidatesInBlock(const unsigned char* at) const {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + size_ - 1));
    const __m128i hit =
        _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(first, firstMask_), firstFolded_),
                      _mm_cmpeq_epi8(_mm_or_si128(last, lastMask_), lastFolded_));
    return static_cast<unsigned>(_mm_movemask_epi8(hit));
}

size_t TextFinder::FirstMatchInBlock(const unsigned char* bytes, size_t block,
                                     unsigned wanted) const {
    for (unsigned bits = CandidatesInBlock(bytes + block) & wanted; bits != 0;
         bits &= bits - 1) {
        const size_t at = block + static_cast<size_t>(__builtin_ctz(bits));
        if (MatchesAt(bytes + at)) return at;
    }
    return kNone;
}
#endif

bool TextFinder::MatchesAt(const unsigned char* at) const {
    for (size_t k = 0; k < size_; ++k) {
        if (at[k] != value_[k] && at[k] != other_[k]) return false;
    }
    return true;
}

}  // namespace qv::text
