#include "tidy/module_lines.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "host/received_line.h"
#include "platform/line_views.h"
#include "platform/text.h"
#include "platform/thread_kept.h"
#include "platform/vb_error.h"

namespace qv::tidy {

namespace {

// The lines as the host will store them once inserted after `previous`,
// all in one buffer: a line that is written back is copied from there, one
// that is not costs no string of its own.
struct StoredLines {
    std::string bytes;
    std::vector<size_t> ends;             // where each line ends in bytes
    std::vector<std::string_view> lines;  // into bytes
};

// The StoredLines a thread keeps from call to call, so that their room is
// reused, lent to one call at a time (one made while it is lent, from an
// observer of the edit, gets its own).
class LentStoredLines {
  public:
    LentStoredLines() = default;
    ~LentStoredLines() {
        // The room of a very long routine is not kept for the short ones.
        if (lent_->bytes.capacity() > kKeptBytes) *lent_ = {};
    }
    LentStoredLines(const LentStoredLines&) = delete;
    LentStoredLines& operator=(const LentStoredLines&) = delete;
    StoredLines& operator*() { return *lent_; }

  private:
    static constexpr size_t kKeptBytes = 1 << 20;
    platform::ThreadLent<LentStoredLines, StoredLines> lent_;
};

void AsStored(const std::vector<std::string>& lines, std::string_view previous, int tabWidth,
              StoredLines& stored) {
    stored.bytes.clear();
    stored.ends.clear();
    stored.lines.clear();
    size_t total = 0;
    for (const std::string& line : lines) total += line.size();
    // Room for the blanks of a few tabs a line (it grows if that is short).
    stored.bytes.reserve(total + 16 * lines.size());
    stored.ends.reserve(lines.size());
    bool continuation = host::IsContinuedLine(previous);
    for (const std::string& line : lines) {
        const size_t begin = stored.bytes.size();
        host::AppendReceivedLine(stored.bytes, line, tabWidth, continuation);
        continuation = host::IsContinuedLine(std::string_view(stored.bytes).substr(begin));
        stored.ends.push_back(stored.bytes.size());
    }
    // The views are taken once the buffer has stopped growing.
    stored.lines.reserve(lines.size());
    size_t begin = 0;
    for (const size_t end : stored.ends) {
        stored.lines.emplace_back(stored.bytes.data() + begin, end - begin);
        begin = end;
    }
}

using LineRange =
    std::pair<std::vector<std::string>::const_iterator, std::vector<std::string>::const_iterator>;

// One of lines first .. end - 1 holds a break: the host would split it
// into several. Their stored forms keep every CR and LF of them and lie
// one after the other in one buffer, searched at once.
bool HoldsBreak(const StoredLines& stored, size_t first, size_t end) {
    const std::string_view last = stored.lines[end - 1];
    const char* from = stored.lines[first].data();
    const std::string_view bytes(from, static_cast<size_t>(last.data() + last.size() - from));
    return bytes.find('\r') != std::string_view::npos || bytes.find('\n') != std::string_view::npos;
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

// Lines start .. start + count - 1 (count >= 1) into lines, one by one as
// the module holds them. False, with no lines, when they must be read as
// their text joined with CR LF: a line holds a CR LF of its own, which
// splits it, or the range starts outside the module, which the host answers.
template <class Line>
bool ReadOneByOne(const host::CodeModule& module, long start, long count,
                  std::vector<Line>& lines) {
    const long total = module.CountOfLines();
    if (start < 1 || start > total) return false;
    const long last = std::min(total, start + count - 1);
    lines.reserve(static_cast<size_t>(last - start + 1));
    for (long i = start; i <= last; ++i) {
        const std::string_view line = module.LineView(i);
        if (line.find(text::kCrLf) != std::string_view::npos) {
            lines.clear();
            return false;
        }
        lines.emplace_back(line);
    }
    return true;
}

// Writes newLines in place of oldLines (ReplaceLines).
template <class OldLine>
bool ReplaceRange(host::CodeModule& module, long start, const std::vector<OldLine>& oldLines,
                  const std::vector<std::string>& newLines, int hostTabWidth) {
    if (newLines.empty()) return false;
    // (A view: the module does not change before it is read.)
    const std::string_view previous =
        start > 1 && start - 1 <= module.CountOfLines() ? module.LineView(start - 1) : "";
    LentStoredLines lent;
    const StoredLines& stored = *lent;
    AsStored(newLines, previous, hostTabWidth, *lent);
    const std::vector<std::string_view>& storedLines = stored.lines;

    // The changed middle: lines equal at both ends stay where they are.
    size_t head = 0;
    while (head < oldLines.size() && head < storedLines.size() &&
           oldLines[head] == storedLines[head]) {
        ++head;
    }
    size_t tail = 0;
    while (tail < oldLines.size() - head && tail < storedLines.size() - head &&
           oldLines[oldLines.size() - 1 - tail] == storedLines[storedLines.size() - 1 - tail]) {
        ++tail;
    }
    const size_t oldCount = oldLines.size() - head - tail;
    const size_t newCount = storedLines.size() - head - tail;
    if (oldCount == 0 && newCount == 0) return false;

    const long at = start + static_cast<long>(head);
    if (newCount == 0) {
        module.DeleteLines(at, static_cast<long>(oldCount));
        return true;
    }
    const LineRange middle(newLines.begin() + static_cast<long>(head),
                           newLines.end() - static_cast<long>(tail));
    if ((newCount == 1 && middle.first->empty()) || HoldsBreak(stored, head, head + newCount)) {
        const std::string joined = Joined(middle);  // empty for one empty line
        if (oldCount > 0) module.DeleteLines(at, static_cast<long>(oldCount));
        // The host stores " " as one empty line.
        module.InsertLines(at, joined.empty() ? std::string(" ") : joined);
    } else {
        // The stored lines are foreseen: the host need not tidy them again (nor join them).
        const std::vector<std::string_view> shaped(storedLines.begin() + static_cast<long>(head),
                                                   storedLines.end() - static_cast<long>(tail));
        module.ReplaceShapedLines(at, static_cast<long>(oldCount), [&] { return Joined(middle); },
                                  shaped, hostTabWidth);
    }
    return true;
}

}  // namespace

std::vector<std::string> ReadLines(const host::CodeModule& module, long start, long count) {
    if (count < 1) return {};
    std::vector<std::string> lines;
    if (ReadOneByOne(module, start, count, lines)) return lines;
    return text::SplitLines(module.Lines(start, count));
}

LineViews ReadLineViews(const host::CodeModule& module, long start, long count) {
    LineViews read;
    if (count < 1 || ReadOneByOne(module, start, count, read.lines)) return read;
    read.text = std::make_unique<std::string>(module.Lines(start, count));
    read.lines = text::SplitLineViews(*read.text);
    return read;
}

namespace {

// A few routines' worth of strings stay kept; a larger array's go when its use ends.
constexpr size_t kKeptStrings = 4096;

// Moves the last count strings of from to the end of to (their room with them).
void MoveLast(std::vector<std::string>& from, std::vector<std::string>& to, size_t count) {
    const auto first = from.end() - static_cast<std::ptrdiff_t>(count);
    to.insert(to.end(), std::make_move_iterator(first), std::make_move_iterator(from.end()));
    from.erase(first, from.end());
}

// Makes lines hold count strings, moving them to and from spare.
void Fit(std::vector<std::string>& lines, std::vector<std::string>& spare, size_t count) {
    if (lines.size() > count) {
        MoveLast(lines, spare, lines.size() - count);
    } else {
        MoveLast(spare, lines, std::min(count - lines.size(), spare.size()));
    }
    lines.resize(count);
}

}  // namespace

EditedLines::EditedLines(size_t count) {
    Fit(lent_->lines, lent_->spare, count);
}

EditedLines::~EditedLines() {
    if (lent_->lines.size() + lent_->spare.size() > kKeptStrings) *lent_ = {};
}

bool ReplaceLines(host::CodeModule& module, long start, const std::vector<std::string>& oldLines,
                  const std::vector<std::string>& newLines, int hostTabWidth) try {
    return ReplaceRange(module, start, oldLines, newLines, hostTabWidth);
}
QV_PASS_UP("Tidy", "ReplaceLines")

bool ReplaceLines(host::CodeModule& module, long start,
                  const std::vector<std::string_view>& oldLines,
                  const std::vector<std::string>& newLines, int hostTabWidth) try {
    return ReplaceRange(module, start, oldLines, newLines, hostTabWidth);
}
QV_PASS_UP("Tidy", "ReplaceLines")

}  // namespace qv::tidy
