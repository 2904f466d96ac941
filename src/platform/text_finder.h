#pragma once
// A plain search text, with or without regard to case, found in bytes of one
// code page. A byte of the text matches its own value or, where case is
// ignored, the byte of the other case of its letter (a byte of a multi-byte
// character matches only itself). Sixteen positions are tested at a time on
// their first and last byte, with a mask that folds the two values together
// (and may let more through; the full test then decides). Only the bytes
// count: whether a place found holds whole characters or a whole word is
// for the caller to judge.

#include <cstddef>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/code_page.h"

namespace qv::text {

class TextFinder {
  public:
    TextFinder(std::string_view target, bool matchCase, CodePage page);

    // The first position at or after from where the text stands; npos if
    // none (and always for an empty text).
    size_t Find(std::string_view bytes, size_t from) const;

  private:
    static constexpr size_t kNone = std::string_view::npos;

#if defined(__SSE2__)
    // The sixteen starts from at on whose first and last byte match, one bit
    // each (a candidate; the full test decides).
    unsigned CandidatesInBlock(const unsigned char* at) const;
    // The first of the sixteen starts from block on (those whose bit is set
    // in wanted) where the text stands: candidates match on the first and the
    // last byte, then in full.
    size_t FirstMatchInBlock(const unsigned char* bytes, size_t block, unsigned wanted) const;
#endif
    bool MatchesAt(const unsigned char* at) const;

    size_t size_;
#if defined(__SSE2__)
    // The first and the last byte of the text, each with the bits in which
    // its two cases differ set, sixteen times over.
    __m128i firstMask_{}, firstFolded_{}, lastMask_{}, lastFolded_{};
#endif
    std::basic_string<unsigned char> value_;
    std::basic_string<unsigned char> other_;
    std::basic_string<unsigned char> mask_;
};

}  // namespace qv::text
