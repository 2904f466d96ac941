// qvaddin tidy <target>: re-indents code with one tab per level, takes line
// numbers off and condenses blank lines. With --routine or --line: the code
// window's tidy at that place (a line in the declarations tidies them); with
// --module: every routine of the module with its header, and its
// declarations; with neither: every module of the project.

#include <QJsonArray>
#include <ostream>
#include <sstream>

#include "analysis/routine_parsing.h"
#include "app/cli/command.h"
#include "app/cli/project_target.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "settings/settings_operations.h"
#include "linenumbers/ide_tab_width.h"
#include "platform/services.h"
#include "tidy/tidy_at_cursor.h"
#include "tidy/module_lines.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_routine.h"

namespace qv::cli {

namespace {

using host::memory::MemoryComponent;
using host::memory::MemoryProject;

// The progress line of a module or project run, on a terminal only.
class TidyProgress {
public:
    TidyProgress(const std::string& title, int modules)
        : window_(GetServices().GetStatusWindow()) {
        window_.SetTitle(title);
        window_.SetBarMax(0, modules);
        window_.SetBarVisible(0, modules > 1);
        window_.SetBarVisible(1, true);
        window_.Show();
    }
    ~TidyProgress() { window_.Unload(); }
    TidyProgress(const TidyProgress&) = delete;
    TidyProgress& operator=(const TidyProgress&) = delete;

    void Module(int done) { window_.SetBarValue(0, done); }
    void Routines(int count) { window_.SetBarMax(1, count); }
    void Routine(int done, std::string_view label) {
        window_.SetLabel(label);
        window_.SetBarValue(1, done);
    }

private:
    StatusWindow& window_;
};

// The module-wide tidy: the declarations, then every routine with its header.
void TidyModule(LoadedTarget& target, MemoryProject& project, MemoryComponent& component,
                TidyProgress& progress) {
    analysis::RoutineList routines;
    analysis::GetRoutineNames(target.Vbe(), project.Name(), component.Name(), routines, false);
    progress.Routines(static_cast<int>(routines.size()));
    host::CodeModule& module = *component.Code();
    for (size_t i = 0; i < routines.size(); ++i) {
        const analysis::RoutineEntry& r = routines[i];
        progress.Routine(static_cast<int>(i), component.Name() + ": " + r.name);
        if (r.name == analysis::kDeclarationsName) {
            tidy::Tidy_Declarations(module);
        } else {
            tidy::Tidy_Routine(module.Members().Item(r.name), r.kind, true);
        }
    }
}

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

// The host shows tabs with the IDE's tab width, as the IDE does.
void UseIdeTabWidth(LoadedTarget& target) {
    try {
        target.Vbe().SetTabWidth(linenumbers::UsableTabWidth(linenumbers::IdeTabWidth()));
    } catch (...) {
        // A stored width that is not a number: the host keeps its default.
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
        UseIdeTabWidth(*target);
        const tidy::TabWidthRun widthRun;
        std::vector<std::string> skipped;
        if (selection.component != nullptr) {
            RefuseWithoutCode(*selection.component);
            RefuseReadOnly(*target, *selection.component);
        }
        if (!selection.routine.empty() || selection.line > 0) {
            tidy::TidyUpTheRoutine(*selection.component->Code());
        } else if (selection.component != nullptr) {
            TidyProgress progress("Tidying Module " + selection.component->Name(), 1);
            TidyModule(*target, *selection.project, *selection.component, progress);
        } else {
            TidyProject(*target, *selection.project, skipped);
        }
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
            Report(context, written, skipped);
        }
        return kExitOk;
    }

private:
    // Every module of the project; read-only modules, related documents and
    // components without code are skipped, as the project command does.
    static void TidyProject(LoadedTarget& target, MemoryProject& project,
                            std::vector<std::string>& skipped) {
        const long count = project.Components().Count();
        TidyProgress progress("Tidying Project " + project.Name(), static_cast<int>(count));
        for (long i = 1; i <= count; ++i) {
            MemoryComponent& component = project.Components().At(i);
            progress.Module(static_cast<int>(i));
            if (analysis::IsReadOnly(component)) {
                skipped.push_back(ComponentFile(target, component));
                continue;
            }
            if (component.Type() == host::vbext_ct_RelatedDocument || component.Code() == nullptr) {
                continue;
            }
            TidyModule(target, project, component, progress);
        }
    }

    static void Report(CommandContext& context, const std::vector<std::string>& written,
                       const std::vector<std::string>& skipped) {
        for (const std::string& file : skipped) {
            context.err << "qvaddin: " << VbTextUtf8(file) << " is read-only and was skipped\n";
        }
        if (context.dryRun) return;  // the diff says it all
        if (written.empty()) context.out << "Nothing to tidy: the code is tidy already.\n";
        for (const std::string& f : written) context.out << "tidied " << VbTextUtf8(f) << '\n';
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
