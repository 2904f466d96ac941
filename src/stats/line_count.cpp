#include "stats/line_count.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "host/memory/memory_host.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::stats {

namespace {

// Classifies one line after another, carrying the comment continuation.
// Every line of a project passes here: the trim and the tests are made on
// the line's bytes in place.
class LineClassifier {
public:
    void Add(std::string_view line, LineCounts& counts) {
        size_t begin = 0, end = line.size();
        // An indent is passed four spaces at a time.
        for (std::uint32_t four; begin + 4 <= end; begin += 4) {
            std::memcpy(&four, line.data() + begin, 4);
            if (four != 0x20202020u) break;
        }
        while (begin < end && line[begin] == ' ') ++begin;
        while (end > begin && line[end - 1] == ' ') --end;
        const std::string_view t = line.substr(begin, end - begin);
        inComment_ = inComment_ && previousContinued_;
        if (inComment_) {
            ++counts.comments;
        } else if (!t.empty()) {
            if (t.front() == '\'' || t.starts_with("Rem ")) {
                ++counts.comments;
                inComment_ = true;
            }
        } else {
            ++counts.blanks;
        }
        previousContinued_ = t.size() >= 2 && t[t.size() - 1] == '_' && t[t.size() - 2] == ' ';
    }

private:
    bool inComment_ = false;
    bool previousContinued_ = false;
};

}  // namespace

LineCounts CountLines(host::CodeModule& module, long startLine, long endLine) try {
    LineCounts counts;
    if (endLine <= startLine) return counts;
    LineClassifier classifier;
    const long last = std::min(endLine - 1, module.CountOfLines());
    if (startLine < 1 || startLine > last) {
        // Read as the window always read the range, in one piece: a range
        // past the module's end is one empty text (and a bad start an error).
        classifier.Add(module.Lines(startLine, endLine - startLine), counts);
        return counts;
    }
    // The lines are walked in place rather than joined and split again (on
    // the in-memory host without a virtual call for each).
    if (const auto* memory = dynamic_cast<const host::memory::MemoryCodeModule*>(&module)) {
        for (long l = startLine; l <= last; ++l) classifier.Add(memory->Line(l), counts);
        return counts;
    }
    for (long l = startLine; l <= last; ++l) classifier.Add(module.LineView(l), counts);
    return counts;
} QV_PASS_UP("frmStats", "CountLines")

}  // namespace qv::stats
