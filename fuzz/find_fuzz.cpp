// The host's find over any module text, in any code page: walking the
// whole module from hit to hit (which searches the module's bytes first and
// looks at a line only where the text stands) finds exactly the hits that
// searching each line on its own finds, whole-word or not, with or without
// regard to case.
//
// Input: byte 0 picks the options (bit 0 whole word, bit 1 match case),
// how the lines are held (bit 2: as views into the text's bytes, as a loaded
// file's are, with the lines that begin with "A" left out as hidden lines
// are; else written one after another) and the code page (the rest); byte 1
// the length of the text to find (1 to 16), which follows; the remainder is
// the module's text.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_setup.h"

namespace {

struct Hit {
    long line, column, endColumn;
    bool operator==(const Hit&) const = default;
};

std::vector<Hit> WholeModuleHits(qv::host::CodeModule& m, const std::string& target, bool wholeWord,
                                 bool matchCase) {
    std::vector<Hit> hits;
    long sl = 1, sc = 1, el = -1, ec = -1;
    while (m.Find(target, sl, sc, el, ec, wholeWord, matchCase, false)) {
        hits.push_back({sl, sc, ec});
        ++sc;
        el = ec = -1;
    }
    return hits;
}

std::vector<Hit> LineByLineHits(qv::host::CodeModule& m, const std::string& target, bool wholeWord,
                                bool matchCase) {
    std::vector<Hit> hits;
    for (long line = 1; line <= m.CountOfLines(); ++line) {
        long sl = line, sc = 1, el = line, ec = -1;
        while (m.Find(target, sl, sc, el, ec, wholeWord, matchCase, false)) {
            hits.push_back({sl, sc, ec});
            ++sc;
            el = line;
            ec = -1;
        }
    }
    return hits;
}

// The lines of text as views into its bytes, split at CR LF, LF or CR, the
// lines that begin with "A" left out.
std::vector<std::string_view> ViewsOf(const std::string& text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        const std::string_view line(text.data() + start, i - start);
        if (line.empty() || line.front() != 'A') lines.push_back(line);
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines;
}

std::string Shown(const std::vector<Hit>& hits) {
    std::string text;
    for (const Hit& h : hits) {
        text += std::to_string(h.line) + ":" + std::to_string(h.column) + "-" +
                std::to_string(h.endColumn) + "\n";
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const bool wholeWord = (data[0] & 1) != 0;
    const bool matchCase = (data[0] & 2) != 0;
    const size_t length = 1 + data[1] % 16;
    if (size < 2 + length) return 0;
    const std::string target(qv::fuzz::Bytes(data + 2, length));
    const std::string_view text = qv::fuzz::Bytes(data + 2 + length, size - 2 - length);
    qv::fuzz::OneModule module(text, qv::host::vbext_ct_StdModule,
                               qv::fuzz::CodePageOf(data[0] >> 3));
    if ((data[0] & 4) != 0) {
        auto bytes = std::make_shared<const std::string>(text);
        module.Code().LoadLines(bytes, ViewsOf(*bytes));
    }
    qv::fuzz::ExpectSame(Shown(LineByLineHits(module.Code(), target, wholeWord, matchCase)),
                         Shown(WholeModuleHits(module.Code(), target, wholeWord, matchCase)),
                         "the hits of the whole module are those of its lines");
    return 0;
}
