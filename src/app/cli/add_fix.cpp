#include "app/cli/add_fix.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <variant>

#include "analysis/code_window_cursor.h"
#include "app/cli/json_text.h"
#include "errorhandling/insertion.h"
#include "host/files/module_writer.h"
#include "host/files/text_lines.h"
#include "host/received_line.h"
#include "host/memory/vb_syntax.h"
#include "platform/text.h"
#include "platform/thread_kept.h"
#include "platform/vb_error.h"
#include "shell/command_catalogue.h"
#include "shell/command_target.h"
#include "tidy/literal_contents.h"

namespace qv::cli {

namespace {

using host::memory::MemoryCodeModule;

// Puts the whole module back as it was when it goes, whatever stopped the run.
class RestoreModule {
  public:
    explicit RestoreModule(MemoryCodeModule& module) : module_(module), saved_(module.Current()) {}
    ~RestoreModule() { module_.Restore(saved_); }
    RestoreModule(const RestoreModule&) = delete;
    RestoreModule& operator=(const RestoreModule&) = delete;

  private:
    MemoryCodeModule& module_;
    MemoryCodeModule::State saved_;
};

// The lines that edits touched, as lines of the module before them: from
// first to end (exclusive), grown to take in each edit; shift is how many
// lines the edits added in all.
class EditedLines : public host::CodeModuleObserver {
  public:
    explicit EditedLines(MemoryCodeModule& module) : module_(module) { module_.Subscribe(this); }
    ~EditedLines() override { module_.Unsubscribe(this); }
    EditedLines(const EditedLines&) = delete;
    EditedLines& operator=(const EditedLines&) = delete;

    void LinesInserted(host::CodeModule&, long line, long count) override {
        Touch(line, line, count);
    }
    void LinesDeleted(host::CodeModule&, long line, long count) override {
        Touch(line, line + count, -count);
    }
    void LinesReplaced(host::CodeModule&, long line, long oldCount, long newCount) override {
        Touch(line, line + oldCount, newCount - oldCount);
    }

    // All edits fell within lines first .. first + count - 1 as they were.
    bool Within(long first, long count) const {
        return first_ > end_ || (first_ >= first && end_ <= first + count);
    }
    long Shift() const { return shift_; }

  private:
    // Lines from .. to - 1 as they stand now were replaced; they stand
    // below the edited lines by shift_ when they stand below them at all.
    void Touch(long from, long to, long added) {
        const bool first = first_ > end_;
        const long fromBefore = !first && from > end_ + shift_ ? from - shift_ : from;
        const long toBefore = !first && to > end_ + shift_ ? to - shift_ : std::min(to, end_);
        first_ = std::min(first_, fromBefore);
        end_ = first ? to : std::max(end_, toBefore);
        shift_ += added;
    }

    MemoryCodeModule& module_;
    long first_ = LONG_MAX;
    long end_ = 0;
    long shift_ = 0;
};

// The routine the add command finds at the cursor, as RoutineAtLine finds
// it, told from the index where the routine there has the kind asked for: a
// Sub or Function is found as one; an accessor is found as the accessor of
// its name whose start is nearest above the line, which is its own (no other
// starts within it), as long as no Sub, Function or Declare has its name
// (the finder would take that first). Else it is read as the command reads
// it. known: the copy the caller looks for and the line its block starts
// at; the routine at the cursor that starts there is that copy (no two
// start at one line), which is then not worked out from its name.
struct KnownCopy {
    long copy = 0;
    long start = 0;
};
std::optional<analysis::RoutineEntry> RoutineAtCursor(MemoryCodeModule& code, int kind,
                                                      long cursor,
                                                      const KnownCopy* known = nullptr) {
    // As code.ProcOfLine finds it, with the routine's place in the index.
    const auto& index = code.Index();
    const long found = index.ProcOfLine(cursor, code.CountOfLines());
    int at = host::vbext_pk_Proc;
    std::string name;
    if (found >= 0) {
        const host::memory::ProcInfo& proc = index.At(static_cast<size_t>(found));
        name = proc.name;
        at = proc.kind;
    }
    if (!name.empty() && at == kind) {
        const long copy =
            known != nullptr && index.StartLine(static_cast<size_t>(found)) == known->start
                ? known->copy
                : code.ProcCopyOfLine(cursor);
        const auto& members = static_cast<const host::memory::MemoryMembers&>(code.Members());
        if (kind == host::vbext_pk_Proc ||
            (copy == 0 && members.FindDeclare(name) == nullptr &&
             code.Index().Find(name, host::vbext_pk_Proc) < 0)) {
            return analysis::RoutineEntry{.name = std::move(name), .kind = kind, .copy = copy};
        }
    }
    return shell::RoutineAtLine(code, cursor);
}

bool RoutineChanged(const shell::RunOutcome& outcome) {
    return !outcome.refused && !outcome.modules.empty() &&
           !outcome.modules.front().routines.empty() && !outcome.modules.front().failure &&
           outcome.modules.front().routines.front().changed;
}

// Whether the module renders to exactly the file's bytes, told without
// rendering it: no member holds hidden attribute lines, the header ends with
// a break, and each code line is the file's own text where the one before
// ended, followed by its own break (the last by none when the file has
// none). Then the offset of each file line's first byte goes into starts.
// false: only a render can tell.
bool LinesLieAsRead(const host::files::ModuleFile& file, const MemoryCodeModule& code,
                    std::vector<size_t>& starts) {
    const std::string_view bytes = *file.bytes;
    const long n = code.CountOfLines();
    if (n == 0 || !file.headerEndsWithBreak || file.codeOffset > bytes.size()) return false;
    for (const auto& [key, member] : code.AllHiddenAttributes()) {
        if (!member.second.empty()) return false;
    }
    for (const std::string_view line :
         host::files::SplitFileLines(bytes.substr(0, file.codeOffset)).lines) {
        starts.push_back(static_cast<size_t>(line.data() - bytes.data()));
    }
    starts.reserve(starts.size() + static_cast<size_t>(n));
    size_t at = file.codeOffset;
    for (long i = 1; i <= n; ++i) {
        const std::string_view line = code.Line(i);
        if (line.data() != bytes.data() + at || line.size() > bytes.size() - at) return false;
        starts.push_back(at);
        at += line.size();
        const std::string_view after = host::files::BreakAfter(bytes, line);
        if (i == n && !file.finalBreak) return after.empty() && at == bytes.size();
        if (after.empty()) return false;
        at += after.size();
    }
    return at == bytes.size();
}

}  // namespace

// Where the file's lines start, to find the bytes and the file line of a
// module line: the module as read renders to exactly the file's bytes.
struct ModuleFixes::Lines {
    std::vector<size_t> starts;  // the offset of each file line's first byte
    // The module's lines before any fix: taken before the add command first
    // runs (every run is put back, so the module is then as read), as most
    // modules never need them.
    std::optional<host::memory::LineSnapshot> asRead;

    long FileLineAt(size_t offset) const {
        return static_cast<long>(std::upper_bound(starts.begin(), starts.end(), offset) -
                                 starts.begin());
    }
};

struct ModuleFixes::Planning {
    long select = 0;
    long comment = 0;
    int tabWidth = 0;
    errorhandling::BlockLayouts layouts;
    ReceivedBlocks received;
    EscapedBlock escaped[2];  // the last top and exit blocks, their room kept
};

ModuleFixes::Planning& ModuleFixes::KeptPlanning(int tabWidth) const {
    std::unique_ptr<Planning>& kept = platform::ThreadKept<Planning, std::unique_ptr<Planning>>();
    if (!kept || kept->select != settings_.select || kept->comment != settings_.comment ||
        kept->tabWidth != tabWidth) {
        kept = std::make_unique<Planning>();
        kept->select = settings_.select;
        kept->comment = settings_.comment;
        kept->tabWidth = tabWidth;
    }
    return *kept;
}

ModuleFixes::ModuleFixes(LoadedTarget& target, host::memory::MemoryComponent& component,
                         const settings::SettingsRecord& settings)
    : target_(target), component_(component), settings_(settings),
      file_(target.Files().FileOf(component)) {
    if (file_ == nullptr || file_->bytes == nullptr || component.Code() == nullptr) return;
    const std::string_view bytes = *file_->bytes;
    std::vector<size_t> starts;
    linesAsRead_ = LinesLieAsRead(*file_, *component.Code(), starts);
    if (!linesAsRead_) {
        if (host::files::RenderModuleFile(*file_).bytes != *file_->bytes) return;
        starts.clear();
        for (const std::string_view line : host::files::SplitFileLines(bytes).lines) {
            starts.push_back(static_cast<size_t>(line.data() - bytes.data()));
        }
    }
    if (linesAsRead_) {
        headerLines_ = static_cast<long>(starts.size()) - component.Code()->CountOfLines();
    }
    lines_ = std::make_unique<Lines>();
    lines_->starts = std::move(starts);
    // The module's name and its project's pick this module (they may not in
    // a group of projects of one name, or of a project with two modules of
    // one name): the selection of each routine then only places the cursor.
    const auto& project = component.Owner().Project();
    const auto selection = workspace::Select(
        target, {.project = text::ToUtf8(project.Name(), project.TextCodePage()),
                 .module = text::ToUtf8(component.Name(), component.TextCodePage())});
    const auto* selected = std::get_if<workspace::Selection>(&selection);
    picksThisModule_ = selected != nullptr && selected->component == &component;
}

ModuleFixes::~ModuleFixes() = default;

long ModuleFixes::FileLineOf(long codeLine) const {
    if (lines_ == nullptr || component_.Code() == nullptr || codeLine < 1 ||
        codeLine > component_.Code()->CountOfLines()) {
        return 0;
    }
    const std::string_view bytes = *file_->bytes;
    const char* at = component_.Code()->Line(codeLine).data();
    if (at < bytes.data() || at >= bytes.data() + bytes.size()) return 0;
    const auto offset = static_cast<size_t>(at - bytes.data());
    const long line = lines_->FileLineAt(offset);
    if (line < 1 || lines_->starts[static_cast<size_t>(line - 1)] != offset) return 0;
    return line;
}

AddFix ModuleFixes::Fix(const std::string& routine, int kind, long copy,
                        const errorhandling::JudgedRoutine* judged) {
    AddFix fix;
    if (file_ == nullptr || file_->bytes == nullptr || component_.Code() == nullptr) return fix;
    MemoryCodeModule& code = *component_.Code();
    // The selection the command line makes for --project, --module and
    // --routine, which name things as text, and, for a later copy, --line at
    // its declaration.
    const text::CodePage page = component_.TextCodePage();
    const auto& project = component_.Owner().Project();
    long line = 0;
    if (copy > 0) {
        const host::ProcCopyScope scope(code, routine, copy);
        line = code.ProcBodyLine(routine, kind);
    }
    // A name in ASCII is the name the module knows it by: the selection puts
    // the cursor on the line, or on the routine's declaration.
    // An error on the way is left to the command's own run to report.
    try {
        // Where judging found the routine's block, it is there (the module
        // has not changed since): it is not looked up again.
        const analysis::RoutineSpan* span = judged != nullptr ? judged->span : nullptr;
        if (picksThisModule_ && text::IsAscii(routine) &&
            (span != nullptr || code.Index().Find(routine, kind) >= 0)) {
            if (std::optional<Region> region = RegionOf(routine, kind, copy, span)) {
                int at = 0;
                if (line > 0 && (!text::EqualsIgnoreCase(code.ProcOfLine(line, at), routine) ||
                                 at != kind)) {
                    return fix;  // the selection refuses a line outside the routine
                }
                const long cursor = line > 0                                 ? line
                                    : judged != nullptr && judged->bodyLine > 0 ? judged->bodyLine
                                                                               : code.ProcBodyLine(routine, kind);
                if (auto planned =
                        Planned(routine, kind, copy, cursor > 0 ? cursor : 1, *region, judged)) {
                    fix.change = std::move(*planned);
                    return fix;
                }
            }
        }
    } catch (...) {
    }
    const workspace::SelectionRequest request{
        .project = text::ToUtf8(project.Name(), project.TextCodePage()),
        .module = text::ToUtf8(component_.Name(), page),
        .routine = text::ToUtf8(routine, page),
        .routineKind = kind,
        .line = line};
    if (!std::holds_alternative<workspace::Selection>(workspace::Select(target_, request))) {
        return fix;
    }
    try {
        fix.change = RunAdd(routine, kind, copy);
    } catch (...) {
        fix.failure = CurrentAsVbError().ReportText();
    }
    return fix;
}

// Whether the module renders lines first .. last as the bytes of the file
// from the first's start to byte to, known without rendering them: the file
// renders as it was read, no break comes before the first line, and each
// line is the file's text, followed by its break and then the next line.
// Hidden attribute lines elsewhere in the module do not matter: the whole
// file renders as read, so an attribute line rendered among these lines
// would stand among them in the file, and they would not follow each other.
bool ModuleFixes::RendersAsRead(const host::memory::MemoryCodeModule& code, long first,
                                long last, size_t to) const {
    if (lines_ == nullptr || (first == 1 && !file_->headerEndsWithBreak)) return false;
    const std::string_view bytes = *file_->bytes;
    const long n = code.CountOfLines();
    for (long i = first; i <= last; ++i) {
        const std::string_view line = code.Line(i);
        if (line.data() < bytes.data() || line.data() > bytes.data() + bytes.size()) return false;
        const auto end = static_cast<size_t>(line.data() - bytes.data()) + line.size();
        const std::string_view after = host::files::BreakAfter(bytes, line);
        const bool lastOfFile = i == n && !file_->finalBreak;
        if (lastOfFile ? !after.empty() : after.empty()) return false;
        const size_t next =
            i < last ? static_cast<size_t>(code.Line(i + 1).data() - bytes.data()) : to;
        if (end + after.size() != next) return false;
    }
    return true;
}

// The routine's lines, from the comments above it to its end, and their
// bytes in the file, when these are what the module renders for them.
std::optional<ModuleFixes::Region> ModuleFixes::RegionOf(const std::string& routine, int kind,
                                                         long copy,
                                                         const analysis::RoutineSpan* span) {
    MemoryCodeModule& code = *component_.Code();
    const std::string_view bytes = *file_->bytes;
    Region region;
    if (span != nullptr) {
        region.first = span->startLine;
        region.count = span->blockEnd - span->startLine + 1;
    } else {
        const host::ProcCopyScope scope(code, routine, copy);
        region.first = code.ProcStartLine(routine, kind);
        region.count = code.ProcCountLines(routine, kind);
    }
    if (lines_ == nullptr || region.count <= 0) return std::nullopt;
    const std::string_view firstLine = code.Line(region.first);
    region.from = static_cast<size_t>(firstLine.data() - bytes.data());
    const long next = region.first + region.count;
    const size_t to = next <= code.CountOfLines()
                          ? static_cast<size_t>(code.Line(next).data() - bytes.data())
                          : bytes.size();
    if (firstLine.data() < bytes.data() || region.from > to || to > bytes.size()) {
        return std::nullopt;
    }
    const std::string_view slice = bytes.substr(region.from, to - region.from);
    if (linesAsRead_ ||
        RendersAsRead(code, region.first, std::min(next - 1, code.CountOfLines()), to)) {
        region.before = slice;
        return region;
    }
    if (host::files::RenderModuleLines(*file_, region.first, region.count, {routine}) != slice) {
        return std::nullopt;
    }
    region.before = slice;
    return region;
}

std::optional<FileChange> ModuleFixes::RunAdd(const std::string& routine, int kind, long copy) {
    MemoryCodeModule& code = *component_.Code();
    const std::string_view bytes = *file_->bytes;
    shell::CommandContext command{.vbe = target_.Vbe(),
                                  .onModuleFailure = shell::OnModuleFailure::KeepWhole,
                                  .showMessages = false,
                                  .settings = settings_};
    // The run's edits are put back, but not as views of the file's bytes.
    linesAsRead_ = false;
    auto runAdd = [&] {
        return RoutineChanged(
            shell::Execute(shell::ScopedCommand(shell::CommandScope::Routine, "add"), command).run);
    };
    auto wholeFile = [&]() -> std::optional<FileChange> {
        return FileChange{std::string(bytes), host::files::RenderModuleFile(*file_).bytes,
                          component_.TextCodePage(), 1, {}};
    };

    std::optional<Region> region = RegionOf(routine, kind, copy);
    if (!region) {
        RestoreModule restore(code);
        if (!runAdd()) return std::nullopt;
        return wholeFile();
    }
    // The module and cursor the selection made, as the command finds them.
    host::CodePane* pane = target_.Vbe().ActiveCodePane();
    if (pane != nullptr && &pane->CodeModule() == &code) {
        if (auto planned =
                Planned(routine, kind, copy, analysis::ReadCursor(code).startLine, *region)) {
            return std::move(*planned);
        }
    }

    if (!lines_->asRead) lines_->asRead = code.LinesPart(1, code.CountOfLines());
    const long first = region->first, count = region->count;
    const host::memory::LineSnapshot saved = code.LinesPart(first, count);
    std::vector<host::memory::HiddenAttribute> attributes;
    if (const auto* held = code.HiddenAttributes(routine)) attributes = *held;
    EditedLines edited(code);
    // Puts the routine's lines and attribute lines back, whatever stopped
    // the run; an edit beyond them puts back the whole module as read.
    auto putBack = [&] {
        if (edited.Within(first, count)) {
            code.RestorePart(first, count + edited.Shift(), saved, code.AllHiddenAttributes(), 0);
        } else {
            code.Restore({*lines_->asRead, code.AllHiddenAttributes(), 0});
        }
        code.SetHiddenAttributes(routine, attributes);
    };
    std::optional<FileChange> change;
    try {
        if (runAdd()) {
            if (edited.Within(first, count)) {
                change = FileChange{std::string(region->before),
                                    host::files::RenderModuleLines(*file_, first,
                                                                   count + edited.Shift(), {routine}),
                                    component_.TextCodePage(), lines_->FileLineAt(region->from),
                                    {}};
            } else {
                change = wholeFile();
            }
        }
    } catch (...) {
        putBack();
        throw;
    }
    putBack();
    return change;
}

// What the add command does with the cursor on the line, as the command
// catalogue runs it: nothing in a read-only module, else the insertion into
// the routine at the cursor. The module renders the new lines with the
// file's own break after each, after the lines (and hidden attribute lines)
// above the place they go in; that holds as long as no declaration's
// statement runs on into them, which a line above that continues could make
// happen.
std::optional<std::optional<FileChange>> ModuleFixes::Planned(
    const std::string& routine, int kind, long copy, long cursor, const Region& region,
    const errorhandling::JudgedRoutine* judged) {
    MemoryCodeModule& code = *component_.Code();
    if (!readOnly_) readOnly_ = analysis::IsReadOnly(component_);
    if (*readOnly_) return std::optional<FileChange>();
    const KnownCopy known{.copy = copy, .start = region.first};
    const std::optional<analysis::RoutineEntry> entry =
        RoutineAtCursor(code, kind, cursor, &known);
    if (!entry || entry->name != routine || entry->kind != kind || entry->copy != copy) {
        return std::nullopt;
    }
    Planning& planning = KeptPlanning(code.Vbe().TabWidth());
    std::optional<errorhandling::HandlerInsertion> insertion;
    try {
        const analysis::RoutineCopyScope scope(code, *entry);
        // The member as Members().Item gives it, but not kept by the module
        // for the rest of the run, as a handle asked for by name would be.
        auto& members = static_cast<host::memory::MemoryMembers&>(code.Members());
        const host::memory::MemberRecord* record = members.Find(entry->name);
        if (record == nullptr) return std::nullopt;
        host::memory::MemoryMember member(members, record->name, record->procedure);
        std::string message;
        insertion = errorhandling::PlanRoutineErrorHandling(member, kind, settings_, message,
                                                            nullptr, &planning.layouts, judged);
    } catch (...) {
        return std::nullopt;  // the command's own run reports it in its words
    }
    if (!insertion) return std::optional<FileChange>();

    const long top = insertion->topLine, exit = insertion->exitLine;
    const long last = std::min(region.first + region.count - 1, code.CountOfLines());
    if (top <= region.first || top > exit || exit > last ||
        host::memory::IsContinued(code.Line(top - 1)) ||
        host::memory::IsContinued(code.Line(exit - 1))) {
        return std::nullopt;
    }
    const std::string_view before = region.before;
    const std::string_view bytes = *file_->bytes;
    auto offsetOf = [&](long line) -> std::optional<size_t> {
        const char* at = code.Line(line).data();
        const char* from = bytes.data() + region.from;
        if (at < from || at > from + before.size()) return std::nullopt;
        return static_cast<size_t>(at - from);
    };
    const std::optional<size_t> topAt = offsetOf(top), exitAt = offsetOf(exit);
    if (!topAt || !exitAt || *topAt > *exitAt) return std::nullopt;
    const std::string_view ending = host::files::LineEndingText(file_->ending);
    auto append = [&](std::string& out, const std::vector<std::string>& lines) {
        for (const std::string& line : lines) out.append(line).append(ending);
    };
    if (!insertion->topBlock || !insertion->exitBlock) return std::nullopt;
    // The file's lines where the blocks go in, from where each starts (the
    // file line of a module line, when the module's lines lie as read).
    const long firstLine = linesAsRead_ ? headerLines_ + region.first
                                        : lines_->FileLineAt(region.from);
    const PlaceLines places =
        linesAsRead_ ? PlaceLines{top - region.first, exit - region.first}
                     : PlaceLines{lines_->FileLineAt(region.from + *topAt) - firstLine,
                                  lines_->FileLineAt(region.from + *exitAt) - firstLine};
    FileChange change{{}, {}, component_.TextCodePage(), firstLine, {}};
    ReceivedBlocks& received = planning.received;
    // Most fixes: the runs' texts made escaped, as the log writes them.
    EscapedBlock& topEscaped = planning.escaped[0];
    EscapedBlock& exitEscaped = planning.escaped[1];
    if (received.Escaped(code, *insertion->topBlock, false, ending, topEscaped) &&
        received.Escaped(code, *insertion->exitBlock, true, ending, exitEscaped)) {
        if (auto insertions =
                EscapedRuns(before, *topAt, topEscaped, *exitAt, exitEscaped, ending, places)) {
            change.insertions = std::move(*insertions);
            return change;
        }
    }
    const std::vector<std::string>& topLines = received.Of(code, *insertion->topBlock, false, 0);
    const std::vector<std::string>& exitLines = received.Of(code, *insertion->exitBlock, true, 1);
    if (auto insertions =
            InsertedRuns(before, *topAt, topLines, *exitAt, exitLines, ending, places)) {
        change.insertions = std::move(*insertions);
        return change;
    }
    std::string& after = change.after;
    after.reserve(before.size() + (topLines.size() + exitLines.size()) * 64);
    after.append(before, 0, *topAt);
    append(after, topLines);
    after.append(before, *topAt, *exitAt - *topAt);
    append(after, exitLines);
    after.append(before, *exitAt);
    change.before = before;
    return change;
}

namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

// Whether a line (as SplitFileLines splits the text) starts at byte at: a
// break ends just before it, and it is not the LF of a CR LF.
bool StartsLine(std::string_view text, size_t at) {
    return at > 0 && at < text.size() && IsBreak(text[at - 1]) &&
           !(text[at - 1] == '\r' && text[at] == '\n');
}

// How many lines start from byte from up to byte to (both line starts): the
// breaks between, a CR LF counted once.
long LinesBetween(std::string_view text, size_t from, size_t to) {
    long lines = 0;
    const char* const end = text.data() + to;
    for (const char* p = text.data() + from;
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))));
         ++p) {
        ++lines;
    }
    for (const char* p = text.data() + from;
         (p = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - p))));
         ++p) {
        if (p + 1 == end || p[1] != '\n') ++lines;  // a lone CR (to starts no LF)
    }
    return lines;
}

void AppendLines(std::string& out, const std::vector<std::string>& lines,
                 std::string_view ending) {
    for (const std::string& line : lines) out.append(line).append(ending);
}

size_t TextSize(const std::vector<std::string>& lines, std::string_view ending) {
    size_t size = 0;
    for (const std::string& line : lines) size += line.size() + ending.size();
    return size;
}

}  // namespace

namespace {

// Where the runs of a change go in (lines of before, 0-based): the top
// block's above the line that starts at byte topAt, the exit block's above
// the one at exitAt (counted only when asked for, exit: exitAt differs and
// that block has lines). None as InsertedRuns gives none.
struct RunPlaces {
    long top = 0;
    long exit = 0;
};
std::optional<RunPlaces> PlacesOfRuns(std::string_view before, size_t topAt, bool topEmpty,
                                      bool topFirstEmpty, size_t exitAt, bool exitEmpty,
                                      bool exitFirstEmpty, std::string_view ending,
                                      PlaceLines places) {
    if (topAt > exitAt || !StartsLine(before, topAt) || !StartsLine(before, exitAt)) {
        return std::nullopt;
    }
    if (topEmpty && exitEmpty) return std::nullopt;
    // A first line put in that is empty, with a LF alone, after a lone CR:
    // the two would read as one CR LF break, and the lines as fewer.
    auto joins = [&](size_t at, bool empty, bool firstEmpty) {
        return !empty && before[at - 1] == '\r' && firstEmpty && ending.starts_with('\n');
    };
    if (joins(topAt, topEmpty, topFirstEmpty) || joins(exitAt, exitEmpty, exitFirstEmpty)) {
        return std::nullopt;
    }
    RunPlaces at;
    at.top = places.top >= 0 ? places.top : LinesBetween(before, 0, topAt);
    if (topAt != exitAt && !exitEmpty) {
        at.exit = places.exit >= 0 ? places.exit : at.top + LinesBetween(before, topAt, exitAt);
    }
    return at;
}

// The runs at those places, their texts appended by appendTop and
// appendExit (of sizes topSize and exitSize): one run when both blocks go
// in at one place.
template <typename AppendTop, typename AppendExit>
std::vector<InsertedLines> RunsAt(const RunPlaces& at, bool oneRun, bool topEmpty, size_t topSize,
                                  const AppendTop& appendTop, bool exitEmpty, size_t exitSize,
                                  const AppendExit& appendExit) {
    std::vector<InsertedLines> runs;
    if (oneRun) {
        std::string& text = runs.emplace_back(InsertedLines{at.top, {}}).text;
        text.reserve(topSize + exitSize);
        appendTop(text);
        appendExit(text);
        return runs;
    }
    runs.reserve(2);
    if (!topEmpty) {
        std::string& text = runs.emplace_back(InsertedLines{at.top, {}}).text;
        text.reserve(topSize);
        appendTop(text);
    }
    if (!exitEmpty) {
        std::string& text = runs.emplace_back(InsertedLines{at.exit, {}}).text;
        text.reserve(exitSize);
        appendExit(text);
    }
    return runs;
}

}  // namespace

std::optional<std::vector<InsertedLines>> InsertedRuns(std::string_view before, size_t topAt,
                                                       const std::vector<std::string>& topLines,
                                                       size_t exitAt,
                                                       const std::vector<std::string>& exitLines,
                                                       std::string_view ending,
                                                       PlaceLines places) {
    const bool topEmpty = topLines.empty(), exitEmpty = exitLines.empty();
    const std::optional<RunPlaces> at =
        PlacesOfRuns(before, topAt, topEmpty, !topEmpty && topLines.front().empty(), exitAt,
                     exitEmpty, !exitEmpty && exitLines.front().empty(), ending, places);
    if (!at) return std::nullopt;
    return RunsAt(
        *at, topAt == exitAt, topEmpty, TextSize(topLines, ending),
        [&](std::string& text) { AppendLines(text, topLines, ending); }, exitEmpty,
        TextSize(exitLines, ending),
        [&](std::string& text) { AppendLines(text, exitLines, ending); });
}

std::optional<std::vector<InsertedLines>> EscapedRuns(std::string_view before, size_t topAt,
                                                      const EscapedBlock& top, size_t exitAt,
                                                      const EscapedBlock& exit,
                                                      std::string_view ending, PlaceLines places) {
    const std::optional<RunPlaces> at =
        PlacesOfRuns(before, topAt, top.empty, top.firstEmpty, exitAt, exit.empty,
                     exit.firstEmpty, ending, places);
    if (!at) return std::nullopt;
    std::vector<InsertedLines> runs = RunsAt(
        *at, topAt == exitAt, top.empty, top.json.size(),
        [&](std::string& text) { text.append(top.json); }, exit.empty, exit.json.size(),
        [&](std::string& text) { text.append(exit.json); });
    for (InsertedLines& run : runs) run.json = true;
    return runs;
}


const std::vector<std::string>& ModuleFixes::ReceivedBlocks::Of(
    const host::memory::MemoryCodeModule& code, const errorhandling::ShapedBlock& given,
    bool breakFirst, int slot) {
    std::vector<std::string>& block = block_[slot];
    // The whole text's shape: a break holds no literal.
    shape_.clear();
    if (breakFirst) shape_.append(text::kCrLf);
    shape_.append(given.shape);
    if (!breakFirst) shape_.append(text::kCrLf);
    // The top blocks of a module's routines are mostly one block, and their
    // exit blocks one shape.
    const bool sameShape = given_[slot] && given_[slot]->shape == shape_;
    if (sameShape && whole_[slot] && given_[slot]->contents == given.contents) return block;
    whole_[slot] = false;  // until the block is whole again
    contents_.assign(given.contents.begin(), given.contents.end());
    // The text's literals are set apart when its shape's are and no literal
    // holds a tab or a break (the two split into the same lines, with their
    // quotes at the same places); the shape's answer is kept with it.
    const Shape* shape = sameShape ? shapeOf_[slot] : nullptr;
    if (shape == nullptr) shape = &KeptShape(code);
    const bool plainContents =
        std::none_of(contents_.begin(), contents_.end(), [](std::string_view content) {
            return std::any_of(content.begin(), content.end(),
                               [](char c) { return c == '\t' || IsBreak(c); });
        });
    if (!shape->setApart || !plainContents) {
        Receive(code, tidy::FillLiterals(shape_, contents_), block);
    } else {
        const std::vector<std::string>& lines = shape->lines;
        block.resize(lines.size());
        size_t next = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            // A line without a literal has nothing to fill (most of them).
            if (lines[i].find('"') == std::string::npos) {
                block[i] = lines[i];
                continue;
            }
            block[i].clear();
            tidy::AppendFilled(block[i], lines[i], contents_, next);
        }
    }
    if (sameShape) {
        given_[slot]->contents = given.contents;
    } else {
        given_[slot] = errorhandling::ShapedBlock{shape_, given.contents};
    }
    shapeOf_[slot] = shape;
    whole_[slot] = true;
    return block;
}

std::optional<EscapedFill> EscapedFill::Of(const std::vector<std::string>& lines,
                                           std::string_view ending) {
    EscapedFill fill;
    std::vector<std::string>& pieces = fill.pieces_;
    pieces.emplace_back();
    if (!text::IsAscii(ending)) return std::nullopt;
    for (const std::string& text : lines) {
        if (!text::IsAscii(text)) return std::nullopt;
        const std::string_view line = text;
        size_t from = 0;  // not yet in a piece
        for (size_t at = 0;;) {
            const size_t open = line.find('"', at);
            if (open == std::string_view::npos) break;
            const size_t close = line.find('"', open + 1);
            if (close == std::string_view::npos) break;
            if (close == open + 1) {  // emptied: the contents go between
                AppendJsonBody(pieces.back(), line.substr(from, close - from));
                pieces.emplace_back();
                from = close;
            }
            at = close + 1;
        }
        AppendJsonBody(pieces.back(), line.substr(from));
        AppendJsonBody(pieces.back(), ending);
    }
    return fill;
}

void EscapedFill::AppendTo(std::string& out, const std::vector<std::string>& contents) const {
    out.append(pieces_.front());
    for (size_t k = 1; k < pieces_.size(); ++k) {
        if (k - 1 < contents.size()) AppendJsonBody(out, contents[k - 1]);
        out.append(pieces_[k]);
    }
}

ModuleFixes::ReceivedBlocks::Shape& ModuleFixes::ReceivedBlocks::ShapeOf(
    const host::memory::MemoryCodeModule& code, const errorhandling::ShapedBlock& given,
    bool breakFirst) {
    const int slot = breakFirst ? 1 : 0;
    if (lastShapeOf_[slot] != nullptr && lastShape_[slot] == given.shape) {
        return *lastShapeOf_[slot];
    }
    shape_.clear();
    if (breakFirst) shape_.append(text::kCrLf);
    shape_.append(given.shape);
    if (!breakFirst) shape_.append(text::kCrLf);
    Shape& shape = KeptShape(code);
    lastShape_[slot] = given.shape;
    lastShapeOf_[slot] = &shape;
    return shape;
}

ModuleFixes::ReceivedBlocks::Shape& ModuleFixes::ReceivedBlocks::KeptShape(
    const host::memory::MemoryCodeModule& code) {
    auto it = blocks_.find(shape_);
    if (it == blocks_.end()) {
        if (blocks_.size() >= kKeptBlocks) {
            blocks_.clear();
            shapeOf_[0] = shapeOf_[1] = nullptr;
            lastShapeOf_[0] = lastShapeOf_[1] = nullptr;
        }
        Shape received;
        received.setApart = errorhandling::LiteralsSetApart(shape_);
        if (received.setApart) Receive(code, shape_, received.lines);
        it = blocks_.emplace(shape_, std::move(received)).first;
    }
    return it->second;
}

bool ModuleFixes::ReceivedBlocks::Escaped(const host::memory::MemoryCodeModule& code,
                                          const errorhandling::ShapedBlock& given,
                                          bool breakFirst, std::string_view ending,
                                          EscapedBlock& out) {
    // As Of fills a block received by its shape: contents without a tab or
    // a break; and ASCII, whose escaped pieces join.
    for (const std::string& content : given.contents) {
        if (!text::IsAscii(content) ||
            std::any_of(content.begin(), content.end(),
                        [](char c) { return c == '\t' || IsBreak(c); })) {
            return false;
        }
    }
    Shape& shape = ShapeOf(code, given, breakFirst);
    if (!shape.setApart) return false;
    if (!shape.escapedRead || shape.escapedEnding != ending) {
        shape.escaped = EscapedFill::Of(shape.lines, ending);
        shape.escapedEnding = ending;
        shape.escapedRead = true;
    }
    if (!shape.escaped) return false;
    out.json.clear();
    shape.escaped->AppendTo(out.json, given.contents);
    out.empty = shape.lines.empty();
    out.firstEmpty = !out.empty && shape.lines.front().empty();
    return true;
}

void ModuleFixes::ReceivedBlocks::Receive(const host::memory::MemoryCodeModule& code,
                                          std::string_view text, std::vector<std::string>& out) {
    out.clear();
    const int tabWidth = code.Vbe().TabWidth();
    bool continuation = false;
    auto receive = [&](std::string_view line) {
        auto& kept = lines_[continuation ? 1 : 0];
        auto it = kept.find(line);
        if (it == kept.end()) {
            if (kept.size() >= kKept) kept.clear();
            it = kept.emplace(line, host::TidyReceivedLine(line, tabWidth, continuation)).first;
        }
        out.push_back(it->second);
        continuation = host::memory::IsContinued(it->second);
    };
    // Split at CR LF, LF or a lone CR, as the module splits what it is given.
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        receive(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    receive(text.substr(start));
}

}  // namespace qv::cli
