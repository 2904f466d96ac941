#include "stats/line_count.h"

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
    // The range is read in one piece, as the window always did; the pieces
    // are walked in place rather than copied into a line array.
    const std::string block = module.Lines(startLine, endLine - startLine);
    const std::string_view all(block);
    LineClassifier classifier;
    size_t from = 0;
    while (true) {
        const size_t brk = all.find(text::kCrLf, from);
        classifier.Add(all.substr(from, brk == std::string_view::npos ? brk : brk - from), counts);
        if (brk == std::string_view::npos) break;
        from = brk + text::kCrLf.size();
    }
    return counts;
} QV_PASS_UP("frmStats", "CountLines")

}  // namespace qv::stats
