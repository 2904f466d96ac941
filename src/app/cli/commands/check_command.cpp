// qvaddin check <target>: the error-handling status of every module (how many
// routines count Good, Some, Error and None) and, on request, of every
// routine. The exit code is 0 only when every routine judged carries the
// standard handler (counts Good, or is a terminate routine with the terminate
// blocks that insertion gives it), so that a CI job can gate on it. With
// --format sarif the routines that are not Good become a SARIF log for
// code-scanning services, each with the add command's change as its fix.
// With --baseline a run is compared with an earlier log: only new and
// updated findings count for the exit code.

#include <algorithm>
#include <ostream>
#include <optional>

#include "analysis/routine_parsing.h"
#include "analysis/side_by_side.h"
#include "app/cli/broken_modules.h"
#include "app/cli/check_sarif.h"
#include "app/cli/command.h"
#include "app/cli/loaded_modules.h"
#include "app/cli/project_target.h"
#include "app/cli/sarif_baseline.h"
#include "app/cli/sarif_paths.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "host/files/module_loader.h"
#include "errorhandling/module_counts.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "settings/setting_checks.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"

#ifndef QVADDIN_INFORMATION_URI
#define QVADDIN_INFORMATION_URI ""
#endif

namespace qv::cli {

namespace {

using host::memory::MemoryComponent;
using host::memory::MemoryProject;

const Option kRoutinesOption{{"routines"},
    "Also list every routine with its Top Status and Exit Status (always with --module)."};
const Option kExcludeReadOnlyOption{{"exclude-read-only"}, "List read-only modules without evaluating them."};
const Option kSourceRootOption{{"source-root"},
    "With --format sarif: the folder the files' URIs are relative to (%SRCROOT%); by default "
    "the folder of the first target. Give the repository's root for a code-scanning service.",
    "folder"};

const Option kBaselineOption{{"baseline"},
    "Compare with an earlier SARIF log of check (kept in the repository): each finding is new, "
    "unchanged or updated, and the earlier ones not found are absent. The exit code counts only "
    "new and updated findings.",
    "log.sarif"};

// The folder SARIF URIs are relative to.
std::string SourceRoot(CommandContext& context, LoadedTarget& target) {
    if (context.parser.IsSet(kSourceRootOption)) {
        return LocalPath(context.parser.Value(kSourceRootOption));
    }
    if (target.Paths().empty()) return ".";
    return AbsoluteFolderOf(target.Paths().front());
}

// The run's category: the first target's name, so that a service keeps the
// logs of different targets apart.
std::string AutomationId(LoadedTarget& target) {
    if (target.Paths().empty()) return "qvaddin/";
    return "qvaddin/" + CompleteBaseName(target.Paths().front()) + "/";
}

// Fixes are the add command's changes; it refuses to run with settings that
// would make code that is not VB, so there are none then.
bool FixesPossible(CommandContext& context) {
    if (const auto problem = settings::RecordProblem(RunSettings(context), {})) {
        context.err << "qvaddin: no fixes offered: the stored settings would make code that is "
                       "not VB: "
                    << *problem << '\n';
        return false;
    }
    return true;
}

// What check found for one module.
struct ModuleResult {
    MemoryComponent* component = nullptr;
    bool readOnly = false;
    bool evaluated = false;
    std::string failure;  // why the module could not be judged ("" when it was)
    analysis::ModuleCounts counts;
};

// One table: the first column left-aligned, the others right-aligned unless
// the column is marked as text.
class Table {
public:
    Table(std::vector<std::string> header, std::vector<bool> textColumns)
        : textColumns_(std::move(textColumns)) {
        rows_.push_back(std::move(header));
    }
    void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

    void Print(std::ostream& out, const std::string& indent) const {
        std::vector<size_t> width(rows_.front().size(), 0);
        for (const auto& row : rows_) {
            for (size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], Width(row[c]));
        }
        for (const auto& row : rows_) {
            std::string line = indent;
            for (size_t c = 0; c < row.size(); ++c) {
                const std::string pad(width[c] - Width(row[c]), ' ');
                if (c > 0) line += "  ";
                line += c == 0 || textColumns_[c] ? row[c] + pad : pad + row[c];
            }
            line.erase(line.find_last_not_of(' ') + 1);
            out << line << '\n';
        }
    }

private:
    static size_t Width(const std::string& s) { return DisplayWidth(s); }

    std::vector<bool> textColumns_;
    std::vector<std::vector<std::string>> rows_;
};

// Shows which module is being judged, on a terminal only.
class CheckProgress {
public:
    explicit CheckProgress(int modules) : window_(GetServices().GetStatusWindow()) {
        window_.SetTitle("Checking error handling");
        window_.SetBarMax(0, modules);
        window_.SetBarVisible(0, true);
        window_.Show();
    }
    ~CheckProgress() { window_.Unload(); }
    CheckProgress(const CheckProgress&) = delete;
    CheckProgress& operator=(const CheckProgress&) = delete;

    void Next(std::string_view module) {
        window_.SetLabel(module);
        window_.SetBarValue(0, ++done_);
    }

private:
    StatusWindow& window_;
    int done_ = 0;
};

std::string Note(const ModuleResult& r) {
    std::string note = r.readOnly ? "read-only" : "";
    if (!r.evaluated) note += note.empty() ? "not evaluated" : ", not evaluated";
    return note;
}

std::vector<std::string> CountCells(const ModuleResult& r) {
    if (!r.evaluated) return {"-", "-", "-", "-"};
    const analysis::ModuleCounts& c = r.counts;
    return {std::to_string(c.good), std::to_string(c.some), std::to_string(c.error),
            std::to_string(c.none)};
}

JsonNode RoutineStatusJson(host::CodeModule& module, const analysis::RoutineStatusRow& row) {
    JsonNode object = RoutineJson(module, analysis::RoutineEntry{row.name, row.kind, row.copy});
    object["top"] = std::string(analysis::StatusString(row.status.top));
    object["exit"] = std::string(analysis::StatusString(row.status.exit));
    return object;
}

class CheckCommand : public Command {
public:
    std::string Name() const override { return "check"; }
    std::string Summary() const override {
        return "Judge the error handling of every routine; exit 1 unless every one has the standard handler.";
    }
    void AddOptions(OptionParser& parser) const override {
        AddTargetOptions(parser);
        parser.AddOption(kRoutinesOption);
        parser.AddOption(kExcludeReadOnlyOption);
        parser.AddOption(kSourceRootOption);
        parser.AddOption(kBaselineOption);
    }
    bool SupportsFormat(OutputFormat format) const override {
        return format != OutputFormat::Csv;
    }

    int Run(CommandContext& context) override {
        if (context.parser.IsSet("line")) {
            throw CliError(kExitUsage,
                           "check judges whole routines: name one with --routine instead of "
                           "--line");
        }
        // Handlers are judged against the templates stored now.
        const settings::SettingsRecord& settings = RunSettings(context);
        std::optional<SarifBaseline> baseline;
        if (context.parser.IsSet(kBaselineOption)) {
            // Only a log writes the absent results.
            baseline = SarifBaseline::Read(LocalPath(context.parser.Value(kBaselineOption)),
                                           context.format == OutputFormat::Sarif);
        }
        const bool json = context.format == OutputFormat::Json;
        const bool sarif = context.format == OutputFormat::Sarif;
        const bool excludeReadOnly = context.parser.IsSet(kExcludeReadOnlyOption);
        // The tables judge each module as it is loaded and let its code go
        // then; the logs let it go too, and read it again at the module's
        // turn; the JSON routines and a selected module need the code kept
        // to the end.
        const bool wholeProjects = !json && !context.parser.IsSet("module") &&
                                   !context.parser.IsSet("routine");
        const bool judgeAtLoad = wholeProjects && !sarif && !baseline;
        const bool readAgain = wholeProjects && (sarif || baseline);
        KeptAtLoad<ModuleResult> judgedAtLoad(
            JudgeAtLoad(context.parser.IsSet(kRoutinesOption), excludeReadOnly, settings));
        ModulesReadAgain releasedAtLoad;
        auto target = judgeAtLoad ? LoadTarget(context, context.arguments, true, false, {},
                                               judgedAtLoad.OnLoaded())
                      : readAgain ? LoadTarget(context, context.arguments, true, false, {},
                                               releasedAtLoad.OnLoaded())
                                  : LoadTarget(context);
        const Selection selection = SelectTarget(context, *target);
        if (context.parser.IsSet(kSourceRootOption) && !sarif) {
            throw CliError(kExitUsage, "--source-root goes with --format sarif");
        }
        std::optional<SarifLog> log;
        if (sarif) {
            log.emplace(SarifRun{SourceRoot(context, *target), AutomationId(*target),
                                 QVADDIN_INFORMATION_URI});
            if (baseline) log->SetBaseline(&*baseline);
        }
        const bool withFixes = sarif && FixesPossible(context);
        const bool listRoutines = json || sarif || context.parser.IsSet(kRoutinesOption) ||
                                  context.parser.IsSet("module") || !selection.routine.empty();
        const bool routineRows = listRoutines || baseline.has_value();
        // Each module is worked on once (the fixes of another name modules,
        // not their code), so its code may go after its turn.
        const bool releaseAfterTurn = !judgeAtLoad && (sarif || baseline.has_value());

        std::vector<MemoryProject*> projects;
        auto& all = target->Vbe().Projects();
        for (long p = 1; p <= all.Count(); ++p) {
            if (!context.parser.IsSet("project") || &all.At(p) == selection.project) {
                projects.push_back(&all.At(p));
            }
        }
        CheckProgress progress(CountModules(projects, selection));

        analysis::ModuleCounts totals;
        bool failed = false;
        JsonNode projectsJson = JsonNode::array();
        for (MemoryProject* project : projects) {
            JsonNode componentsJson = JsonNode::array();
            if (!json && !sarif) PrintProjectHeader(context, *project);
            std::vector<ModuleResult> results;
            // The modules are judged side by side, and taken in order; a
            // file's read-only mark is asked for here, not on the helpers.
            const std::vector<MemoryComponent*> modules = Modules(*project, selection);
            std::vector<ModuleResult> judged(modules.size());
            for (size_t i = 0; i < modules.size(); ++i) {
                if (judgedAtLoad.Find(*modules[i]) != nullptr) continue;
                judged[i].component = modules[i];
                judged[i].readOnly = analysis::IsReadOnly(*modules[i]);
            }
            analysis::RunSideBySideWhile(modules.size(), [&](size_t i) {
                if (std::optional<ModuleResult> kept = judgedAtLoad.Take(*modules[i])) {
                    judged[i] = std::move(*kept);
                } else if (ReadAgain(judged[i], releasedAtLoad, target->Files(), excludeReadOnly)) {
                    Judge(judged[i], selection, routineRows, excludeReadOnly, settings);
                }
            }, [&](size_t i) {
                MemoryComponent* component = modules[i];
                const text::CodePage page = component->TextCodePage();
                progress.Next(text::ToUtf8(component->Name(), page));
                ModuleResult r = std::move(judged[i]);
                if (!r.failure.empty()) {
                    failed = true;
                    const std::string problem =
                        MessageUtf8(ComponentFile(*target, *component), target->Vbe().TextCodePage()) +
                        ": cannot judge " + text::ToUtf8(component->Name(), page) + ": " +
                        text::ToUtf8(r.failure, page);
                    context.err << "qvaddin: " << DisplayMessage(problem, page) << '\n';
                    if (sarif) log->AddFailure(problem);
                }
                if (sarif && r.evaluated) {
                    AddModuleFindings(*log, *target, *component, r.counts, withFixes, context.err,
                                      settings);
                    for (const std::string& warning : log->TakeWarnings()) {
                        context.err << "qvaddin: warning: " << warning << '\n';
                    }
                } else if (baseline && r.evaluated) {
                    MatchFindings(*baseline, *target, *component, r.counts);
                }
                AddTo(totals, r);
                if (json) {
                    componentsJson.push_back(ModuleJson(*target, r));
                } else if (releaseAfterTurn) {
                    // The log and the baseline keep what they need of the
                    // module: its code is not wanted again.
                    host::files::ReleaseLoadedCode(target->Files(), *component);
                }
                // The log keeps what it needs of each module as it goes.
                if (!sarif) results.push_back(std::move(r));
                return true;
            }, readAgain ? kModulesAhead : analysis::kUnbounded);
            if (sarif) {
                continue;
            } else if (json) {
                JsonNode object = ProjectJson(*project);
                object["components"] = std::move(componentsJson);
                projectsJson.push_back(std::move(object));
            } else if (listRoutines) {
                for (const ModuleResult& r : results) PrintModuleWithRoutines(context, r);
            } else {
                PrintModuleTable(context, results);
            }
        }
        const BrokenList broken =
            selection.component != nullptr
                ? BrokenList{}
                : BrokenModules(*target, context.parser.IsSet("project") ? selection.project
                                                                         : nullptr);
        ReportBrokenModules(context.err, broken);
        failed = failed || !broken.empty();
        if (sarif) {
            for (const auto& module : broken) log->AddFailure(module.message);
            log->Write(context.out);
        } else if (json) {
            JsonNode object = JsonNode::object();
            object["projects"] = std::move(projectsJson);  // large: moved, not copied
            object["totals"] = CountsJson(totals);
            object["allGood"] = totals.AllStandard() && !failed;
            object["errors"] = BrokenModulesJson(broken);
            if (baseline) object["baseline"] = BaselineJson(baseline->Counts());
            WriteJson(context.out, object);
        } else {
            PrintTotals(context, totals);
            if (baseline) PrintBaseline(context, baseline->Counts());
        }
        if (failed) return kExitBadInput;
        if (baseline) {
            const BaselineCounts counts = baseline->Counts();
            return counts.added + counts.updated == 0 ? kExitOk : kExitFindings;
        }
        return totals.AllStandard() ? kExitOk : kExitFindings;
    }

private:
    // How many modules a run that reads them again may have read ahead of
    // the one whose turn it is: a few for each core, so that their code
    // never piles up.
    static constexpr size_t kModulesAhead = 16;

    // Reads the code of r's component again when the load let it go (and
    // judging wants it): false, with r's failure saying why, when it cannot
    // be.
    static bool ReadAgain(ModuleResult& r, ModulesReadAgain& released,
                          host::files::Workspace& workspace, bool excludeReadOnly) {
        if (r.readOnly && excludeReadOnly) return true;
        r.failure = released.ReadAgain(workspace, *r.component);
        return r.failure.empty();
    }

    // Judges each module of the whole projects as the load reads it.
    static KeptAtLoad<ModuleResult>::Keep JudgeAtLoad(bool routineRows, bool excludeReadOnly,
                                                      const settings::SettingsRecord& settings) {
        return [routineRows, excludeReadOnly, &settings](
                   MemoryComponent& component) -> std::optional<ModuleResult> {
            if (component.Type() == host::vbext_ct_RelatedDocument) return std::nullopt;
            ModuleResult r;
            r.component = &component;
            r.readOnly = analysis::IsReadOnly(component);
            Judge(r, Selection{}, routineRows, excludeReadOnly, settings);
            return r;
        };
    }

    // The modules the main window would list: components with code, but no
    // related documents; only the selected one when there is one.
    static std::vector<MemoryComponent*> Modules(MemoryProject& project,
                                                 const Selection& selection) {
        std::vector<MemoryComponent*> modules;
        for (long c = 1; c <= project.Components().Count(); ++c) {
            MemoryComponent& component = project.Components().At(c);
            if (selection.component != nullptr && &component != selection.component) continue;
            if (component.Type() == host::vbext_ct_RelatedDocument) continue;
            if (component.Code() == nullptr) continue;
            modules.push_back(&component);
        }
        return modules;
    }

    static int CountModules(const std::vector<MemoryProject*>& projects,
                            const Selection& selection) {
        size_t n = 0;
        for (MemoryProject* p : projects) n += Modules(*p, selection).size();
        return static_cast<int>(n);
    }

    // Judges r's component (r holds it and its read-only mark); touches
    // nothing but the module, so modules can be judged side by side.
    static void Judge(ModuleResult& r, const Selection& selection, bool listRoutines,
                      bool excludeReadOnly, const settings::SettingsRecord& settings) {
        MemoryComponent& component = *r.component;
        if (r.readOnly && excludeReadOnly) return;
        try {
            if (selection.routine.empty()) {
                r.counts =
                    analysis::CountModule(*component.Code(), listRoutines, settings);
            } else {
                // Each copy of a routine defined more than once.
                host::CodeModule& code = *component.Code();
                const long copies = code.ProcCopies(selection.routine, selection.routineKind);
                for (long copy = 0; copy < copies; ++copy) {
                    const analysis::RoutineEntry entry{selection.routine, selection.routineKind,
                                                       copy};
                    analysis::RoutineStatusRow row =
                        analysis::JudgeRoutine(code, entry, true, settings);
                    r.counts.Add(row);
                    r.counts.routines.push_back(std::move(row));
                }
            }
            r.evaluated = true;
        } catch (...) {
            r.failure = CurrentAsVbError().ReportText();
            r.counts = {};
        }
    }

    // Each finding of the module marked against the baseline, as the SARIF
    // log would mark it.
    static void MatchFindings(SarifBaseline& baseline, LoadedTarget& target,
                              MemoryComponent& component, const analysis::ModuleCounts& counts) {
        const text::CodePage page = component.TextCodePage();
        const std::string project = FingerprintProject(target, component.Owner().Project());
        for (const analysis::RoutineStatusRow& row : counts.routines) {
            const std::optional<analysis::Finding> finding = analysis::FindingOf(row);
            if (!finding) continue;
            const std::string routine = analysis::RoutineLabel(row.name, row.kind, row.copy);
            const std::string id(finding->rule->id);
            baseline.Match(RoutineFingerprint(project, component.Name(), routine, page, id),
                           SarifLevel(finding->severity), SarifMessage(routine, page, *finding),
                           project.empty()
                               ? std::string()
                               : RoutineFingerprint({}, component.Name(), routine, page, id));
        }
    }

    static JsonNode BaselineJson(const BaselineCounts& c) {
        return JsonNode{{"new", c.added}, {"updated", c.updated}, {"unchanged", c.unchanged},
                           {"absent", c.absent}};
    }

    static void PrintBaseline(CommandContext& context, const BaselineCounts& c) {
        context.out << "Against the baseline: " << c.added << " new, " << c.updated
                    << " updated, " << c.unchanged << " unchanged, " << c.absent << " absent\n";
    }

    static void AddTo(analysis::ModuleCounts& totals, const ModuleResult& r) {
        if (!r.evaluated) return;
        totals.good += r.counts.good;
        totals.some += r.counts.some;
        totals.error += r.counts.error;
        totals.none += r.counts.none;
        totals.standardTerminate += r.counts.standardTerminate;
    }

    static JsonNode CountsJson(const analysis::ModuleCounts& c) {
        return JsonNode{{"good", c.good}, {"some", c.some}, {"error", c.error},
                           {"none", c.none}};
    }

    static JsonNode ModuleJson(LoadedTarget& target, const ModuleResult& r) {
        JsonNode object = ComponentJson(target, *r.component);
        object["evaluated"] = r.evaluated;
        const JsonNode counts = CountsJson(r.counts);
        for (auto it = counts.begin(); it != counts.end(); ++it) {
            object[it.key()] = r.evaluated ? it.value() : JsonNode();
        }
        if (!r.failure.empty()) {
            object["failure"] = VbText(r.failure, r.component->TextCodePage());
        }
        JsonNode routines = JsonNode::array();
        for (const auto& row : r.counts.routines) {
            routines.push_back(RoutineStatusJson(*r.component->Code(), row));
        }
        object["routines"] = std::move(routines);
        return object;
    }

    static void PrintProjectHeader(CommandContext& context, MemoryProject& project) {
        context.out << DisplayText(project.Name(), project.TextCodePage())
                    << (project.FileName().empty() ? "" : "  ")
                    << DisplayMessage(project.FileName(), project.Vbe().TextCodePage()) << '\n';
    }

    static void PrintModuleTable(CommandContext& context, const std::vector<ModuleResult>& results) {
        if (results.empty()) {
            context.out << "  (no modules)\n";
            return;
        }
        Table table({"Module name", "Good", "Some", "Error", "None", ""},
                    {false, false, false, false, false, true});
        for (const ModuleResult& r : results) {
            std::vector<std::string> row{
                DisplayText(r.component->Name(), r.component->TextCodePage())};
            for (std::string& cell : CountCells(r)) row.push_back(std::move(cell));
            row.push_back(Note(r));
            table.Add(std::move(row));
        }
        table.Print(context.out, "  ");
    }

    static void PrintModuleWithRoutines(CommandContext& context, const ModuleResult& r) {
        const text::CodePage page = r.component->TextCodePage();
        context.out << "  " << DisplayText(r.component->Name(), page);
        if (r.evaluated) {
            const analysis::ModuleCounts& c = r.counts;
            context.out << "  Good " << c.good << "  Some " << c.some << "  Error " << c.error
                        << "  None " << c.none;
        }
        const std::string note = Note(r);
        context.out << (note.empty() ? "" : "  (" + note + ")") << '\n';
        if (!r.evaluated || r.counts.routines.empty()) return;
        Table table({"Routine name", "Type", "Top Status", "Exit Status"},
                    {false, true, true, true});
        for (const auto& row : r.counts.routines) {
            table.Add({DisplayText(row.name + analysis::CopySuffix(row.copy), page), row.typeWord,
                       analysis::StatusString(row.status.top),
                       analysis::StatusString(row.status.exit)});
        }
        table.Print(context.out, "    ");
    }

    static void PrintTotals(CommandContext& context, const analysis::ModuleCounts& c) {
        const int routines = c.good + c.some + c.error + c.none;
        context.out << routines << (routines == 1 ? " routine" : " routines") << " judged: Good "
                    << c.good << ", Some " << c.some << ", Error " << c.error << ", None "
                    << c.none << '\n';
        if (c.standardTerminate > 0) {
            context.out << "Of the Some: " << c.standardTerminate
                        << " terminate " << (c.standardTerminate == 1 ? "routine" : "routines")
                        << " with the standard terminate handler, which pass\n";
        }
    }
};

}  // namespace

QV_REGISTER_COMMAND("check", CheckCommand);

}  // namespace qv::cli
