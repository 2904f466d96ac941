#include "stats/line_count.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::stats {

namespace {

// Classifies one line after another, carrying the comment continuation.
class LineClassifier {
public:
    void Add(std::string_view line, LineCounts& counts) {
        const std::string_view t = text::Trim(line);
        inComment_ = inComment_ && previousContinued_;
        if (inComment_) {
            ++counts.comments;
        } else if (!t.empty()) {
            if (t.front() == '\'' || text::StartsWith(t, "Rem ")) {
                ++counts.comments;
                inComment_ = true;
            }
        } else {
            ++counts.blanks;
        }
        previousContinued_ = text::EndsWith(t, " _");
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
    // The lines are walked in place rather than joined and split again.
    for (long l = startLine; l <= last; ++l) classifier.Add(module.LineView(l), counts);
    return counts;
} QV_PASS_UP("frmStats", "CountLines")

}  // namespace qv::stats
