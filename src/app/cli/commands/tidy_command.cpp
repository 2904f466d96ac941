// qvaddin tidy <target>: re-indents code with one tab per level, takes line
// numbers off and condenses blank lines. With --routine or --line: the code
// window's tidy at that place (a line in the declarations tidies them); with
// --module: every routine of the module with its header, and its
// declarations; with neither: every module of the project.

#include <algorithm>
#include <ostream>
#include <sstream>

#include "analysis/routine_parsing.h"
#include "app/cli/broken_modules.h"
#include "app/cli/command.h"
#include "app/cli/commands/code_change_command.h"
#include "app/cli/failed_modules.h"
#include "app/cli/project_target.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "errorhandling/module_counts.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "settings/ide_tab_width.h"
#include "settings/settings_operations.h"
#include "tidy/module_lines.h"

namespace qv::cli {

namespace {

using host::memory::MemoryComponent;
using host::memory::MemoryProject;

// The module's name as the user reads it.
std::string Shown(const MemoryComponent& component) {
    return text::ToUtf8(component.Name(), component.TextCodePage());
}

void RefuseReadOnly(LoadedTarget& target, MemoryComponent& component) {
    if (analysis::IsReadOnly(component)) {
        throw CliError(kExitBadInput, ComponentFile(target, component) + ": module " +
                                          Shown(component) +
                                          " is read-only; a read-only module cannot be updated");
    }
}

void RefuseWithoutCode(MemoryComponent& component) {
    if (component.Code() == nullptr) {
        throw CliError(kExitBadInput, "module " + Shown(component) + " holds no code to tidy");
    }
}

// A routine tidy left alone, and why; names and reason in the module's
// code page.
struct Refusal {
    std::string module;
    shell::RoutineOutcome routine;
    text::CodePage codePage{};
};

// The code window's tidy; a routine it refuses comes back with the reason,
// code it cannot take (nested beyond any real code) is bad input, and
// nothing is written.
std::vector<Refusal> TidyAtCursor(LoadedTarget& target, MemoryComponent& component,
                                  const shell::CommandTarget& at,
                                  const settings::SettingsRecord& settings) {
    try {
        // Outside every routine the declarations are tidied. The refusal is
        // reported below, not shown as a message.
        shell::CommandContext command{
            .vbe = target.Vbe(), .showMessages = false, .target = at, .settings = settings};
        const shell::RunOutcome outcome = shell::Execute(shell::CommandId::CodeTidy, command).run;
        std::vector<Refusal> refused;
        for (const shell::ModuleOutcome& module : outcome.modules) {
            for (const shell::RoutineOutcome& routine : module.routines) {
                if (!routine.refusal.empty()) {
                    refused.push_back({component.Name(), routine, component.TextCodePage()});
                }
            }
        }
        return refused;
    } catch (const VbError& e) {
        if (e.Number() != err::kExpressionTooComplex) throw;
        throw CliError(kExitBadInput, ComponentFile(target, component) + ": module " +
                                          Shown(component) + ": " +
                                          text::ToUtf8(e.Description(), component.TextCodePage()) +
                                          "; nothing was written");
    }
}

class TidyCommand : public Command {
  public:
    std::string Name() const override { return "tidy"; }
    std::string Summary() const override {
        return "Re-indent code (one tab per level), remove line numbers, condense blank lines.";
    }
    void AddOptions(OptionParser& parser) const override {
        AddTargetOptions(parser);
        parser.AddOption(StrictOption());
    }

    int Run(CommandContext& context) override {
        const settings::SettingsRecord& settings = RunSettings(context);
        auto target = LoadTarget(context);
        const Selection selection = SelectTarget(context, *target);
        std::vector<std::string> skipped;
        if (selection.component != nullptr) {
            RefuseWithoutCode(*selection.component);
            RefuseReadOnly(*target, *selection.component);
        }
        shell::RunOutcome outcome;
        std::vector<Refusal> refused;
        const bool atCursor = !selection.routine.empty() || selection.line > 0;
        const bool wholeProject = !atCursor && selection.component == nullptr;
        const auto staging = wholeProject ? StageModules(context, *target) : nullptr;
        if (atCursor) {
            RunAtEachCopy(context, selection, [&](const shell::CommandTarget& at) {
                for (Refusal& r : TidyAtCursor(*target, *selection.component, at, settings)) {
                    refused.push_back(std::move(r));
                }
            });
        } else {
            shell::CommandContext command{.vbe = target->Vbe(),
                                          .onModuleFailure = shell::OnModuleFailure::KeepWhole,
                                          .onModuleDone = StageEachModule(*target, staging.get()),
                                          .modulesSideBySide = true,
                                          .settings = settings};
            if (selection.component != nullptr) {
                command.target = shell::CommandTarget::Module(*selection.component);
                outcome = shell::Execute(shell::CommandId::ModuleTidy, command).run;
            } else {
                outcome = RunOnEachProject(selection, [&](MemoryProject& project) {
                    command.target = shell::CommandTarget::Project(project);
                    return shell::Execute(shell::CommandId::ProjectTidy, command).run;
                });
            }
        }
        for (const shell::ModuleOutcome& module : outcome.modules) {
            auto& component = static_cast<MemoryComponent&>(*module.component);
            if (module.skipped == shell::Skip::ReadOnly) {
                skipped.push_back(ComponentFile(*target, component));
            }
            for (const shell::RoutineOutcome& routine : module.routines) {
                if (!routine.refusal.empty()) {
                    refused.push_back({component.Name(), routine, component.TextCodePage()});
                }
            }
        }
        ReportFailedModules(context.err, *target, outcome);
        const bool failed = std::any_of(outcome.modules.begin(), outcome.modules.end(),
                                        [](const auto& m) { return m.failure.has_value(); });
        // The project's modules that could not be loaded are left as they are.
        const BrokenList broken = selection.component != nullptr
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
            ReportJson(context, written, skipped, refused, broken, diff.str());
        } else {
            SaveChanges(context, *target, &written, staging.get());
            Report(context, written, skipped, refused, failed);
        }
        if (failed || !broken.empty()) return kExitBadInput;
        // As the other commands at the cursor: a refused routine is a finding;
        // elsewhere with --strict.
        const bool strict = context.parser.IsSet(StrictOption());
        return (atCursor || strict) && !refused.empty() ? kExitFindings : kExitOk;
    }

  private:
    static void Report(CommandContext& context, const std::vector<std::string>& written,
                       const std::vector<std::string>& skipped, const std::vector<Refusal>& refused,
                       bool failed) {
        const text::CodePage run = RunCodePage(context);
        for (const std::string& file : skipped) {
            context.err << "qvaddin: " << DisplayMessage(file, run)
                        << " is read-only and was skipped\n";
        }
        std::ostream& out = context.dryRun ? context.err : context.out;
        for (const Refusal& r : refused) {
            out << "refused " << DisplayText(r.module, r.codePage) << "."
                << DisplayText(
                       analysis::RoutineLabel(r.routine.name, r.routine.kind, r.routine.copy),
                       r.codePage)
                << ": " << DisplayText(r.routine.refusal, r.codePage) << '\n';
        }
        if (context.dryRun) return;  // the diff says it all
        if (written.empty() && !failed)
            context.out << "Nothing to tidy: the code is tidy already.\n";
        for (const std::string& f : written) {
            context.out << "tidied " << DisplayMessage(f, run) << '\n';
        }
    }

    // {"dryRun", "changed": [files], "skipped": [read-only files],
    //  "refused": [{module, name, kind, reason}], "diff", "errors"}
    static void ReportJson(CommandContext& context, const std::vector<std::string>& written,
                           const std::vector<std::string>& skipped,
                           const std::vector<Refusal>& refused, const BrokenList& broken,
                           const std::string& diff) {
        const text::CodePage run = RunCodePage(context);
        JsonNode refusals = JsonNode::array();
        for (const Refusal& r : refused) {
            JsonNode refusal{{"module", VbText(r.module, r.codePage)},
                                {"name", VbText(r.routine.name, r.codePage)},
                                {"kind", r.routine.kind},
                                {"reason", VbText(r.routine.refusal, r.codePage)}};
            if (r.routine.copy > 0) refusal["copy"] = static_cast<std::int64_t>(r.routine.copy + 1);
            refusals.push_back(refusal);
        }
        JsonNode files = JsonNode::array();
        for (const std::string& f : written) files.push_back(MessageText(f, run));
        JsonNode readOnly = JsonNode::array();
        for (const std::string& f : skipped) readOnly.push_back(MessageText(f, run));
        JsonNode object{{"dryRun", context.dryRun},
                           {"changed", files},
                           {"skipped", readOnly},
                           {"refused", refusals},
                           {"errors", BrokenModulesJson(broken)}};
        if (context.dryRun) object["diff"] = std::string(diff);  // UTF-8 already
        WriteJson(context.out, object);
    }
};

}  // namespace

QV_REGISTER_COMMAND("tidy", TidyCommand);

}  // namespace qv::cli
