#include "tidy/counts.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "platform/vb_error.h"
#include "platform/vb_strings.h"
#include "settings/settings_record.h"
#include "tidy/line_text.h"
#include "tidy/tidy_state.h"

namespace qv::tidy {

namespace {

using text::EndsWith;
using text::StartsWith;

// A comment line: "'" or "Rem " starts it, or it is the word Rem alone (as
// the host stores "Rem " once it drops the trailing blank; tidying a tidied
// comment must not turn it into code).
bool IsCommentText(std::string_view text) {
    return StartsWith(text, "'") || StartsWith(text, "Rem ") || text::RTrim(text) == "Rem";
}

// The levels a line closes and opens, in the order its statements do so.
// before: how far the line itself moves out; after: how far the lines after
// it move in, relative to the line.
class LevelShift {
public:
    void Close(long n) {
        delta_ -= n;
        lowest_ = std::min(lowest_, delta_);
    }
    void Open(long n) { delta_ += n; }
    long Before() const { return -lowest_; }
    long After() const { return delta_ - lowest_; }

private:
    long delta_ = 0;
    long lowest_ = 0;
};

// The contents of every string literal removed; the quotes stay.
std::string BlankStrings(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 1);  // and the blank the code gets after it
    size_t i = 0;
    while (i < s.size()) {
        const size_t open = s.find('"', i);
        if (open == std::string_view::npos) break;
        out.append(s.substr(i, open + 1 - i));
        const size_t close = s.find('"', open + 1);
        if (close == std::string_view::npos) {
            i = open + 1;
            break;
        }
        out.push_back('"');
        i = close + 1;
    }
    out.append(s.substr(std::min(i, s.size())));
    return out;
}

// The code of the line: string contents blanked, the comment cut off.
std::string CodeOf(std::string_view line) {
    std::string s = BlankStrings(line);
    const size_t quote = s.find('\'');
    if (quote != std::string::npos) s.resize(quote);
    const size_t rem = s.find("Rem ");
    if (rem != std::string::npos) s.resize(rem);
    return s;
}

// One line's pass through the statements: updates the state and the shift.
class StatementWalk {
public:
    StatementWalk(TidyState& state, const KeywordList& openers, const KeywordList& closers,
                  int routineFlag, bool selectIndents)
        : st_(state), openers_(openers), closers_(closers), routineFlag_(routineFlag),
          selectIndents_(selectIndents) {}

    void Run(const std::vector<std::string>& parts, bool commentLine) {
        const size_t last = parts.size() - 1;
        for (size_t k = 0; k <= last; ++k) {
            if (!Statement(parts[k], k, last, commentLine)) break;
        }
    }

    const LevelShift& Shift() const { return shift_; }

private:
    // False stops the walk over the line's statements.
    bool Statement(const std::string& part, size_t k, size_t last, bool commentLine) {
        if (st_.thenPending) shift_.Close(1);
        std::string s;
        if (st_.ifHeader) {
            s = std::string(text::Trim(part)) + " ";
            st_.thenPending = StartsWith(s, "Then ") || (s + " ").find(" Then ") != std::string::npos;
        } else {
            // The statement's own text; the last one keeps the line's end as it is.
            s = k == last ? std::string(text::LTrim(part)) : std::string(text::Trim(part)) + " ";
            st_.thenPending = false;
        }
        if (st_.ifHeader && st_.continued && !st_.thenPending) return false;
        if (StartsWith(s, "'") || StartsWith(s, "Rem ") || st_.inComment ||
            (k == 0 && commentLine)) {
            st_.inComment = true;
            return false;
        }
        if (StartsWith(s, "#If ") || StartsWith(s, "If ") || st_.ifHeader) {
            if (k != last) {
                st_.ifHeader = true;
                return false;
            }
            IfStatement(s);
            return true;
        }
        KeywordStatement(s);
        return true;
    }

    void IfStatement(const std::string& s) {
        const size_t then = (s + " ").find(" Then ");
        if (StartsWith(s, "Then ") || then != std::string::npos) {
            st_.thenPending = true;
            const size_t restAt = then == std::string::npos ? 4 : then + 5;
            const std::string_view rest =
                text::Trim(std::string_view(s).substr(std::min(restAt, s.size())));
            // A block If opens a level; a single-line If does not.
            if (rest.empty() || StartsWith(rest, "'")) shift_.Open(1);
            st_.thenPending = st_.ifHeader && st_.continued;
        }
        st_.ifHeader = EndsWith(s, " _ ") || EndsWith(s, "_ ");
        st_.continued = st_.ifHeader;
        if (st_.ifHeader) {
            shift_.Open(1);
            st_.ifHeader = !EndsWith(s, "Then _ ");
        }
    }

    void KeywordStatement(const std::string& s) {
        long opens = 0;
        long closes = 0;
        if (!st_.inType) {
            const int o = FirstMatch(openers_, s);
            if (o >= 0) {
                opens = (routineFlag_ == 1 && o == 0 && selectIndents_) ? 2 : 1;
                if (routineFlag_ == 0 && o < 3) st_.inType = true;
            }
        }
        const int c = FirstMatch(closers_, s);
        if (c >= 0) {
            closes = (routineFlag_ == 1 && c == 0 && selectIndents_) ? 2 : 1;
            if (c == static_cast<int>(closers_.size()) - 1) {
                closes += static_cast<long>(std::count(s.begin(), s.end(), ','));
            }
            if (routineFlag_ == 0 && c == 0 && st_.inType) st_.inType = false;
        }
        // A keyword in both lists moves its own line out and the next lines back in.
        shift_.Close(closes);
        shift_.Open(opens);
    }

    TidyState& st_;
    const KeywordList& openers_;
    const KeywordList& closers_;
    const int routineFlag_;
    const bool selectIndents_;
    LevelShift shift_;
};

// Where the comment setting puts a comment line; may replace the text by
// the line as read.
void PlaceComment(std::string& line, std::string_view raw, long& indent,
                  const TidyState& st, long mode) {
    if (mode == 2) {
        if (IsCommentText(raw) || st.previousComment) {
            line.assign(raw).append(" ");
            indent = 0;
        }
        return;
    }
    if (IsCommentText(line) || (st.continued && st.inComment)) {
        if (mode == 0) {
            line.assign(raw).append(" ");
            indent = 0;
        } else if (mode == 3) {
            indent = 0;
        }
    }
}

// The line goes on in the next one. A comment line kept as it was read
// (the comment settings that leave comments alone) may hold blanks after
// its " _", which the host drops when it stores the line: they do not
// count, or a second tidy would read the next line differently (found by
// fuzzing).
bool GoesOn(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return EndsWith(line, " _");
}

// Continuation lines sit one level deeper than the statement they continue.
void TrackContinuation(const std::string& line, long& after, TidyState& st) {
    if (st.continued) {
        if (!GoesOn(line)) {
            if (!st.ifHeader) --after;
            st.continued = false;
            st.ifHeader = false;
            st.inComment = false;
        }
    } else if (GoesOn(line)) {
        ++after;
        st.continued = true;
    } else {
        st.ifHeader = false;
        st.inComment = false;
    }
}

}  // namespace

void Counts(std::string& line, TidyState& st, const KeywordList& openers,
            const KeywordList& closers, int routineFlag, bool first,
            const settings::SettingsRecord& settings) try {
    if (first) {
        st = TidyState{};
        st.level = routineFlag;
    }
    st.previousComment = st.inComment;

    const std::string_view raw = line;  // line is replaced only at the end
    // Blanks at the ends go as the host drops them, tabs inside an unclosed
    // string literal included (found by fuzzing: a tidy of the tidied text
    // read the line differently).
    std::string text = TabsToSpaces(text::TrimBlanks(raw));  // (blanks stay blanks)
    const bool commentLine = IsCommentText(text);
    const std::string code = CodeOf(text) + " ";
    text += " ";

    StatementWalk walk(st, openers, closers, routineFlag, settings.select != 0);
    walk.Run(vb5stuff::Split(code, ": "), commentLine);
    long after = walk.Shift().After();

    st.level = std::max(0L, st.level - walk.Shift().Before());
    long indent = st.level;
    // Each line carries a tab per level, so code nested without end would
    // make the output grow with the square of its length.
    if (indent > kDeepestNesting) {
        Raise(err::kExpressionTooComplex,
              "the code is nested more than " + std::to_string(kDeepestNesting) +
                  " levels deep, which tidy does not lay out; check the If, For, Do, "
                  "Select and With blocks for missing End lines");
    }
    PlaceComment(text, raw, indent, st, settings.comment);
    text.insert(0, static_cast<size_t>(indent), '\t');
    if (text.find_first_not_of(" \t") == std::string::npos) text.clear();  // only blanks

    TrackContinuation(text, after, st);
    st.level += after;
    line = std::move(text);
} QV_PASS_UP("Tidy", "Counts")

}  // namespace qv::tidy
