#include "host/files/text_lines.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

}  // namespace

SplitText SplitFileLines(std::string_view text) {
    SplitText out;
    // A rough guess keeps the vector from growing many times on large files.
    out.lines.reserve(text.size() / 32 + 1);
    long counts[3] = {0, 0, 0};  // CR LF, LF, lone CR
    const char* const end = text.data() + text.size();
    const char* start = text.data();
    while (start < end) {
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
