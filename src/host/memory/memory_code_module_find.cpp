// A code module's Find: plain, whole-word and pattern searches over its
// lines, in the module's code page.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "host/memory/memory_host.h"
#include "host/memory/vb_syntax.h"
#include "platform/code_page.h"
#include "platform/like.h"
#include "platform/text_finder.h"
#include "platform/text.h"

namespace qv::host::memory {

namespace {

bool IsWordChar(char c) {
    return IsIdentifierChar(c);
}

// Whether the hit [begin, end) is a whole word. In a double-byte code page
// a byte before the hit that is no character's first byte ends a
// double-byte character, which is a letter whatever its trail byte is.
bool IsWholeWord(std::string_view line, size_t begin, size_t end, text::CodePage page) {
    const bool startsWord = begin == 0 ||
                            (!IsWordChar(line[begin - 1]) &&
                             (!page.IsDoubleByte() || text::StartsCharacter(line, begin - 1, page)));
    return startsWord && (end >= line.size() || !IsWordChar(line[end]));
}

// Whether the hit [begin, end) holds whole characters: in the double-byte
// code pages a trail byte may be "\", "|" or a letter, and a hit never
// starts or ends inside a character.
bool HoldsWholeCharacters(std::string_view line, size_t begin, size_t end, text::CodePage page) {
    if (page.IsUtf8()) {
        return text::StartsCharacter(line, begin, page) && text::StartsCharacter(line, end, page);
    }
    if (!page.IsDoubleByte()) return true;
    size_t i = 0;
    while (i < begin) i += text::CharacterLength(line, i, page);
    if (i != begin) return false;
    while (i < end) i += text::CharacterLength(line, i, page);
    return i == end;
}

// Find scans a whole module line by line, so the search is made once per call.
using text::TextFinder;

// The first hit in line[from, limit) that ends at or before limit.
bool SearchLine(std::string_view line, size_t from, size_t limit, const TextFinder& finder,
                size_t targetSize, bool wholeWord, const LikePattern* pattern, text::CodePage page,
                size_t& begin, size_t& end) {
    while (from <= line.size()) {
        size_t b, e;
        if (pattern != nullptr) {
            auto hit = pattern->Search(line, from);
            if (!hit) return false;
            b = hit->first;
            e = hit->second;
            if (e == b)
                e = b + 1 <= line.size() ? b + 1 : b;  // an empty match still selects one column
        } else {
            b = finder.Find(line, from);
            if (b == std::string_view::npos) return false;
            e = b + targetSize;
        }
        if (e > limit) return false;
        if (HoldsWholeCharacters(line, b, e, page) &&
            (!wholeWord || IsWholeWord(line, b, e, page))) {
            begin = b;
            end = e;
            return true;
        }
        from = b + 1;
    }
    return false;
}

// The lines of a module whose views lie next to each other in one piece of
// memory, apart only by their line breaks: the lines of a loaded file (the
// hidden attribute lines among them end a run), or lines written one after
// another into the store. Two views that close can only be of one
// allocation, since the allocator keeps a header between any two.
constexpr size_t kMostBreakBytes = 2;
// A run is searched in pieces that grow from this size, so that a search
// that stops at its first hit (as a find does once a hit) reads little past it.
constexpr size_t kFirstPieceBytes = 1024;
constexpr size_t kLargestPieceBytes = 64 * 1024;

// The first line (0-based) from `from` to `last` that can hold a hit of the
// plain text: one whose bytes hold a match of finder. The lines between are
// searched as one text rather than line by line, so that a module without
// the text costs one pass over its bytes. Only a necessary test: the line
// found is searched again by the rules of a hit (whole characters, whole
// words). Returns last + 1 when no line can.
long NextCandidateLine(const LineStore& lines, long from, long last, const TextFinder& finder,
                       size_t targetSize) {
    size_t piece = kFirstPieceBytes;
    long l = from;
    while (l <= last) {
        const std::string_view first = lines.Line(l);
        if (first.data() == nullptr) {  // an empty line written later holds nothing
            ++l;
            continue;
        }
        const char* end = first.data() + first.size();
        long r = l;
        while (r < last && static_cast<size_t>(end - first.data()) < piece) {
            const std::string_view next = lines.Line(r + 1);
            if (next.data() == nullptr || next.data() < end ||
                static_cast<size_t>(next.data() - end) > kMostBreakBytes) {
                break;
            }
            end = next.data() + next.size();
            ++r;
        }
        piece = std::min(2 * piece, kLargestPieceBytes);
        const std::string_view run(first.data(), static_cast<size_t>(end - first.data()));
        for (size_t at = finder.Find(run, 0); at != std::string_view::npos;
             at = finder.Find(run, at + 1)) {
            // The line whose end the candidate does not pass; it holds the
            // candidate unless the candidate starts in the break before it.
            const char* const begin = run.data() + at;
            while (l < r && lines.Line(l).data() + lines.Line(l).size() < begin + targetSize) ++l;
            if (lines.Line(l).data() <= begin &&
                begin + targetSize <= lines.Line(l).data() + lines.Line(l).size()) {
                return l;
            }
        }
        l = r + 1;
    }
    return last + 1;
}

}  // namespace

bool MemoryCodeModule::Find(std::string_view target, long& startLine, long& startColumn,
                            long& endLine, long& endColumn, bool wholeWord, bool matchCase,
                            bool patternSearch) const {
    if (target.empty() || lines_.Count() == 0) return false;
    const long firstLine = std::max(startLine, 1L);
    const long lastLine = endLine < 0 ? lines_.Count() : std::min(endLine, lines_.Count());
    std::optional<LikePattern> pattern;
    if (patternSearch) {
        pattern.emplace(target, matchCase ? CompareMode::Binary : CompareMode::Text);
    }
    const text::CodePage page = TextCodePage();
    const TextFinder finder(patternSearch ? std::string_view() : target, matchCase, page);
    for (long l = firstLine; l <= lastLine; ++l) {
        if (!patternSearch) {
            l = NextCandidateLine(lines_, l - 1, lastLine - 1, finder, target.size()) + 1;
            if (l > lastLine) break;
        }
        const std::string_view line = lines_.Line(l - 1);
        const size_t from = l == firstLine ? static_cast<size_t>(std::max(startColumn, 1L) - 1) : 0;
        if (from > line.size()) continue;
        size_t limit = line.size();
        // The end column bounds only the end line itself, not a last line
        // that merely stands in for an end past the module's end.
        if (l == endLine && endColumn >= 0) {
            limit = std::min(limit, static_cast<size_t>(std::max(endColumn - 1, 0L)));
        }
        size_t begin = 0, end = 0;
        if (SearchLine(line, from, limit, finder, target.size(), wholeWord,
                       pattern ? &*pattern : nullptr, page, begin, end)) {
            startLine = endLine = l;
            startColumn = static_cast<long>(begin) + 1;
            endColumn = static_cast<long>(end) + 1;
            return true;
        }
    }
    return false;
}

}  // namespace qv::host::memory
