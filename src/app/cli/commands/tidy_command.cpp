// qvaddin tidy <target>: re-indents code with one tab per level, takes line
// numbers off and condenses blank lines. With --routine or --line: the code
// window's tidy at that place (a line in the declarations tidies them); with
// --module: every routine of the module with its header, and its
// declarations; with neither: every module of the project.

#include <QJsonArray>
#include <algorithm>
#include <ostream>
#include <sstream>

#include "analysis/routine_parsing.h"
#include "app/cli/command.h"
#include "app/cli/module_keeper.h"
#include "app/cli/project_target.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "settings/settings_operations.h"
#include "shell/module_commands.h"
#include "tidy/module_lines.h"
#include "tidy/tidy_at_cursor.h"
#include "tidy/tidy_keywords.h"

namespace qv::cli {

namespace {

using host::memory::MemoryComponent;

void RefuseReadOnly(LoadedTarget& target, MemoryComponent& component) {
    if (analysis::IsReadOnly(component)) {
        throw CliError(kExitBadInput, ComponentFile(target, component) + ": module " +
                                          component.Name() +
                                          " is read-only; a read-only module cannot be updated");
    }
}

void RefuseWithoutCode(MemoryComponent& component) {
    if (component.Code() == nullptr) {
        throw CliError(kExitBadInput, "module " + component.Name() + " holds no code to tidy");
    }
}

// The code window's tidy; code it refuses (nested beyond any real code) is
// bad input, and nothing is written.
void TidyAtCursor(LoadedTarget& target, MemoryComponent& component) {
    try {
        tidy::TidyUpTheRoutine(*component.Code());
    } catch (const VbError& e) {
        if (e.Number() != err::kExpressionTooComplex) throw;
        throw CliError(kExitBadInput, ComponentFile(target, component) + ": module " +
                                          component.Name() + ": " + e.Description() +
                                          "; nothing was written");
    }
}

class TidyCommand : public Command {
public:
    QString Name() const override { return "tidy"; }
    QString Summary() const override {
        return "Re-indent code (one tab per level), remove line numbers, condense blank lines.";
    }
    void AddOptions(QCommandLineParser& parser) const override { AddTargetOptions(parser); }

    int Run(CommandContext& context) override {
        settings::GetSettings();
        auto target = LoadTarget(context);
        const Selection selection = SelectTarget(context, *target);
        tidy::ReadInTidy();
        const tidy::TabWidthRun widthRun;
        std::vector<std::string> skipped;
        if (selection.component != nullptr) {
            RefuseWithoutCode(*selection.component);
            RefuseReadOnly(*target, *selection.component);
        }
        shell::RunOutcome outcome;
        ModuleKeeper keeper(target->Files());
        if (!selection.routine.empty() || selection.line > 0) {
            TidyAtCursor(*target, *selection.component);
        } else if (selection.component != nullptr) {
            outcome = shell::RunModuleCommand(target->Vbe(), shell::ModuleCommand::Tidy, &keeper);
        } else {
            outcome = shell::RunProjectCommand(target->Vbe(), shell::ModuleCommand::Tidy, &keeper);
            for (const shell::ModuleOutcome& module : outcome.modules) {
                if (module.skipped == shell::Skip::ReadOnly) {
                    auto& component = static_cast<MemoryComponent&>(*module.component);
                    skipped.push_back(ComponentFile(*target, component));
                }
            }
        }
        ReportFailedModules(context.err, *target, outcome);
        const bool failed = std::any_of(outcome.modules.begin(), outcome.modules.end(),
                                        [](const auto& m) { return m.failure.has_value(); });
        std::vector<std::string> written;
        if (context.format == OutputFormat::Json) {
            // The diff of --dry-run goes into the JSON, not before it.
            std::ostringstream diff;
            CommandContext quiet{context.parser, context.arguments, context.format,
                                 context.dryRun, diff, context.err};
            SaveChanges(quiet, *target, &written);
            ReportJson(context, written, skipped, diff.str());
        } else {
            SaveChanges(context, *target, &written);
            Report(context, written, skipped, failed);
        }
        return failed ? kExitBadInput : kExitOk;
    }

private:
    static void Report(CommandContext& context, const std::vector<std::string>& written,
                       const std::vector<std::string>& skipped, bool failed) {
        for (const std::string& file : skipped) {
            context.err << "qvaddin: " << DisplayText(file) << " is read-only and was skipped\n";
        }
        if (context.dryRun) return;  // the diff says it all
        if (written.empty() && !failed) context.out << "Nothing to tidy: the code is tidy already.\n";
        for (const std::string& f : written) context.out << "tidied " << DisplayText(f) << '\n';
    }

    // {"dryRun", "changed": [files], "skipped": [read-only files], "diff"}
    static void ReportJson(CommandContext& context, const std::vector<std::string>& written,
                           const std::vector<std::string>& skipped, const std::string& diff) {
        QJsonArray files;
        for (const std::string& f : written) files.append(VbText(f));
        QJsonArray readOnly;
        for (const std::string& f : skipped) readOnly.append(VbText(f));
        QJsonObject object{{"dryRun", context.dryRun}, {"changed", files}, {"skipped", readOnly}};
        if (context.dryRun) object.insert("diff", VbText(diff));
        WriteJson(context.out, object);
    }
};

}  // namespace

QV_REGISTER_COMMAND("tidy", TidyCommand);

}  // namespace qv::cli
