#include "app/cli/commands/code_change_command.h"

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <vector>

#include "app/cli/broken_modules.h"
#include "app/cli/failed_modules.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "errorhandling/module_counts.h"
#include "host/memory/memory_host.h"
#include "platform/text.h"
#include "settings/setting_checks.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"

namespace qv::cli {

namespace {

using host::memory::MemoryComponent;
using host::memory::MemoryProject;

void RefuseTarget(LoadedTarget& target, MemoryComponent& component) {
    const std::string name = text::ToUtf8(component.Name(), component.TextCodePage());
    if (component.Code() == nullptr) {
        throw CliError(kExitBadInput, "module " + name + " holds no code");
    }
    if (analysis::IsReadOnly(component)) {
        throw CliError(kExitBadInput, ComponentFile(target, component) + ": module " + name +
                                          " is read-only; a read-only module cannot be updated");
    }
}

std::string RoutineLabel(const shell::RoutineOutcome& r) {
    return analysis::RoutineLabel(r.name, r.kind, r.copy);
}

// The outcome of one more run at the cursor (on another copy of the
// routine) added to those before: one module with the routines in turn.
void GatherAtCursor(shell::RunOutcome& into, shell::RunOutcome one) {
    into.refused = into.refused || one.refused;
    for (shell::ModuleOutcome& module : one.modules) {
        if (into.modules.empty() || into.modules.back().component != module.component) {
            into.modules.push_back(std::move(module));
            continue;
        }
        shell::ModuleOutcome& gathered = into.modules.back();
        for (shell::RoutineOutcome& r : module.routines) gathered.routines.push_back(std::move(r));
        if (module.failure) {
            gathered.failure = std::move(module.failure);
            gathered.failedRoutine = std::move(module.failedRoutine);
        }
    }
}

std::string SkipText(shell::Skip skip) {
    switch (skip) {
        case shell::Skip::ReadOnly:
            return "read-only";
        case shell::Skip::RelatedDocument:
            return "related document";
        case shell::Skip::NoCode:
            return "no code";
        case shell::Skip::None:
            break;
    }
    return {};
}

struct RunTotals {
    int changed = 0;
    int refused = 0;
    int undone = 0;  // refused routines that needed a change
    int modulesChanged = 0;
    int failures = 0;
};

RunTotals Count(const shell::RunOutcome& outcome) {
    RunTotals t;
    for (const shell::ModuleOutcome& m : outcome.modules) {
        if (m.failure) ++t.failures;
        if (m.Changed()) ++t.modulesChanged;
        for (const shell::RoutineOutcome& r : m.routines) {
            if (r.changed) ++t.changed;
            if (!r.refusal.empty()) ++t.refused;
            if (LeftUndone(r)) ++t.undone;
        }
    }
    return t;
}

class Report {
  public:
    // note: UTF-8; run: the run's code page, for the paths.
    Report(LoadedTarget& target, const shell::RunOutcome& outcome, std::string note,
           text::CodePage run)
        : target_(target),
          outcome_(outcome),
          note_(std::move(note)),
          totals_(Count(outcome)),
          run_(run) {}

    const RunTotals& Totals() const { return totals_; }

    // Problems go to err: read-only modules passed over, modules that failed.
    void Problems(std::ostream& err) const {
        for (const shell::ModuleOutcome& m : outcome_.modules) {
            if (m.skipped == shell::Skip::ReadOnly) {
                err << "qvaddin: " << DisplayMessage(ComponentFile(target_, Component(m)), run_)
                    << " is read-only and was skipped\n";
            }
        }
        ReportFailedModules(err, target_, outcome_);
    }

    void Text(std::ostream& out, bool dryRun) const {
        for (const shell::ModuleOutcome& m : outcome_.modules) {
            if (!m.Changed() && std::none_of(m.routines.begin(), m.routines.end(),
                                             [](const auto& r) { return !r.refusal.empty(); })) {
                continue;
            }
            MemoryComponent& c = Component(m);
            const text::CodePage page = c.TextCodePage();
            // A module's lines go out at once: a report of a large project
            // has a line per routine, and each << on a stream costs more
            // than the line's bytes.
            std::string lines = DisplayText(c.Name(), page);
            lines.append("  (").append(DisplayMessage(ComponentFile(target_, c), run_)).append(")\n");
            for (const shell::RoutineOutcome& r : m.routines) {
                if (r.changed) AppendDone(lines, r, page);
                if (!r.refusal.empty()) {
                    lines.append("  refused   ").append(DisplayText(RoutineLabel(r), page));
                    lines.append(": ").append(DisplayText(r.refusal, page)).append("\n");
                }
            }
            out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
        }
        if (!note_.empty()) out << DisplayMessage(note_, run_) << '\n';
        const auto& t = totals_;
        out << (dryRun ? "Would change " : "Changed ") << t.changed
            << (t.changed == 1 ? " routine" : " routines") << " in " << t.modulesChanged
            << (t.modulesChanged == 1 ? " module" : " modules") << "; " << t.refused
            << " refused.\n";
    }

    JsonNode ToJson(bool dryRun, const std::vector<std::string>& written,
                     const std::string& diff) const {
        JsonNode modules = JsonNode::array();
        for (const shell::ModuleOutcome& m : outcome_.modules) {
            MemoryComponent& c = Component(m);
            const text::CodePage page = c.TextCodePage();
            const MemoryProject& project = c.Owner().Project();
            JsonNode module{{"project", VbText(project.Name(), project.TextCodePage())},
                               {"name", VbText(c.Name(), page)},
                               {"file", MessageText(ComponentFile(target_, c), run_)}};
            if (m.skipped != shell::Skip::None) {
                module["skipped"] = std::string(SkipText(m.skipped));
            }
            if (m.failure) {
                module["failure"] = JsonNode{{"routine", VbText(m.failedRoutine, page)},
                                          {"number", static_cast<int>(m.failure->Number())},
                                          {"description", VbText(m.failure->Description(), page)},
                                          {"source", VbText(m.failure->Source(), page)}};
            }
            JsonNode routines = JsonNode::array();
            for (const shell::RoutineOutcome& r : m.routines) {
                if (!r.changed && r.refusal.empty()) continue;
                JsonNode routine{
                    {"name", VbText(r.name, page)}, {"kind", r.kind}, {"changed", r.changed}};
                if (r.copy > 0) routine["copy"] = static_cast<std::int64_t>(r.copy + 1);
                if (r.changed) routine["done"] = std::string(r.done);
                if (!r.refusal.empty()) routine["refused"] = VbText(r.refusal, page);
                routines.push_back(std::move(routine));
            }
            module["routines"] = std::move(routines);
            modules.push_back(std::move(module));
        }
        JsonNode files = JsonNode::array();
        for (const std::string& f : written) files.push_back(MessageText(f, run_));
        JsonNode object{{"dryRun", dryRun},
                           {"modules", modules},
                           {"changed", totals_.changed},
                           {"refused", totals_.refused},
                           {"written", files}};
        if (!note_.empty()) object["note"] = MessageText(note_, run_);
        if (dryRun) object["diff"] = std::string(diff);  // UTF-8 already
        return object;
    }

  private:
    // "  numbered  Name": what was done, left-aligned in nine columns.
    static void AppendDone(std::string& lines, const shell::RoutineOutcome& r,
                           text::CodePage page) {
        constexpr size_t kDoneWidth = 9;
        lines.append("  ").append(r.done);
        if (r.done.size() < kDoneWidth) lines.append(kDoneWidth - r.done.size(), ' ');
        lines.append(" ").append(DisplayText(RoutineLabel(r), page)).append("\n");
    }

    static MemoryComponent& Component(const shell::ModuleOutcome& m) {
        return *static_cast<MemoryComponent*>(m.component);
    }

    LoadedTarget& target_;
    const shell::RunOutcome& outcome_;
    std::string note_;
    RunTotals totals_;
    text::CodePage run_;
};

// Holds what is written until a block is full, then passes it on in one
// write: a report of a line per routine reaches an unbuffered stream in few
// writes, without the whole report (and the copies the stream makes of
// what it is given) held at once.
class BlockBuffer : public std::streambuf {
  public:
    explicit BlockBuffer(std::ostream& target) : target_(target), block_(kBlockSize) {
        setp(block_.data(), block_.data() + block_.size());
    }
    ~BlockBuffer() override { BlockBuffer::sync(); }
    BlockBuffer(const BlockBuffer&) = delete;
    BlockBuffer& operator=(const BlockBuffer&) = delete;

  protected:
    int overflow(int c) override {
        sync();
        if (c != traits_type::eof()) sputc(static_cast<char>(c));
        return traits_type::not_eof(c);
    }
    int sync() override {
        target_.write(pbase(), pptr() - pbase());
        setp(block_.data(), block_.data() + block_.size());
        return target_ ? 0 : -1;
    }

  private:
    static constexpr size_t kBlockSize = 64 * 1024;
    std::ostream& target_;
    std::vector<char> block_;
};

}  // namespace

void CodeChangeCommand::AddOptions(OptionParser& parser) const {
    std::string help = Summary() + "\n\n";
    if (!Details().empty()) help += Details() + "\n\n";
    help +=
        "With --routine or --line: the routine at that place, as the code window's command\n"
        "(--routine: each copy of a routine defined more than once, as under #If and #Else).\n"
        "With --module: every routine of the module. Otherwise: every module of the project\n"
        "(read-only modules, related documents and components without code are passed over).\n"
        "Prints what changed and what was refused, with the reason, per module and routine\n"
        "(on standard error with --dry-run, whose standard output is the diff).\n\n"
        "Exit codes: 0 done (refusals in module and project runs are reported, not failures,\n"
        "unless --strict); 1 the routine named by --routine or --line was refused, or with\n"
        "--strict a routine was refused for a reason other than that it needs no change;\n"
        "3 bad input, a read-only target module, a module whose run failed halfway, or a\n"
        "module file of the project that could not be loaded (those modules are left as\n"
        "they were, the others are written).";
    parser.SetDescription(help);
    AddTargetOptions(parser);
    parser.AddOption(StrictOption());
    AddCommandOptions(parser);
}

int CodeChangeCommand::Run(CommandContext& context) {
    // The templates, labels and layout settings as the user stored them.
    const settings::SettingsRecord& settings = RunSettings(context);
    auto target = LoadTarget(context);
    const Selection selection = SelectTarget(context, *target);
    Prepare(context);
    if (selection.component != nullptr) RefuseTarget(*target, *selection.component);

    shell::RunOutcome outcome;
    std::string note;
    const bool atCursor = !selection.routine.empty() || selection.line > 0;
    const shell::CommandScope scope = atCursor ? shell::CommandScope::Routine
                                      : selection.component != nullptr
                                          ? shell::CommandScope::Module
                                          : shell::CommandScope::Project;
    // The outcomes are reported below, not shown as messages.
    shell::CommandContext command{.vbe = target->Vbe(),
                                  .onModuleFailure = shell::OnModuleFailure::KeepWhole,
                                  .modulesSideBySide = true,
                                  .force = force_,
                                  .showMessages = false,
                                  .settings = settings};
    const auto run = [&](shell::CommandTarget on) {
        command.target = on;
        return shell::Execute(shell::ScopedCommand(scope, Action()), command).run;
    };
    const auto staging = scope == shell::CommandScope::Project ? StageModules(context, *target)
                                                               : nullptr;
    command.onModuleDone = StageEachModule(*target, staging.get());
    if (scope == shell::CommandScope::Project) {
        outcome = RunOnEachProject(selection, [&](MemoryProject& project) {
            return run(shell::CommandTarget::Project(project));
        });
    } else if (atCursor) {
        RunAtEachCopy(context, selection,
                      [&](const shell::CommandTarget& on) { GatherAtCursor(outcome, run(on)); });
    } else {
        outcome = run(shell::CommandTarget::Module(*selection.component));
    }
    if (atCursor) {
        const text::CodePage page = selection.component->TextCodePage();
        static const std::vector<shell::RoutineOutcome> kNone;
        const auto& routines = outcome.modules.empty() ? kNone : outcome.modules.front().routines;
        if (routines.empty()) {
            // Only a line can stand outside every routine.
            note = "Nothing to do: line " + std::to_string(selection.line) + " of " +
                   text::ToUtf8(selection.component->Name(), page) + " is not inside a routine.";
        } else if (std::none_of(routines.begin(), routines.end(), [](const auto& r) {
                       return r.changed || !r.refusal.empty();
                   })) {
            note = "Nothing to do for " + text::ToUtf8(RoutineLabel(routines.front()), page) + ".";
        }
    }

    const Report report(*target, outcome, note, RunCodePage(context));
    report.Problems(context.err);
    // The project's modules that could not be loaded are left as they are.
    const BrokenList broken = atCursor || selection.component != nullptr
                                  ? BrokenList{}
                                  : BrokenModules(*target, selection.projects);
    ReportBrokenModules(context.err, broken);
    std::vector<std::string> written;
    if (context.format == OutputFormat::Json) {
        // The diff of --dry-run goes into the JSON, not before it.
        std::ostringstream diff;
        CommandContext quiet{context.parser, context.arguments, context.format, context.dryRun,
                             diff,           context.err,       context.codePage};
        SaveChanges(quiet, *target, &written, staging.get());
        JsonNode json = report.ToJson(context.dryRun, written, diff.str());
        json["errors"] = BrokenModulesJson(broken);
        WriteJson(context.out, json);
    } else {
        SaveChanges(context, *target, &written, staging.get());
        // On --dry-run the standard output is the diff alone. The report is
        // written in blocks: standard error is unbuffered, and a run over a
        // large module reports a line per routine.
        BlockBuffer block(context.dryRun ? context.err : context.out);
        std::ostream text(&block);
        report.Text(text, context.dryRun);
    }
    if (report.Totals().failures > 0 || !broken.empty()) return kExitBadInput;
    if (atCursor && report.Totals().refused > 0) return kExitFindings;
    if (context.parser.IsSet(StrictOption()) && report.Totals().undone > 0) return kExitFindings;
    return kExitOk;
}

shell::RunOutcome RunOnEachProject(const Selection& selection,
                                   const std::function<shell::RunOutcome(MemoryProject&)>& run) {
    shell::RunOutcome outcome;
    for (MemoryProject* project : selection.projects) {
        shell::RunOutcome one = run(*project);
        for (shell::ModuleOutcome& module : one.modules) outcome.modules.push_back(std::move(module));
    }
    return outcome;
}

const Option& StrictOption() {
    static const Option option{{"strict"},
        "Exit 1 when a routine was refused for a reason other than that it needs no change "
        "(no handler wanted, or the standard one there already)."};
    return option;
}

bool LeftUndone(const shell::RoutineOutcome& routine) {
    return !routine.refusal.empty() && !routine.needsNothing;
}

void RefuseUnsafeSettings(const settings::SettingsRecord& settings,
                          std::initializer_list<std::string_view> keys) {
    if (const auto problem = settings::RecordProblem(settings, keys)) {
        throw CliError(kExitBadInput,
                       "the stored settings would make code that is not VB: " + *problem +
                           "; change it with 'qvaddin settings set KEY VALUE' (or restore the "
                           "defaults with 'qvaddin settings reset'); nothing was changed");
    }
}

}  // namespace qv::cli
