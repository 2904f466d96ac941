#include "tidy/module_lines.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "host/received_line.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::tidy {

namespace {

// The lines as the host will store them once inserted after `previous`.
std::vector<std::string> AsStored(const std::vector<std::string>& lines, std::string_view previous,
                                  int tabWidth) {
    std::vector<std::string> stored;
    stored.reserve(lines.size());
    bool continuation = host::IsContinuedLine(previous);
    for (const std::string& line : lines) {
        stored.push_back(host::TidyReceivedLine(line, tabWidth, continuation));
        continuation = host::IsContinuedLine(stored.back());
    }
    return stored;
}

using LineRange = std::pair<std::vector<std::string>::const_iterator,
                            std::vector<std::string>::const_iterator>;

// A line holds a break: the host would split it into several.
bool HoldsBreak(LineRange lines) {
    return std::any_of(lines.first, lines.second, [](const std::string& line) {
        return line.find_first_of("\r\n") != std::string::npos;
    });
}

// The lines joined with CR LF, as text::JoinLines, without a copy of them.
std::string Joined(LineRange lines) {
    size_t total = 0;
    for (auto line = lines.first; line != lines.second; ++line) total += line->size() + 2;
    std::string out;
    out.reserve(total);
    for (auto line = lines.first; line != lines.second; ++line) {
        if (line != lines.first) out.append("\r\n");
        out.append(*line);
    }
    return out;
}

}  // namespace

std::vector<std::string> ReadLines(const host::CodeModule& module, long start, long count) {
    if (count < 1) return {};
    return text::SplitLines(module.Lines(start, count));
}

bool ReplaceLines(host::CodeModule& module, long start, const std::vector<std::string>& oldLines,
                  const std::vector<std::string>& newLines, int hostTabWidth) try {
    if (newLines.empty()) return false;
    const std::string previous = start > 1 ? module.Lines(start - 1, 1) : std::string();
    std::vector<std::string> stored = AsStored(newLines, previous, hostTabWidth);

    // The changed middle: lines equal at both ends stay where they are.
    size_t head = 0;
    while (head < oldLines.size() && head < stored.size() && oldLines[head] == stored[head]) {
        ++head;
    }
    size_t tail = 0;
    while (tail < oldLines.size() - head && tail < stored.size() - head &&
           oldLines[oldLines.size() - 1 - tail] == stored[stored.size() - 1 - tail]) {
        ++tail;
    }
    const size_t oldCount = oldLines.size() - head - tail;
    const size_t newCount = stored.size() - head - tail;
    if (oldCount == 0 && newCount == 0) return false;

    const long at = start + static_cast<long>(head);
    if (oldCount > 0) module.DeleteLines(at, static_cast<long>(oldCount));
    if (newCount > 0) {
        const LineRange middle(newLines.begin() + static_cast<long>(head),
                               newLines.end() - static_cast<long>(tail));
        const std::string joined = Joined(middle);
        if (joined.empty() || HoldsBreak(middle)) {
            // The host stores " " as one empty line.
            module.InsertLines(at, joined.empty() ? std::string(" ") : joined);
        } else {
            // The stored lines are foreseen already: the host need not
            // tidy them again.
            std::vector<std::string> shaped(
                std::make_move_iterator(stored.begin() + static_cast<long>(head)),
                std::make_move_iterator(stored.end() - static_cast<long>(tail)));
            module.InsertShapedLines(at, joined, std::move(shaped), hostTabWidth);
        }
    }
    return true;
}
QV_PASS_UP("Tidy", "ReplaceLines")

}  // namespace qv::tidy
