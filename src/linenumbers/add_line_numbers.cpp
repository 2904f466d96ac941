#include "linenumbers/add_line_numbers.h"

#include <charconv>
#include <string_view>

#include "analysis/markers.h"
#include "host/received_line.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/ide_tab_width.h"
#include "settings/settings_record.h"

namespace qv::linenumbers {

namespace {

using text::StartsWith;

// What one line is, for numbering.
enum class LineClass { Qualifying, Other, Comment, Blank };

struct NumberingSettings {
    std::string suffix;      // "0" for steps of ten
    std::string exitLabel;   // label1
    std::string errorLabel;  // label2
    long comment = 1;
};

// The lines between the opening and the closing marker (or the "On Error
// GoTo" line of the error label alone) form the top block of the handler.
struct TopBlock {
    long below = -1;
    long above = -1;
    bool Holds(long i) const { return below <= i && i <= above; }
};

// The line with its tabs taken out, then trimmed of spaces (into a buffer
// reused from line to line).
std::string_view WithoutTabs(std::string_view line, std::string& buffer) {
    if (line.find('\t') == std::string_view::npos) return text::Trim(line);
    buffer.clear();
    for (char c : line) {
        if (c != '\t') buffer.push_back(c);
    }
    return text::Trim(buffer);
}

TopBlock FindTopBlock(const std::vector<std::string>& lines, const std::string& errorLabel) {
    long opening = -1, closing = -1, onError = -1;
    const std::string onErrorLine = "On Error GoTo " + errorLabel;
    std::string buffer;
    for (long i = static_cast<long>(lines.size()) - 1; i >= 0; --i) {
        const std::string& line = lines[static_cast<size_t>(i)];
        // The three lines start with an apostrophe (the markers) or "O":
        // any other line is passed without a closer look.
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || (line[first] != '\'' && line[first] != 'O')) continue;
        const std::string_view t = WithoutTabs(line, buffer);
        if (t == analysis::kOpeningMarker) opening = i;
        if (t == analysis::kClosingMarker) closing = i;
        if (t == onErrorLine) onError = i;
    }
    if (onError == -1) return {};
    return {opening == -1 ? onError : opening, closing == -1 ? onError : closing};
}

// The line trimmed of spaces, then stripped of its leading tabs (spaces that
// follow the tabs stay).
std::string_view Content(std::string_view line) {
    std::string_view t = text::Trim(line);
    while (!t.empty() && t.front() == '\t') t.remove_prefix(1);
    return t;
}

// The field the number stands in: the smallest multiple of the tab width
// greater than the widest number.
int FieldWidth(size_t highestIndex, const std::string& suffix, int tabWidth) {
    const int digits = static_cast<int>(std::to_string(highestIndex).size() + suffix.size());
    int width = 0;
    while (width <= digits) width += tabWidth;
    return width;
}

// Walks the lines as both passes do, carrying the state from line to line.
class Numberer {
  public:
    // The settings are kept by value: callers hand over a record built
    // for the call.
    Numberer(std::vector<std::string>& lines, NumberingSettings settings, int tabWidth)
        : lines_(lines),
          settings_(settings),
          tabWidth_(tabWidth),
          top_(FindTopBlock(lines, settings.errorLabel)),
          field_(FieldWidth(lines.size() - 1, settings.suffix, tabWidth)) {}

    // Pass 1: true when some line qualifies for a number.
    bool FindsQualifyingLine() {
        continued_ = false;
        for (size_t i = 0; i < lines_.size(); ++i) {
            const std::string_view t = Content(lines_[i]);
            const LineClass c = Classify(static_cast<long>(i), t);
            if (c == LineClass::Qualifying) return true;
            Advance(t, c);
        }
        return false;
    }

    // Pass 2: writes the numbers and the padding in front of each line.
    void Number() {
        continued_ = false;
        long counter = 0;
        for (size_t i = 0; i < lines_.size(); ++i) {
            std::string& line = lines_[i];
            const std::string_view t = Content(line);
            const LineClass c = Classify(static_cast<long>(i), t);
            Prefix(line, c, counter);
            Advance(t, c);
            // t points into the line: it is not used past here. The line
            // is put behind the prefix, and the two strings trade places:
            // the room of each is reused for the next line.
            if (!prefix_.empty()) {
                prefix_.append(line);
                line.swap(prefix_);
            }
        }
    }

  private:
    LineClass Classify(long i, std::string_view t) {
        if (top_.Holds(i) || continued_) return LineClass::Other;
        if (t.empty()) return LineClass::Blank;
        if (StartsWith(t, "'") || StartsWith(t, "Rem ")) return LineClass::Comment;
        if (inSelect_ || StartsWith(t, "#") || StartsWith(t, "On Error ")) {
            return LineClass::Other;
        }
        if (StartsWith(t, settings_.exitLabel)) {
            afterExit_ = true;
            return LineClass::Other;
        }
        // A label is the line's label already: "10 Cleanup:" would read as a
        // call of Cleanup, and GoTo Cleanup would find no label.
        if (t.find(':') != t.npos && !host::LineLabel(t).empty()) return LineClass::Other;
        return LineClass::Qualifying;
    }

    // What goes in front of the line (into prefix_; empty for nothing),
    // defined below the entry points.
    void Prefix(const std::string& raw, LineClass c, long& counter);
    void AppendNumber(long counter) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, counter).ptr;
        prefix_.append(digits, end);
        prefix_.append(settings_.suffix);
    }

    void AppendTabs(int columns) { prefix_.append(static_cast<size_t>(columns / tabWidth_), '\t'); }

    // The state for the next line.
    void Advance(std::string_view t, LineClass c) {
        if (inSelect_) {
            if (!t.empty() && c != LineClass::Comment && !continued_) inSelect_ = false;
        } else {
            inSelect_ = StartsWith(t, "Select Case ");
        }
        continued_ = text::EndsWith(t, " _");
    }

    std::vector<std::string>& lines_;
    const NumberingSettings settings_;
    const int tabWidth_;
    const TopBlock top_;
    const int field_;
    // Not reset between the passes: pass 2 starts with what pass 1 left.
    bool afterExit_ = false;
    bool inSelect_ = false;
    bool continued_ = false;
    std::string prefix_;  // reused from line to line (traded with the lines)
};

NumberingSettings NumberingOf(const settings::SettingsRecord& s) {
    return {s.ten != 0 ? "0" : "", s.label1, s.label2, s.comment};
}

}  // namespace

void AddLineNumbers(std::vector<std::string>& lines, const settings::SettingsRecord& settings,
                    short tabWidth) try {
    if (lines.empty()) return;
    Numberer numberer(lines, NumberingOf(settings), qv::settings::UsableTabWidth(tabWidth));
    if (numberer.FindsQualifyingLine()) numberer.Number();
}
QV_PASS_UP("modLine", "AddLineNumbers")

void AddLineNumbers(std::vector<std::string>& lines, const settings::SettingsRecord& settings) try {
    AddLineNumbers(lines, settings, settings.tabWidth.Value());
}
QV_PASS_UP("modLine", "AddLineNumbers")

namespace {

// What goes in front of the line (into prefix_; empty for nothing).
void Numberer::Prefix(const std::string& raw, LineClass c, long& counter) {
    prefix_.clear();
    if (c == LineClass::Qualifying && !afterExit_) {
        ++counter;
        AppendNumber(counter);
        // A number as wide as the field (tab width 1) gets no padding of
        // its own rather than failing; it is still set off by a tab.
        int pad = (field_ - static_cast<int>(prefix_.size()) - 1) / tabWidth_;
        if (pad < 0) pad = 0;
        if (pad == 0 && !StartsWith(raw, "\t")) pad = 1;
        prefix_.append(static_cast<size_t>(pad), '\t');
        return;
    }
    if (c == LineClass::Qualifying) return AppendTabs(field_ - 1);
    if (text::Trim(raw).empty()) return;
    const bool keepsColumn = c == LineClass::Comment && StartsWith(raw, "'") &&
                             (settings_.comment == 2 || settings_.comment == 3);
    if (keepsColumn) return;
    AppendTabs(field_ - static_cast<int>(settings_.suffix.size()) - 1);
}

}  // namespace

}  // namespace qv::linenumbers
