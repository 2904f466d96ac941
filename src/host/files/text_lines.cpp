#include "host/files/text_lines.h"

#include <cstring>

namespace qv::host::files {

std::string_view LineEndingText(LineEnding ending) {
    switch (ending) {
        case LineEnding::Lf: return "\n";
        case LineEnding::Cr: return "\r";
        case LineEnding::CrLf: break;
    }
    return "\r\n";
}

SplitText SplitFileLines(std::string_view text) {
    SplitText out;
    // A rough guess keeps the vector from growing many times on large files.
    out.lines.reserve(text.size() / 32 + 1);
    long counts[3] = {0, 0, 0};  // CR LF, LF, CR
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* start = begin;
    while (start < end) {
        const void* found = std::memchr(start, '\n', static_cast<size_t>(end - start));
        const char* nl = found != nullptr ? static_cast<const char*>(found) : end;
        // Lone CRs before the LF (rare) break lines too.
        const char* cr = static_cast<const char*>(std::memchr(start, '\r', static_cast<size_t>(nl - start)));
        while (cr != nullptr && cr + 1 < nl) {
            out.lines.emplace_back(start, static_cast<size_t>(cr - start));
            ++counts[2];
            start = cr + 1;
            cr = static_cast<const char*>(std::memchr(start, '\r', static_cast<size_t>(nl - start)));
        }
        if (nl == end) {
            if (cr != nullptr) {  // a lone CR ends the text
                out.lines.emplace_back(start, static_cast<size_t>(cr - start));
                ++counts[2];
                out.finalBreak = true;
            } else {
                out.lines.emplace_back(start, static_cast<size_t>(end - start));
            }
            start = end;
            break;
        }
        const bool crlf = cr != nullptr;  // the CR stands right before the LF
        out.lines.emplace_back(start, static_cast<size_t>((crlf ? cr : nl) - start));
        ++counts[crlf ? 0 : 1];
        start = nl + 1;
        if (start == end) out.finalBreak = true;
    }
    if (counts[1] > counts[0] && counts[1] >= counts[2]) out.ending = LineEnding::Lf;
    else if (counts[2] > counts[0] && counts[2] > counts[1]) out.ending = LineEnding::Cr;
    return out;
}

}  // namespace qv::host::files
