#include "host/files/unified_diff.h"

#include <algorithm>
#include <vector>

#include "host/files/line_diff.h"
#include "host/files/text_lines.h"

namespace qv::host::files {

namespace {

constexpr long kContext = 3;

struct Side {
    std::string_view text;
    SplitText split;
};

// A line ends as it does in its file, so that patch matches it there: a
// line of a CR LF file keeps its CR. A lone CR is not a break patch reads;
// such a line ends with a line feed, as every line without a break does.
void AppendLine(std::string& out, char mark, const Side& side, long index) {
    const std::string_view line = side.split.lines[static_cast<size_t>(index)];
    out.push_back(mark);
    out.append(line);
    out.append(BreakAfter(side.text, line) == "\r\n" ? "\r\n" : "\n");
    if (index + 1 == static_cast<long>(side.split.lines.size()) && !side.split.finalBreak) {
        out.append("\\ No newline at end of file\n");
    }
}

std::string Range(long start, long count) {
    const long shown = count == 0 ? start - 1 : start;
    return count == 1 ? std::to_string(shown) : std::to_string(shown) + "," + std::to_string(count);
}

}  // namespace

std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        const std::string& oldLabel, const std::string& newLabel) {
    if (oldText == newText) return {};
    const Side a{oldText, SplitFileLines(oldText)};
    const Side b{newText, SplitFileLines(newText)};
    const std::vector<LineOp> ops = DiffLines(a.split, b.split);

    std::string out = "--- " + oldLabel + "\n+++ " + newLabel + "\n";
    const long total = static_cast<long>(ops.size());
    // Old and new line index before each op.
    std::vector<long> oldAt(static_cast<size_t>(total) + 1), newAt(static_cast<size_t>(total) + 1);
    for (long k = 0; k < total; ++k) {
        const LineOp op = ops[static_cast<size_t>(k)];
        oldAt[static_cast<size_t>(k) + 1] = oldAt[static_cast<size_t>(k)] + (op != LineOp::Insert);
        newAt[static_cast<size_t>(k) + 1] = newAt[static_cast<size_t>(k)] + (op != LineOp::Delete);
    }
    long k = 0;
    while (k < total) {
        if (ops[static_cast<size_t>(k)] == LineOp::Equal) {
            ++k;
            continue;
        }
        const long start = std::max(0L, k - kContext);
        long end = k;  // one past the last change of the hunk
        while (true) {
            while (end < total && ops[static_cast<size_t>(end)] != LineOp::Equal) ++end;
            long next = end;
            while (next < total && ops[static_cast<size_t>(next)] == LineOp::Equal) ++next;
            if (next < total && next - end <= 2 * kContext) {
                end = next;
                continue;
            }
            break;
        }
        const long stop = std::min(total, end + kContext);
        const auto s = static_cast<size_t>(start), e = static_cast<size_t>(stop);
        out += "@@ -" + Range(oldAt[s] + 1, oldAt[e] - oldAt[s]) + " +" +
               Range(newAt[s] + 1, newAt[e] - newAt[s]) + " @@\n";
        for (long i = start; i < stop; ++i) {
            const auto u = static_cast<size_t>(i);
            switch (ops[u]) {
                case LineOp::Equal:
                    AppendLine(out, ' ', a, oldAt[u]);
                    break;
                case LineOp::Delete:
                    AppendLine(out, '-', a, oldAt[u]);
                    break;
                case LineOp::Insert:
                    AppendLine(out, '+', b, newAt[u]);
                    break;
            }
        }
        k = stop;
    }
    return out;
}

}  // namespace qv::host::files
