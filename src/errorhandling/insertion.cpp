#include "errorhandling/insertion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

#include "analysis/routine_parsing.h"
#include "analysis/routine_shape.h"
#include "errorhandling/error_status.h"
#include "errorhandling/messages.h"
#include "errorhandling/removal.h"
#include "errorhandling/templates.h"
#include "host/memory/vb_syntax.h"
#include "host/received_line.h"
#include "platform/like.h"
#include "platform/line_views.h"
#include "platform/text.h"
#include "platform/thread_kept.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_up_code.h"

namespace qv::errorhandling {

namespace {

// The block as a routine body lays it out: one level in, each line through
// the indentation engine (the received-line tidy of the host then turns the
// tabs into spaces and puts labels in column 1).
// lines: lines laid out before with the same settings (none: each is laid out).
std::string IndentBlock(const std::string& block, const settings::SettingsRecord& settings,
                        tidy::LineLayouts* lines = nullptr) try {
    // The block's last line is followed by an empty element, which the
    // engine takes for the closing line of the body and which is dropped.
    std::vector<std::string> split = text::SplitLines(block + std::string(text::kCrLf));
    tidy::TidyUpCode(split, tidy::RoutineOpeners(), tidy::RoutineClosers(), 1, settings, lines);
    if (!split.empty() && split.back().empty()) split.pop_back();
    return text::JoinLines(split);
}
QV_PASS_UP("AddIn", "IndentBlock")

std::string TopText(TemplateRoutine& routine, const settings::SettingsRecord& settings) {
    return routine.IsTerminate() ? std::string(kTerminateTopBlock)
                                 : TopBit(routine, settings, false);
}

// The line labels that the lines define, in order; a continuation line
// defines none.
std::vector<std::string> DefinedLabels(std::string_view lines);

bool MayHoldOnError(std::string_view code);

// Whether the text holds one of the labels followed by a colon, in any
// letter case: found from the colons, which few lines hold.
bool AnyLabelWithColon(std::string_view text, const std::vector<std::string>& labels) {
    for (size_t colon = text.find(':'); colon != std::string_view::npos;
         colon = text.find(':', colon + 1)) {
        for (const std::string& label : labels) {
            if (colon >= label.size() &&
                text::EqualsIgnoreCase(text.substr(colon - label.size(), label.size()), label)) {
                return true;
            }
        }
    }
    return false;
}

// Lines first .. last - 1 of a module, read one by one where they lie (a
// line past the end is empty, as Lines gives it): what PlanAt looks for in
// them holds no line break, and is so found without joining them.
class RoutineLines {
  public:
    RoutineLines(host::CodeModule& module, long first, long last)
        : module_(module), first_(first), last_(std::min(last, module.CountOfLines() + 1)) {
        if (last - first >= 1 && first < 1) module.Lines(first, last - first);  // raises
    }
    // Whether test(line) holds for one of the lines.
    template <typename Test>
    bool Any(const Test& test) const {
        for (long line = first_; line < last_; ++line) {
            if (test(module_.LineView(line))) return true;
        }
        return false;
    }

  private:
    host::CodeModule& module_;
    long first_;
    long last_;
};

// The lines the insertion would make in the routine at span.
std::optional<HandlerInsertion> PlanAt(host::Member& member, int kind,
                                       const analysis::RoutineSpan& span,
                                       const settings::SettingsRecord& settings,
                                       std::string& message, int& number,
                                       BlockLayouts* layouts = nullptr,
                                       const JudgedRoutine* judged = nullptr,
                                       const analysis::RoutineShape* shape = nullptr);

// The lines a host stores for a block's text, as TidyReceivedLine gives
// them, foreseen from the block's shape once and filled for each routine:
// the host's tidy of a line keeps its literals, in order, as they are when
// its text breaks at CR LF alone, no tab follows a quote (a tab's width
// would depend on what stands before it) and no literal holds a tab or a
// break.
class ReceivedShapes {
  public:
    // The lines of a block's shape, with a CR LF before it (breakFirst) or
    // after it, filled with contents, as received after a line that
    // continues or not, into out; false when the shape cannot tell.
    bool Receive(const std::string& shape, bool breakFirst,
                 const std::vector<std::string>& contents, int tabWidth, bool continuation,
                 std::vector<std::string>& out) {
        for (const std::string& content : contents) {
            if (content.find_first_of("\t\r\n") != std::string::npos) return false;
        }
        const Shape& kept = Kept(shape, breakFirst, tabWidth, continuation);
        if (!kept.setApart) return false;
        views_.assign(contents.begin(), contents.end());
        out.clear();
        out.reserve(kept.lines.size());
        size_t next = 0;
        for (const std::string& line : kept.lines) {
            if (line.find('"') == std::string::npos) {
                out.push_back(line);
            } else {
                tidy::AppendFilled(out.emplace_back(), line, views_, next);
            }
        }
        return next == views_.size();
    }

  private:
    struct Shape {
        bool setApart = false;
        std::vector<std::string> lines;
    };
    // The shape last looked up for each place of the break: a run puts one
    // top block and one exit block into routine after routine, which so
    // are neither copied nor hashed again.
    struct Last {
        std::string shape;
        int tabWidth = 0;
        bool continuation = false;
        const Shape* kept = nullptr;
    };
    const Shape& Kept(const std::string& shape, bool breakFirst, int tabWidth,
                      bool continuation) {
        Last& last = last_[breakFirst ? 1 : 0];
        if (last.kept != nullptr && last.tabWidth == tabWidth &&
            last.continuation == continuation && last.shape == shape) {
            return *last.kept;
        }
        key_.assign(std::to_string(tabWidth)).push_back(continuation ? '+' : '-');
        const size_t textAt = key_.size();
        if (breakFirst) key_.append(text::kCrLf);
        key_.append(shape);
        if (!breakFirst) key_.append(text::kCrLf);
        auto it = kept_.find(key_);
        if (it == kept_.end()) {
            if (kept_.size() >= kKept) {
                kept_.clear();
                last_[0].kept = last_[1].kept = nullptr;
            }
            const std::string_view text = std::string_view(key_).substr(textAt);
            Shape received;
            received.setApart = LiteralsSetApart(text);
            if (received.setApart) {
                // Split at each CR LF, as the host splits what it is given.
                for (const std::string_view line : text::SplitLineViews(text)) {
                    received.lines.push_back(host::TidyReceivedLine(line, tabWidth, continuation));
                    continuation = host::memory::IsContinued(received.lines.back());
                }
            }
            it = kept_.emplace(key_, std::move(received)).first;
        }
        last = {shape, tabWidth, key_[textAt - 1] == '+', &it->second};
        return it->second;
    }

    static constexpr size_t kKept = 64;
    std::unordered_map<std::string, Shape> kept_;
    Last last_[2];
    std::string key_;
    std::vector<std::string_view> views_;
};

// What this thread keeps from insertion to insertion: the blocks laid out
// for the settings' select and comment (all a layout depends on), and the
// lines they are stored as. A run over a project inserts much the same
// handler into every routine, laid out and received so once.
struct KeptInsertions {
    long select = 0;
    long comment = 0;
    std::optional<BlockLayouts> layouts;
    ReceivedShapes received;
};

KeptInsertions& Kept(const settings::SettingsRecord& settings) {
    KeptInsertions& kept = platform::ThreadKept<KeptInsertions>();
    if (!kept.layouts || kept.select != settings.select || kept.comment != settings.comment) {
        kept.layouts.emplace();
        kept.select = settings.select;
        kept.comment = settings.comment;
    }
    return kept;
}

// A block's text: its shape with the literals filled, and a CR LF before it
// (breakFirst) or after it.
std::string BlockText(const ShapedBlock& block, bool breakFirst) {
    const std::vector<std::string_view> contents(block.contents.begin(), block.contents.end());
    std::string filled = tidy::FillLiterals(block.shape, contents);
    return breakFirst ? std::string(text::kCrLf) + filled : filled + std::string(text::kCrLf);
}

// One block of a planned insertion put in at line: as the lines the host
// would store, when they are foreseen from the block's shape (its text is
// then made only for a host that tidies them again).
void InsertBlock(host::CodeModule& module, long line, const ShapedBlock& block, bool breakFirst,
                 int tabWidth, ReceivedShapes& received) {
    const auto text = [&] { return BlockText(block, breakFirst); };
    std::vector<std::string> lines;
    const bool continuation = line > 1 && line - 1 <= module.CountOfLines() &&
                              host::memory::IsContinued(module.LineView(line - 1));
    if (line <= module.CountOfLines() + 1 &&
        received.Receive(block.shape, breakFirst, block.contents, tabWidth, continuation, lines)) {
        module.InsertShapedLines(line, std::function<std::string()>(text), std::move(lines),
                                 tabWidth);
    } else {
        module.InsertLines(line, text());
    }
}

// Makes an insertion planned with layouts. The exit block first: it goes
// below the first line, which so stays where it was found.
void ApplyShaped(host::CodeModule& module, const HandlerInsertion& insertion, int tabWidth,
                 ReceivedShapes& received) {
    InsertBlock(module, insertion.exitLine, *insertion.exitBlock, true, tabWidth, received);
    InsertBlock(module, insertion.topLine, *insertion.topBlock, false, tabWidth, received);
}

}  // namespace

std::optional<HandlerInsertion> PlanRoutineErrorHandling(host::Member& member, int kind,
                                                         const settings::SettingsRecord& settings,
                                                         std::string& message,
                                                         int* messageNumber,
                                                         BlockLayouts* layouts,
                                                         const JudgedRoutine* judged) try {
    message.clear();
    int unused = 0;
    int& number = messageNumber != nullptr ? *messageNumber : unused;
    number = 0;
    const std::string name = member.Name();
    if (judged != nullptr ? !judged->required : !analysis::ErrorHandlingRequired(member, settings)) {
        number = 1;
        message = MessageText(1, {name});
        return std::nullopt;
    }
    if (judged != nullptr && judged->span != nullptr) {
        return PlanAt(member, kind, *judged->span, settings, message, number, layouts, judged);
    }
    host::CodeModule& module = analysis::ModuleOf(member);
    // A routine without a body of its own lines, or inside #If structure
    // that does not nest in it, has no place where a handler could go.
    // (The shape read once gives both the refusal and where the routine's
    // body lies, as FirstAndLast reads it for a routine that is not
    // written on one line.)
    const analysis::RoutineShape shape = analysis::ReadRoutineShape(module, name, kind);
    message = analysis::ChangeRefusal(shape, name);
    if (!message.empty()) return std::nullopt;
    return PlanAt(member, kind,
                  analysis::SpanAt(module, shape.start, shape.declarationEnd + 1, shape.blockEnd),
                  settings, message, number, layouts, judged, &shape);
}
QV_PASS_UP("AddIn", "PlanRoutineErrorHandling")

bool AddRoutineErrorHandling(host::Member& member, int kind,
                             const settings::SettingsRecord& settings, std::string& message,
                             int* messageNumber) try {
    KeptInsertions& kept = Kept(settings);
    std::optional<HandlerInsertion> insertion = PlanRoutineErrorHandling(
        member, kind, settings, message, messageNumber, &*kept.layouts);
    if (!insertion) return false;
    ApplyShaped(analysis::ModuleOf(member), *insertion, settings.tabWidth.HostWidth(),
                kept.received);
    return true;
}
QV_PASS_UP("AddIn", "AddRoutineErrorHandling")

bool AddRoutineErrorHandling(host::Member& member, int kind, const analysis::RoutineSpan& span,
                             const settings::SettingsRecord& settings, std::string& message) try {
    message.clear();
    if (!analysis::ErrorHandlingRequired(member, settings)) {
        message = MessageText(1, {member.Name()});
        return false;
    }
    int number = 0;
    KeptInsertions& kept = Kept(settings);
    std::optional<HandlerInsertion> insertion =
        PlanAt(member, kind, span, settings, message, number, &*kept.layouts);
    if (!insertion) return false;
    ApplyShaped(analysis::ModuleOf(member), *insertion, settings.tabWidth.HostWidth(),
                kept.received);
    return true;
}
QV_PASS_UP("AddIn", "AddRoutineErrorHandling")

namespace {

std::optional<HandlerInsertion> PlanAt(host::Member& member, int kind,
                                       const analysis::RoutineSpan& span,
                                       const settings::SettingsRecord& settings,
                                       std::string& message, int& number,
                                       BlockLayouts* layouts, const JudgedRoutine* judged,
                                       const analysis::RoutineShape* shape) {
    host::CodeModule& module = analysis::ModuleOf(member);
    const std::string name = member.Name();
    // The routine's lines from its first line to the one above its closing
    // line. Its code (the comments taken out) holds no more than they do:
    // it is read only when they hold what a refusal looks for, which most
    // routines do not.
    const RoutineLines lines(module, span.firstLine, span.lastLine);
    std::optional<std::string> code;
    const auto codeText = [&]() -> const std::string& {
        if (!code) {
            std::string fullText;
            code = analysis::RemoveComments(module, span, fullText);
        }
        return *code;
    };
    if (lines.Any(MayHoldOnError)) {
        if (const int refusal = OnErrorRefusal(codeText(), settings)) {
            number = refusal;
            message = MessageText(refusal);
            return std::nullopt;
        }
    }

    TemplateRoutine routine =
        judged != nullptr && judged->routineType
            ? TemplateRoutine(member, kind, *judged->routineType)
        : shape != nullptr ? TemplateRoutine(member, kind, shape->body, shape->blockEnd + 1)
                           : TemplateRoutine(member, kind);
    const std::string exitText = LastBit(routine, settings, false);
    const std::string topText = TopText(routine, settings);
    // A label is defined with a colon: lines without one (most) define
    // none that the handler would define again.
    if (lines.Any([](std::string_view line) { return line.find(':') != std::string_view::npos; })) {
        const std::string handler = topText + std::string(text::kCrLf) + exitText;
        std::vector<std::string> ownLabels;
        const std::vector<std::string>& labels =
            layouts != nullptr ? layouts->LabelsOf(handler) : (ownLabels = DefinedLabels(handler));
        if (lines.Any([&](std::string_view line) { return AnyLabelWithColon(line, labels); })) {
            message = LabelRefusal(name, codeText(), handler);
            if (!message.empty()) return std::nullopt;
        }
    }
    const auto layOut = [&](const std::string& block) {
        return IndentBlock(block, settings, layouts != nullptr ? &layouts->Lines() : nullptr);
    };
    if (layouts != nullptr) {
        // The blocks as shapes: their literals are filled by whoever needs
        // their text.
        HandlerInsertion insertion;
        insertion.exitLine = span.lastLine;
        insertion.exitBlock = layouts->ShapeOf(exitText, layOut);
        insertion.topLine = span.firstLine;
        insertion.topBlock = layouts->ShapeOf(topText, layOut);
        return insertion;
    }
    return HandlerInsertion{.exitLine = span.lastLine,
                            .exitText = std::string(text::kCrLf) + layOut(exitText),
                            .topLine = span.firstLine,
                            .topText = layOut(topText) + std::string(text::kCrLf),
                            .exitBlock = std::nullopt,
                            .topBlock = std::nullopt};
}

// Whether the text holds "On Error " in any letter case: both refusals need
// it, and most routines that get a handler hold none, which this finds out
// at the cost of one pass.
bool MayHoldOnError(std::string_view code) {
    // The words hold "rr", which little code does: the text is searched for
    // it eight bytes at a time (a letter's case is its 0x20 bit), and only
    // where an 'r' stands are the words compared.
    constexpr std::string_view kWords = "on error ";
    constexpr size_t kR = 4;  // where the first 'r' stands in them
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    const size_t n = code.size();
    if (n < kWords.size()) return false;
    const size_t last = n - (kWords.size() - kR);  // the last place the first 'r' may stand
    for (size_t i = kR; i <= last;) {
        if (i + 8 <= n) {
            std::uint64_t eight = 0;
            std::memcpy(&eight, code.data() + i, 8);
            const std::uint64_t r = (eight | (kOnes * 0x20)) ^ (kOnes * 'r');
            if (((r - kOnes) & ~r & kHighs) == 0) {  // no 'r' among them
                i += 8;
                continue;
            }
        }
        for (const size_t end = std::min(i + 8, last + 1); i < end; ++i) {
            if ((code[i] | 0x20) == 'r' && (code[i + 1] | 0x20) == 'r' &&
                text::EqualsIgnoreCase(code.substr(i - kR, kWords.size()), kWords)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

int OnErrorRefusal(const std::string& code, const settings::SettingsRecord& settings) {
    if (!MayHoldOnError(code)) return 0;
    if (modSearchText::StringInRoutine(code, "On Error GoTo " + settings.label2)) {
        return 2;
    }
    return modSearchBin::StringInRoutine(code, "On Error ") ? 3 : 0;
}

namespace {

// Calls line(view) for each line of the text, split at CR LF.
template <typename Line>
void ForEachLine(std::string_view text, const Line& line) {
    for (size_t start = 0;;) {
        const size_t at = text.find(text::kCrLf, start);
        line(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return;
        start = at + text::kCrLf.size();
    }
}

std::vector<std::string> DefinedLabels(std::string_view lines) {
    std::vector<std::string> labels;
    bool continuation = false;
    ForEachLine(lines, [&](std::string_view line) {
        if (!continuation) {
            std::string label = host::LineLabel(line);
            if (!label.empty()) labels.push_back(std::move(label));
        }
        continuation = host::IsContinuedLine(line);
    });
    return labels;
}

// Whether a line of the text begins, after its blanks, with the label and
// its colon (case ignored): a quick test that passes over most routines
// before their lines are read as statements.
bool SomeLineBeginsWith(std::string_view text, std::string_view label) {
    bool found = false;
    ForEachLine(text, [&](std::string_view line) {
        const std::string_view t = text::TrimBlanks(line);
        found = found || (t.size() > label.size() && t[label.size()] == ':' &&
                          text::StartsWithIgnoreCase(t, label));
    });
    return found;
}

}  // namespace

std::string HandlerText(host::Member& member, int kind,
                        const settings::SettingsRecord& settings) try {
    TemplateRoutine routine(member, kind);
    return HandlerText(routine, settings);
}
QV_PASS_UP("AddIn", "HandlerText")

std::string HandlerText(TemplateRoutine& routine, const settings::SettingsRecord& settings) try {
    return TopText(routine, settings) + std::string(text::kCrLf) +
           LastBit(routine, settings, false);
}
QV_PASS_UP("AddIn", "HandlerText")

std::string LabelRefusal(std::string_view routineName, std::string_view code,
                         std::string_view handler) {
    std::vector<std::string> own;
    bool read = false;
    for (const std::string& label : DefinedLabels(handler)) {
        // A line that begins with the label holds it with its colon: most
        // routines hold neither, which one pass finds out.
        if (!text::ContainsIgnoreCase(code, label + ":") || !SomeLineBeginsWith(code, label)) {
            continue;
        }
        if (!read) own = DefinedLabels(code);
        read = true;
        for (const std::string& defined : own) {
            if (!text::EqualsIgnoreCase(defined, label)) continue;
            return std::string(routineName) + " already has a line labelled " + defined +
                   ", a label that the handler defines too, and a second one would not "
                   "compile: rename the routine's own label first";
        }
    }
    return {};
}

bool ReplaceHandler(host::Member& member, int kind, const settings::SettingsRecord& settings,
                    std::string& message) try {
    host::CodeModule& module = analysis::ModuleOf(member);
    const std::string name = member.Name();
    const auto routineText = [&] {
        return module.Lines(module.ProcStartLine(name, kind), module.ProcCountLines(name, kind));
    };
    const std::string before = routineText();
    RemoveOld(member, kind, settings);
    AddRoutineErrorHandling(member, kind, settings, message);
    return routineText() != before;
}
QV_PASS_UP("AddIn", "ReplaceHandler")

bool ReplaceHandler(host::Member& member, int kind, const RemovalPlan& plan,
                    const settings::SettingsRecord& settings, std::string& message) try {
    host::CodeModule& module = analysis::ModuleOf(member);
    const long start = plan.span.startLine;
    const std::string before = module.Lines(start, plan.span.blockEnd - start + 1);
    RemoveOld(module, plan);
    const analysis::RoutineSpan removed = SpanAfterRemoval(module, plan);
    const long lines = module.CountOfLines();
    AddRoutineErrorHandling(member, kind, removed, settings, message);
    // The block grew by the lines the insertion put into it.
    const long end = removed.blockEnd + module.CountOfLines() - lines;
    return module.Lines(start, end - start + 1) != before;
}
QV_PASS_UP("AddIn", "ReplaceHandler")

bool LiteralsSetApart(std::string_view text) {
    bool quote = false;
    for (size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
            case '"': quote = true; break;
            case '\t':
                if (quote) return false;
                break;
            case '\r':
                if (i + 1 >= text.size() || text[i + 1] != '\n') return false;
                ++i;
                quote = false;
                break;
            case '\n': return false;
            default: break;
        }
    }
    return true;
}

const std::vector<std::string>& BlockLayouts::LabelsOf(std::string_view handler) {
    return ByShape(labels_, handler, [](const std::string& shape) { return DefinedLabels(shape); });
}

}  // namespace qv::errorhandling
