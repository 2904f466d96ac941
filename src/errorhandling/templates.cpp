#include "errorhandling/templates.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <forward_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "analysis/markers.h"
#include "analysis/routine_parsing.h"
#include "host/lines_code_page.h"
#include "platform/code_page.h"
#include "platform/like.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"

namespace qv::errorhandling {

using text::kCrLf;
using text::ReplaceAll;

namespace {

bool Contains(std::string_view s, std::string_view what) {
    return s.find(what) != std::string_view::npos;
}

// The routine's name as %r gives it: accessors carry their kind.
std::string QualifiedName(const std::string& name, int kind) {
    switch (kind) {
        case host::vbext_pk_Let: return name + "(Let)";
        case host::vbext_pk_Set: return name + "(Set)";
        case host::vbext_pk_Get: return name + "(Get)";
        default: return name;
    }
}

// Drops the lines that are blank after trimming spaces; the kept lines stay
// as they are, joined with CR LF.
std::string WithoutBlankLines(std::string_view block) {
    std::string out;
    out.reserve(block.size());
    bool first = true;
    for (size_t start = 0;;) {
        const size_t at = block.find(kCrLf, start);
        const std::string_view line =
            block.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start);
        if (!text::Trim(line).empty()) {
            if (!first) out.append(kCrLf);
            out.append(line);
            first = false;
        }
        if (at == std::string_view::npos) return out;
        start = at + kCrLf.size();
    }
}

// A handler larger than this is no handler: templates that repeat their
// placeholders over and over would make one of megabytes for every routine.
constexpr size_t kLargestBlock = 256 * 1024;

// Every placeholder replaced by value; refused (error 7) when the block
// would grow past the largest a handler may be, before it is built.
std::string Substituted(const std::string& s, std::string_view placeholder,
                        const std::string& value) {
    if (value.size() > placeholder.size()) {
        size_t count = 0;
        for (size_t at = s.find(placeholder); at != std::string::npos;
             at = s.find(placeholder, at + placeholder.size())) {
            ++count;
        }
        if (s.size() + count * (value.size() - placeholder.size()) > kLargestBlock) {
            Raise(err::kOutOfMemory,
                  "the templates would make an error handler of more than 256 KB for this "
                  "routine (" + std::to_string(count) + " times " + std::string(placeholder) +
                      "); shorten them with 'qvaddin settings set'");
        }
    }
    return ReplaceAll(s, placeholder, value);
}

// The placeholders in the order SubstituteNormal replaces them.
enum PlaceholderSlot : int { kE, kR, kM, kBigP, kP, kBigF, kF, kSlots };

PlaceholderSlot SlotOf(char letter) {
    switch (letter) {
        case 'e': return kE;
        case 'r': return kR;
        case 'm': return kM;
        case 'P': return kBigP;
        case 'p': return kP;
        case 'F': return kBigF;
        case 'f': return kF;
        default: return kSlots;
    }
}

using SlotCounts = std::array<size_t, kSlots>;
using SlotValues = std::array<std::string, kSlots>;

// The values of the placeholders that stand in a block, asked for in the
// order the replacements one after another ask for them.
SlotValues ValuesOf(const SlotCounts& counts, TemplateRoutine& routine) {
    SlotValues values;
    if (counts[kE] > 0) values[kE] = "Exit " + routine.RoutineType();
    if (counts[kR] > 0) values[kR] = QualifiedName(routine.Name(), routine.Kind());
    if (counts[kM] > 0) values[kM] = routine.Module().Name();
    if (counts[kBigP] > 0) values[kBigP] = routine.Parameters(true);
    if (counts[kP] > 0) values[kP] = routine.Parameters(false);
    if ((counts[kBigF] > 0 || counts[kF] > 0) && routine.RoutineType() == "Function") {
        values[kBigF] = ", " + routine.Name();
        values[kF] = " " + routine.Name();
    }
    return values;
}

// The bytes below 64 that a value must not hold, as bits of a mask (a
// value is checked a byte at a time: values are short).
constexpr std::uint64_t RefusedBytes(std::string_view bytes) {
    std::uint64_t mask = 0;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 64) mask |= std::uint64_t{1} << u;
    }
    return mask;
}

// The size of a block of `size` bytes once its placeholders are replaced;
// none when a value holds one of the refused bytes or the block grows
// larger than a block may be (refused as replacing one after another
// refuses).
std::optional<size_t> SizeFilled(size_t size, const SlotCounts& counts, const SlotValues& values,
                                 std::uint64_t refused) {
    for (int k = 0; k < kSlots; ++k) {
        if (counts[k] == 0) continue;
        if (std::any_of(values[k].begin(), values[k].end(), [&](char c) {
                const auto u = static_cast<unsigned char>(c);
                return u < 64 && ((refused >> u) & 1) != 0;
            })) {
            return std::nullopt;
        }
        size = size - 2 * counts[k] + counts[k] * values[k].size();
        if (size > kLargestBlock) return std::nullopt;
    }
    return size;
}

// The placeholders replaced in one pass, when that gives what replacing
// them one after another gives: no value holds a '%' and no '%' stands
// before a placeholder (either could make a placeholder that a later
// replacement would take), and the block stays small all along (none when
// not). The values are asked for in the order the replacements ask for them.
std::optional<std::string> SubstitutedAtOnce(const std::string& s, TemplateRoutine& routine) {
    SlotCounts counts{};
    for (size_t at = s.find('%'); at != std::string::npos; at = s.find('%', at + 1)) {
        if (at + 1 >= s.size()) break;
        if (s[at + 1] == '%') return std::nullopt;
        const PlaceholderSlot k = SlotOf(s[at + 1]);
        if (k == kSlots) continue;
        ++counts[k];
        ++at;
    }
    const SlotValues values = ValuesOf(counts, routine);
    const std::optional<size_t> size = SizeFilled(s.size(), counts, values, RefusedBytes("%"));
    if (!size) return std::nullopt;
    std::string out;
    out.reserve(*size);
    size_t from = 0;
    for (size_t at = s.find('%'); at != std::string::npos; at = s.find('%', at + 1)) {
        if (at + 1 >= s.size()) break;
        const PlaceholderSlot k = SlotOf(s[at + 1]);
        if (k == kSlots) continue;
        out.append(s, from, at - from).append(values[k]);
        from = at + 2;
        ++at;
    }
    out.append(s, from);
    return out;
}

std::string SubstituteNormal(std::string s, TemplateRoutine& routine) {
    if (!Contains(s, "%")) return s;  // no placeholder at all
    if (std::optional<std::string> once = SubstitutedAtOnce(s, routine)) return std::move(*once);
    if (Contains(s, "%e")) s = Substituted(s, "%e", "Exit " + routine.RoutineType());
    if (Contains(s, "%r")) s = Substituted(s, "%r", QualifiedName(routine.Name(), routine.Kind()));
    if (Contains(s, "%m")) s = Substituted(s, "%m", routine.Module().Name());
    if (Contains(s, "%P")) s = Substituted(s, "%P", routine.Parameters(true));
    if (Contains(s, "%p")) s = Substituted(s, "%p", routine.Parameters(false));
    if (Contains(s, "%F") || Contains(s, "%f")) {
        if (routine.RoutineType() == "Function") {
            s = Substituted(s, "%F", ", " + routine.Name());
            s = Substituted(s, "%f", " " + routine.Name());
        } else {
            // Outside Functions the function value has nothing to name, for
            // either spelling.
            s = ReplaceAll(s, "%f", "");
            s = ReplaceAll(s, "%F", "");
        }
    }
    return s;
}

std::string SubstitutePattern(std::string s, TemplateRoutine& routine) {
    // Whatever string the user put into an empty literal still matches.
    s = ReplaceAll(s, "\"\"", "\"*\"");
    s = ReplaceAll(s, "%r", "*");
    s = ReplaceAll(s, "%p", "*");
    s = ReplaceAll(s, "%m", "*");
    if (Contains(s, "%e")) s = ReplaceAll(s, "%e", "Exit " + routine.RoutineType());
    // The upper-case spellings follow their lower-case partners, so that a
    // template using them still matches after the parameters change.
    s = ReplaceAll(s, "%P", "*");
    if (Contains(s, "%f") || Contains(s, "%F")) {
        const bool function = routine.RoutineType() == "Function";
        s = ReplaceAll(s, "%f", function ? ", *" : "");
        s = ReplaceAll(s, "%F", function ? ", *" : "");
    }
    return s;
}

// A block of the templates read once, for the routines that follow (the
// blocks of a run are few, and every routine gets one of them): its lines,
// each cut where a placeholder stands. It is read so only when a one-pass
// replacement gives what replacing one placeholder after another gives (no
// "%%"), and when every break of it is a CR LF (the lines of the result are
// then its lines, as long as no value holds a break).
class ParsedBlock {
  public:
    explicit ParsedBlock(std::string block) : block_(std::move(block)) { Parse(); }
    const std::string& Block() const { return block_; }

    // What WithoutBlankLines(SubstituteNormal(block)) gives, built in one
    // pass; none when this way cannot tell (the block was not read so, a
    // value holds a '%' or a break, or the block would grow too large).
    std::optional<std::string> Substitute(TemplateRoutine& routine) const {
        if (!usable_) return std::nullopt;
        if (fixed_) return *fixed_;  // a block without placeholders
        const SlotValues values = ValuesOf(counts_, routine);
        const std::optional<size_t> size = SizeFilled(block_.size(), counts_, values, RefusedBytes("%\r\n"));
        if (!size) return std::nullopt;
        std::string out;
        out.reserve(*size);
        bool first = true;  // no line kept yet
        size_t lineStart = 0, textStart = 0;
        bool lineOpen = false;
        for (const Part& part : parts_) {
            if (!lineOpen) {
                lineStart = out.size();
                if (!first) out.append(kCrLf);
                textStart = out.size();
                lineOpen = true;
            }
            out.append(block_, part.from, part.to - part.from);
            if (part.slot < kSlots) out.append(values[part.slot]);
            if (!part.endsLine) continue;
            lineOpen = false;
            // A line blank after trimming spaces is dropped.
            if (text::Trim(std::string_view(out).substr(textStart)).empty()) {
                out.resize(lineStart);
            } else {
                first = false;
            }
        }
        if (std::all_of(counts_.begin(), counts_.end(), [](size_t n) { return n == 0; })) {
            fixed_ = out;
        }
        return out;
    }

  private:
    // Bytes from .. to of the block, then the slot's value (kSlots: none);
    // the last part of each line ends it.
    struct Part {
        size_t from = 0, to = 0;
        int slot = kSlots;
        bool endsLine = false;
    };

    void Parse() {
        if (block_.find("%%") != std::string::npos) return;
        for (size_t i = 0; i < block_.size(); ++i) {
            const bool crLf = block_[i] == '\r' && i + 1 < block_.size() && block_[i + 1] == '\n';
            if ((block_[i] == '\r' || block_[i] == '\n') && !crLf) return;
            if (crLf) ++i;
        }
        for (size_t lineStart = 0;;) {
            size_t lineEnd = block_.find(kCrLf, lineStart);
            const bool last = lineEnd == std::string::npos;
            if (last) lineEnd = block_.size();
            size_t from = lineStart;
            for (size_t at = block_.find('%', lineStart); at < lineEnd;
                 at = block_.find('%', at + 1)) {
                if (at + 1 >= block_.size()) break;
                const PlaceholderSlot slot = SlotOf(block_[at + 1]);
                if (slot == kSlots) continue;
                ++counts_[slot];
                parts_.push_back({from, at, slot, false});
                from = at + 2;
                ++at;
            }
            parts_.push_back({from, lineEnd, kSlots, true});
            if (last) break;
            lineStart = lineEnd + kCrLf.size();
        }
        usable_ = true;
    }

    std::string block_;
    std::vector<Part> parts_;
    SlotCounts counts_{};
    bool usable_ = false;
    mutable std::optional<std::string> fixed_;  // what a block without placeholders gives
};

// WithoutBlankLines(SubstituteNormal(block)) for the block read once.
std::string SubstitutedBlock(const ParsedBlock& parsed, TemplateRoutine& routine) {
    std::optional<std::string> out;
    try {
        out = parsed.Substitute(routine);
    } QV_PASS_UP("ErrorHandling", "SubstitutedBlock")
    if (out) return std::move(*out);
    return WithoutBlankLines(DoSubs(parsed.Block(), false, routine));
}

// A template field of the record as the module's code page writes it
// (settings are UTF-8); one in ASCII, nearly all, is not copied.
class InCodePage {
  public:
    explicit InCodePage(text::CodePage page) : page_(page) {}
    const std::string& operator()(const std::string& utf8) {
        if (text::IsAscii(utf8)) return utf8;
        return own_.emplace_front(text::FromUtf8Replacing(utf8, page_));
    }

  private:
    text::CodePage page_;
    std::forward_list<std::string> own_;  // each stays where it is as more are added
};

host::VBControls* ControlsOf(host::VBComponent& component) {
    host::Designer* designer = component.Designer();
    return designer == nullptr ? nullptr : &designer->VBControls();
}

}  // namespace

TemplateRoutine::TemplateRoutine(host::Member& member, int kind)
    : member_(member), module_(analysis::ModuleOf(member)), name_(member.Name()), kind_(kind) {}

TemplateRoutine::TemplateRoutine(host::Member& member, int kind, std::string routineType)
    : TemplateRoutine(member, kind) {
    routineType_ = std::move(routineType);
}

TemplateRoutine::TemplateRoutine(host::Member& member, int kind, long body, long end)
    : TemplateRoutine(member, kind) {
    body_ = body;
    end_ = end;
}

const std::string& TemplateRoutine::RoutineType() {
    if (!routineType_) {
        routineType_ = body_ > 0 ? analysis::RoutineTypeAt(module_, body_, end_)
                                 : analysis::GetRoutineType(module_, name_, kind_);
    }
    return *routineType_;
}

const std::string& TemplateRoutine::Parameters(bool leadingComma) {
    std::optional<std::string>& slot = parameters_[leadingComma ? 1 : 0];
    if (!slot) slot = analysis::ParameterList(member_, kind_, leadingComma);
    return *slot;
}

bool TemplateRoutine::IsTerminate() {
    if (!terminate_) terminate_ = IsTermimate(member_);
    return *terminate_;
}

bool TemplateRoutine::IsMts() {
    if (!mts_) {
        mts_ = module_.Parent().Type() == host::vbext_ct_ClassModule &&
               analysis::GetMTSTransactionMode(module_) >= 1 &&
               !Like(name_, "ObjectControl_*", CompareMode::Binary);
    }
    return *mts_;
}

bool TemplateRoutine::IsEvent() {
    if (event_) return *event_;
    host::VBComponent& component = module_.Parent();
    const int type = component.Type();
    bool event = false;
    switch (type) {
        case host::vbext_ct_StdModule:
            event = text::EqualsIgnoreCase(name_, "main");
            break;
        case host::vbext_ct_ClassModule:
            event = analysis::IsWithEventsHandler(member_);
            break;
        case host::vbext_ct_VBForm:
        case host::vbext_ct_VBMDIForm:
        case host::vbext_ct_PropPage:
        case host::vbext_ct_UserControl:
        case host::vbext_ct_DocObject:
            event = CheckAtTop(name_, ControlsOf(component), type) ||
                    analysis::IsWithEventsHandler(member_);
            break;
        case host::vbext_ct_ActiveXDesigner:
            event = member_.Scope() == host::vbext_Private &&
                    member_.Type() == host::vbext_mt_Method &&
                    Like(name_, "*_*", CompareMode::Binary);
            break;
        default:
            break;
    }
    event_ = event;
    return event;
}

namespace {

std::string TopBlock(text::CodePage page, const std::string& label2, const std::string& add0,
                     const std::string& add1) {
    InCodePage in(page);
    std::string block = "On Error GoTo " + in(label2) + std::string(kCrLf);
    if (!add0.empty()) {
        block = std::string(analysis::kOpeningMarker) + std::string(kCrLf) + in(add0) +
                std::string(kCrLf) + block;
    }
    if (!add1.empty()) {
        block += in(add1) + std::string(kCrLf) + std::string(analysis::kClosingMarker) +
                 std::string(kCrLf);
    }
    return block;
}

// The top block read once, looked up by the fields it is built from (it is
// not built again to be looked up).
// A few parsed blocks kept for the process, looked up by the code page and
// the settings' fields they are built from, as the record holds them: a
// block is not built again to be looked up. Shared under a lock rather than
// kept per thread: an object with a destructor kept per thread was freed
// twice at a thread's end in the Windows build. A block is handed out shared,
// so one replaced while another thread fills it stays alive until then.
template <size_t Fields>
class KeptBlocks {
public:
    using FieldRefs = std::array<const std::string*, Fields>;

    template <typename Build>
    std::shared_ptr<const ParsedBlock> Get(text::CodePage page, const FieldRefs& fields,
                                           Build build) {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            for (const Kept& k : kept_) {
                if (k.page == page && Same(k.fields, fields)) return k.parsed;
            }
        }
        Kept entry{page, {}, std::make_shared<const ParsedBlock>(build())};
        for (size_t i = 0; i < Fields; ++i) entry.fields[i] = *fields[i];
        std::shared_ptr<const ParsedBlock> parsed = entry.parsed;
        const std::lock_guard<std::mutex> guard(lock_);
        if (kept_.size() < kKept) {
            kept_.push_back(std::move(entry));
        } else {
            kept_[oldest_] = std::move(entry);
            oldest_ = (oldest_ + 1) % kKept;
        }
        return parsed;
    }

private:
    struct Kept {
        text::CodePage page;
        std::array<std::string, Fields> fields;
        std::shared_ptr<const ParsedBlock> parsed;
    };
    static bool Same(const std::array<std::string, Fields>& kept, const FieldRefs& fields) {
        for (size_t i = 0; i < Fields; ++i) {
            if (kept[i] != *fields[i]) return false;
        }
        return true;
    }
    static constexpr size_t kKept = 4;
    std::mutex lock_;
    std::vector<Kept> kept_;
    size_t oldest_ = 0;
};

std::shared_ptr<const ParsedBlock> KeptTopBlock(text::CodePage page, const std::string& label2,
                                                const std::string& add0, const std::string& add1) {
    static KeptBlocks<3> kept;
    return kept.Get(page, {&label2, &add0, &add1},
                    [&] { return TopBlock(page, label2, add0, add1); });
}

}  // namespace

std::string TopBit(host::Member& member, int kind, const settings::SettingsRecord& settings,
                   bool patternMode) try {
    TemplateRoutine routine(member, kind);
    return TopBit(routine, settings, patternMode);
} QV_PASS_UP("ErrorHandling", "TopBit")

std::string TopBit(TemplateRoutine& routine, const settings::SettingsRecord& s,
                   bool patternMode) try {
    // Long module and project runs stay responsive.
    GetServices().DoEvents();
    const text::CodePage page = host::LinesCodePage(routine.Module(), s.codePage);
    if (!patternMode) {
        return SubstitutedBlock(*KeptTopBlock(page, s.label2, s.add0, s.add1), routine);
    }
    return WithoutBlankLines(DoSubs(TopBlock(page, s.label2, s.add0, s.add1), patternMode, routine));
} QV_PASS_UP("ErrorHandling", "TopBit")

namespace {

std::string ExitBlock(text::CodePage page, const std::string& label1Field,
                      const std::string& add2Field, const std::string& label2Field,
                      const std::string& lastField) {
    InCodePage in(page);
    const std::string& label1 = in(label1Field);
    const std::string& add2 = in(add2Field);
    const std::string& label2 = in(label2Field);
    const std::string& last = in(lastField);
    std::string block;
    block.reserve(label1.size() + add2.size() + label2.size() + last.size() + 16);
    block.append(label1).append(":").append(kCrLf);
    block.append(add2).append(kCrLf);
    block.append("%e").append(kCrLf);
    block.append(label2).append(":").append(kCrLf);
    block.append(last);
    return block;
}

std::shared_ptr<const ParsedBlock> KeptExitBlock(text::CodePage page,
                                                 const std::string& label1,
                                                 const std::string& add2,
                                                 const std::string& label2,
                                                 const std::string& last) {
    static KeptBlocks<4> kept;
    return kept.Get(page, {&label1, &add2, &label2, &last},
                    [&] { return ExitBlock(page, label1, add2, label2, last); });
}

}  // namespace

std::string LastBit(host::Member& member, int kind, const settings::SettingsRecord& settings,
                    bool patternMode) try {
    TemplateRoutine routine(member, kind);
    return LastBit(routine, settings, patternMode);
} QV_PASS_UP("ErrorHandling", "LastBit")

std::string LastBit(TemplateRoutine& routine, const settings::SettingsRecord& s,
                    bool patternMode) try {
    if (routine.IsTerminate()) return WithoutBlankLines(kTerminateExitBlock);
    const text::CodePage page = host::LinesCodePage(routine.Module(), s.codePage);
    const bool mts = routine.IsMts();
    const std::string& rawAdd2 = mts ? s.add2a : s.add2;
    const std::string& rawLast = mts ? s.add6 : routine.IsEvent() ? s.add3 : s.add4;
    if (!patternMode) {
        return SubstitutedBlock(*KeptExitBlock(page, s.label1, rawAdd2, s.label2, rawLast),
                                routine);
    }
    return WithoutBlankLines(
        DoSubs(ExitBlock(page, s.label1, rawAdd2, s.label2, rawLast), patternMode, routine));
} QV_PASS_UP("ErrorHandling", "LastBit")



std::string DoSubs(std::string_view text, bool patternMode, host::Member& member, int kind) try {
    TemplateRoutine routine(member, kind);
    return DoSubs(text, patternMode, routine);
} QV_PASS_UP("ErrorHandling", "DoSubs")

std::string DoSubs(std::string_view text, bool patternMode, TemplateRoutine& routine) try {
    return patternMode ? SubstitutePattern(std::string(text), routine)
                       : SubstituteNormal(std::string(text), routine);
} QV_PASS_UP("ErrorHandling", "DoSubs")

bool CheckAtTop(std::string_view name, host::VBControls* controls, int componentType) try {
    // An event procedure's name holds one underscore (the pattern "*_*"
    // and not "*_*_*"), counted without a pattern match.
    if (std::count(name.begin(), name.end(), '_') != 1) return false;
    std::string_view designerPrefix;
    switch (componentType) {
        case host::vbext_ct_VBForm: designerPrefix = "form_"; break;
        case host::vbext_ct_VBMDIForm: designerPrefix = "mdiform_"; break;
        case host::vbext_ct_PropPage: designerPrefix = "PropertyPage_"; break;
        case host::vbext_ct_UserControl: designerPrefix = "UserControl_"; break;
        case host::vbext_ct_DocObject: designerPrefix = "userdocument_"; break;
        default: break;
    }
    if (!designerPrefix.empty() && text::ContainsIgnoreCase(name, designerPrefix)) return true;
    return analysis::HasControl(controls, name.substr(0, name.rfind('_')));
} QV_PASS_UP("ErrorHandling", "CheckAtTop")

bool IsTermimate(host::Member& member) try {
    const std::string name = member.Name();
    switch (analysis::ModuleOf(member).Parent().Type()) {
        case host::vbext_ct_ClassModule:
            return text::EqualsIgnoreCase(name, "Class_Terminate");
        case host::vbext_ct_ActiveXDesigner:
            return Like(name, "*_Terminate", CompareMode::Binary);
        default:
            return false;
    }
} QV_PASS_UP("ErrorHandling", "IsTermimate")

bool HoldsTerminateHandler(std::string_view codeText) {
    const std::vector<std::string> code = text::SplitLines(codeText);
    const std::vector<std::string> top = text::SplitLines(kTerminateTopBlock);
    if (code.size() < top.size() + 1) return false;
    for (size_t i = 0; i < top.size(); ++i) {
        if (text::TrimBlanks(code[i]) != text::TrimBlanks(top[i])) return false;
    }
    return text::TrimBlanks(code.back()) == kTerminateExitBlock;
}

}  // namespace qv::errorhandling
