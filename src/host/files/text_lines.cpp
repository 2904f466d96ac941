#include "host/files/text_lines.h"

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/unicode_text.h"

namespace qv::host::files {

std::string_view LineEndingText(LineEnding ending) {
    switch (ending) {
        case LineEnding::Lf:
            return "\n";
        case LineEnding::Cr:
            return "\r";
        case LineEnding::CrLf:
            break;
    }
    return "\r\n";
}

namespace {

// The first CR or LF at or after p, or end. Large projects load line by
// line through here, so sixteen bytes are looked at in one step.
const char* NextBreak(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int found =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
        if (found != 0) return p + __builtin_ctz(static_cast<unsigned>(found));
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\r' || *p == '\n') return p;
    }
    return end;
}

// How many LF bytes the text holds: the number of lines of all but CR-only
// files, less one. Counting first lets the line array be made once.
size_t CountLineFeeds(std::string_view text) {
    size_t count = 0;
    const char* p = text.data();
    const char* const end = p + text.size();
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    // Each byte lane counts its LFs (a match is -1, subtracted) for at most
    // 255 blocks before the lanes are added up.
    while (end - p >= 16) {
        __m128i lanes = zero;
        for (int block = 0; block < 255 && end - p >= 16; ++block, p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, lf));
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += static_cast<size_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    }
#endif
    for (; p < end; ++p) count += *p == '\n' ? 1 : 0;
    return count;
}

}  // namespace

namespace {

// Whether every stretch of `window` bytes from the text's start (the last
// one shorter) holds a CR or an LF: then no line is longer than twice the
// window less two, as a longer line would hold a whole stretch. Each
// stretch is looked at up to its first break, which in a text file comes
// within a line's length: the text's other bytes are never touched.
bool BreakInEveryStretch(std::string_view text, size_t window) {
    const char* const end = text.data() + text.size();
    for (const char* p = text.data(); p < end; p += window) {
        const char* const stop = end - p > static_cast<std::ptrdiff_t>(window) ? p + window : end;
        if (NextBreak(p, stop) == stop) return false;
    }
    return true;
}

// Most texts have a break in every stretch of half the limit: no line is
// too long then, which is told without reading the text's other bytes.
bool NoLineCanBeLonger(std::string_view text, size_t limit) {
    return limit >= 64 && BreakInEveryStretch(text, limit / 2);
}

// ScanLines' answers from a reading of every byte.
LineScan ScanEveryByte(std::string_view text, size_t limit) {
    // The length of the line that ends at each break is the distance from
    // the break before it; a CR LF pair makes an empty "line" between its
    // bytes, which is never too long.
    LineScan scan;
    const char* p = text.data();
    const char* const end = p + text.size();
    const char* lineStart = p;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    __m128i high = _mm_setzero_si128();  // the bytes seen, or-ed: bit 7 set for one past ASCII
    const auto breaks = [&](const char* at) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        high = _mm_or_si128(high, bytes);
        return static_cast<std::uint64_t>(static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)))));
    };
    // Sixty-four bytes a step. Lines that begin and end within a step are
    // shorter than it (and so than the limit): only the first break of a
    // step can end a long one.
    for (; limit >= 64 && end - p >= 64; p += 64) {
        const std::uint64_t found =
            breaks(p) | breaks(p + 16) << 16 | breaks(p + 32) << 32 | breaks(p + 48) << 48;
        if (found == 0) continue;
        if (static_cast<size_t>(p + __builtin_ctzll(found) - lineStart) > limit) {
            scan.longLine = true;
            return scan;
        }
        lineStart = p + (63 - __builtin_clzll(found)) + 1;
    }
    scan.ascii = _mm_movemask_epi8(high) == 0;
#endif
    for (; p < end; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80) scan.ascii = false;
        if (*p != '\r' && *p != '\n') continue;
        if (static_cast<size_t>(p - lineStart) > limit) {
            scan.longLine = true;
            return scan;
        }
        lineStart = p + 1;
    }
    scan.longLine = static_cast<size_t>(end - lineStart) > limit;
    return scan;
}

}  // namespace

LineScan ScanLines(std::string_view text, size_t limit) {
    // Only the ASCII test then reads every byte.
    if (NoLineCanBeLonger(text, limit)) return {false, text::IsAscii(text)};
    return ScanEveryByte(text, limit);
}

bool AnyLineLongerThan(std::string_view text, size_t limit) {
    return !NoLineCanBeLonger(text, limit) && ScanEveryByte(text, limit).longLine;
}

LinesOnDemand::LinesOnDemand(std::string_view text) : text_(text) {
    // Most modules' headers take a few lines; a form's, a hundred or so.
    lines_.reserve(32);
}

bool LinesOnDemand::SplitNext() {
    if (next_ >= text_.size()) return false;
    const char* const begin = text_.data();
    const char* const end = begin + text_.size();
    const char* const start = begin + next_;
    const char* const brk = NextBreak(start, end);
    std::string_view line(start, static_cast<size_t>(brk - start));
    if (lines_.empty() && line.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        line.remove_prefix(kUtf8Bom.size());
    }
    lines_.push_back(line);
    if (brk == end) {
        next_ = text_.size();
        return true;
    }
    const bool pair = *brk == '\r' && brk + 1 < end && brk[1] == '\n';
    next_ = static_cast<size_t>(brk - begin) + (pair ? 2 : 1);
    finalBreak_ = next_ == text_.size();
    return true;
}

SplitText SplitFileLines(std::string_view text, size_t most) {
    SplitText out;
    out.lines.reserve(most == static_cast<size_t>(-1) ? CountLineFeeds(text) + 1 : most);
    long counts[3] = {0, 0, 0};  // CR LF, LF, lone CR
    const char* const end = text.data() + text.size();
    const char* start = text.data();
    while (start < end) {
        if (out.lines.size() == most) {
            out.complete = false;
            break;
        }
        const char* brk = NextBreak(start, end);
        out.lines.emplace_back(start, static_cast<size_t>(brk - start));
        if (brk == end) break;
        if (*brk == '\r' && brk + 1 < end && brk[1] == '\n') {
            ++counts[0];
            start = brk + 2;
        } else {
            ++counts[*brk == '\n' ? 1 : 2];
            start = brk + 1;
        }
        if (start == end) out.finalBreak = true;
    }
    if (counts[1] > counts[0] && counts[1] >= counts[2])
        out.ending = LineEnding::Lf;
    else if (counts[2] > counts[0] && counts[2] > counts[1])
        out.ending = LineEnding::Cr;
    return out;
}

}  // namespace qv::host::files
