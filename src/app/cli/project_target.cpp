#include "app/cli/project_target.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>

#include "app/cli/vb_text.h"
#include "host/files/workspace_saver.h"
#include "host/host_constants.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "settings/settings_operations.h"
#include "workspace/saving.h"

namespace qv::cli {

namespace {

using workspace::SelectionError;
using workspace::SelectionRequest;
using Kind = workspace::SelectionError::Kind;

const Option kProjectOption{
    {"project"},
    "The project to work on alone (default: every project the targets name, of a group its "
    "startup project; list and check: every project).",
    "name"};
const Option kModuleOption{{"module"}, "The module (component) to work on, by name.", "name"};
const Option kRoutineOption{
    {"routine"}, "The routine to work on; a property accessor as name:Get, name:Let or name:Set.",
    "name[:kind]"};
const Option kLineOption{{"line"}, "The cursor line in the module's code window (1-based).", "n"};

// A decimal number with an optional sign, blanks around it allowed; ok
// false for anything else, or a number too large.
long LineNumber(const std::string& value, bool& ok) {
    const size_t first = value.find_first_not_of(" \t\n\v\f\r");
    const size_t last = value.find_last_not_of(" \t\n\v\f\r");
    std::string_view digits = first == std::string::npos
                                  ? std::string_view()
                                  : std::string_view(value).substr(first, last - first + 1);
    const bool plus = digits.starts_with('+');
    if (plus) digits.remove_prefix(1);
    long number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    ok = !digits.empty() && error == std::errc() && end == digits.data() + digits.size() &&
         !(plus && digits.starts_with('-'));
    return ok ? number : 0;
}

[[noreturn]] void BadInput(const std::string& message) {
    throw CliError(kExitBadInput, message);
}
[[noreturn]] void Usage(const std::string& message) {
    throw CliError(kExitUsage, message);
}

std::string Names(const std::vector<std::string>& names) {
    constexpr size_t kShown = 12;
    std::string text;
    for (size_t i = 0; i < names.size() && i < kShown; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > kShown) text += ", ... (" + std::to_string(names.size()) + " in all)";
    return text;
}

// The message of a selection that does not fit, with the option to change.
std::string SelectionMessage(const LoadedTarget& target, const SelectionError& e) {
    const std::string at = target.PathsText() + ": ";
    switch (e.kind) {
        case Kind::NoProjectLoaded:
            return at + "no project was loaded";
        case Kind::UnknownProject:
            return at + "there is no project named \"" + e.project +
                   "\"; the projects are: " + Names(e.choices);
        case Kind::BrokenModule:
            return "module " + e.module + " could not be loaded: " + e.detail;
        case Kind::UnknownModule:
            return at + "project " + e.project + " has no module named \"" + e.module + "\"" +
                   (e.choices.empty() ? "" : "; its modules are: " + Names(e.choices));
        case Kind::UnknownRoutine:
            return at + "there is no routine \"" + e.routine + "\" in " +
                   (e.module.empty() ? "project " + e.project : "module " + e.module) +
                   "; 'qvaddin list' shows the routines";
        case Kind::RoutineInSeveralModules:
            return at + "routine \"" + e.routine + "\" is in several modules (" + Names(e.choices) +
                   "); name one with --module";
        case Kind::SeveralAccessors:
            return at + "property " + e.routine + " in module " + e.module +
                   " has several accessors; name one as " + e.routine + ":Get, :Let or :Set";
        case Kind::LineWithoutModule:
            return "--line needs --module (or --routine)";
        case Kind::NoCode:
            return at + e.module + " holds no code";
        case Kind::LinePastEnd:
            return at + "--line " + std::to_string(e.line) + " is past the end of module " +
                   e.module + ", which has " + std::to_string(e.lines) + " lines";
        case Kind::LineOutsideRoutine:
            return at + "line " + std::to_string(e.line) + " of " + e.module +
                   " is not in routine " + e.routine + "; give --routine or --line alone";
    }
    return at + "the selection does not fit the target";
}

Selection Selected(const LoadedTarget& target, std::variant<Selection, SelectionError> result) {
    if (auto* error = std::get_if<SelectionError>(&result)) {
        const std::string message = SelectionMessage(target, *error);
        if (error->kind == Kind::LineWithoutModule) Usage(message);
        BadInput(message);
    }
    return std::get<Selection>(std::move(result));
}

// name[:Get|:Let|:Set] into the request; "" when it is well formed, else
// what is wrong with it.
std::string ParseRoutine(const std::string& value, SelectionRequest& request) {
    const size_t colon = value.rfind(':');
    request.routine = value.substr(0, colon);
    if (colon != std::string::npos) {
        const std::string kind = text::ToLower(value.substr(colon + 1));
        if (kind == "get")
            request.routineKind = host::vbext_pk_Get;
        else if (kind == "let")
            request.routineKind = host::vbext_pk_Let;
        else if (kind == "set")
            request.routineKind = host::vbext_pk_Set;
        else
            return "--routine " + value + ": the kind after ':' is Get, Let or Set";
    }
    if (text::Trim(request.routine).empty()) return "--routine needs a routine name";
    return "";
}

std::string ParseLine(const std::string& value, SelectionRequest& request) {
    bool ok = false;
    request.line = LineNumber(value, ok);
    if (!ok || request.line < 1) return "--line " + value + ": give a line number from 1 up";
    return "";
}


}  // namespace

void AddTargetOptions(OptionParser& parser) {
    parser.AddOption(kProjectOption);
    parser.AddOption(kModuleOption);
    parser.AddOption(kRoutineOption);
    parser.AddOption(kLineOption);
    parser.AddPositionalArgument("target", "A .vbp project, a .vbg project group, or module files.",
                                 "<target>...");
}

std::unique_ptr<LoadedTarget> LoadTarget(CommandContext& context) {
    return LoadTarget(context, context.arguments);
}

std::unique_ptr<LoadedTarget> LoadTarget(CommandContext& context, const std::vector<std::string>& paths,
                                         bool checkProcedures, bool deferCode,
                                         host::files::CodeFilter codeFilter,
                                         host::files::ModuleLoaded moduleLoaded) {
    if (paths.empty()) {
        Usage("name a target: a .vbp project, a .vbg project group or module files");
    }
    std::vector<std::string> local;
    for (const std::string& p : paths) local.push_back(LocalPath(p));
    const text::CodePage run = RunCodePage(context);
    // A command that loaded no settings reads the largest file on its own.
    const settings::SettingsRecord* loaded = context.settings ? &*context.settings : nullptr;
    workspace::OpenResult opened = workspace::Open(
        local, {.checkProcedures = checkProcedures,
                .largestFile = loaded != nullptr ? settings::LargestModuleFileBytes(loaded->modulemb)
                                                 : settings::LargestModuleFileBytes(),
                .deferCode = deferCode,
                .codeFilter = std::move(codeFilter),
                .moduleLoaded = std::move(moduleLoaded),
                .codePage = run,
                .tabWidth = RunTabWidth(context).HostWidth()});
    if (!opened.target) BadInput(opened.error);
    for (const std::string& warning : opened.target->Warnings()) {
        context.err << "qvaddin: warning: " << MessageUtf8(warning, run) << '\n';
    }
    return std::move(opened.target);
}

Selection SelectTarget(CommandContext& context, LoadedTarget& target) {
    SelectionRequest request;
    if (context.parser.IsSet(kProjectOption)) request.project = context.parser.Value(kProjectOption);
    if (context.parser.IsSet(kModuleOption)) request.module = context.parser.Value(kModuleOption);
    // A malformed value is reported after what the selectors before it
    // find wrong, as the selectors are read in order.
    const auto parse = [&](const Option& option, auto parseValue) {
        if (!context.parser.IsSet(option)) return;
        const SelectionRequest before = request;
        const std::string problem = parseValue(context.parser.Value(option), request);
        if (problem.empty()) return;
        Selected(target, workspace::Select(target, before));
        Usage(problem);
    };
    parse(kRoutineOption, ParseRoutine);
    parse(kLineOption, ParseLine);
    return Selected(target, workspace::Select(target, request));
}

void RunAtEachCopy(CommandContext& context, const Selection& selection,
                   const std::function<void(const shell::CommandTarget&)>& run) {
    host::memory::MemoryComponent& component = *selection.component;
    host::CodeModule* code = component.Code();
    if (code == nullptr || selection.routine.empty() || context.parser.IsSet(kLineOption)) {
        run(shell::CommandTarget::Line(component, selection.line));
        return;
    }
    const long copies = std::max(1L, code->ProcCopies(selection.routine, selection.routineKind));
    for (long copy = 0; copy < copies; ++copy) {
        long declaration = 0;
        {
            // Read again for each: the copies above may have grown.
            const host::ProcCopyScope scope(*code, selection.routine, copy);
            declaration = code->ProcBodyLine(selection.routine, selection.routineKind);
        }
        // The copy as the module spells it, with the kind of its accessor.
        const std::optional<analysis::RoutineEntry> routine =
            shell::RoutineAtLine(*code, declaration);
        run(routine ? shell::CommandTarget::Routine(component, *routine)
                    : shell::CommandTarget::Line(component, declaration));
    }
}

namespace {

void PrintDiff(std::ostream& out, const std::string& diff, text::CodePage page) {
    // Most diffs are ASCII, and a large one is not copied to be printed.
    if (text::IsAscii(diff)) {
        out << diff;
    } else {
        out << DiffUtf8(diff, page);
    }
}

}  // namespace

int SaveChanges(CommandContext& context, LoadedTarget& target, std::vector<std::string>* written,
                host::files::ModuleStaging* staging) {
    const text::CodePage run = RunCodePage(context);
    if (!context.dryRun) {
        // A command that writes into the target's folders clears what a
        // killed run left there; work that only reads leaves them alone.
        for (const std::string& leftover : host::files::RemoveLeftoverTempFiles(target.Files())) {
            context.err << "qvaddin: note: removed " << DisplayMessage(leftover, run)
                        << ", a temporary file that an interrupted run left behind\n";
        }
    }
    const workspace::SaveResult saved =
        staging != nullptr ? (context.dryRun ? workspace::PreviewChanges(target, *staging)
                                             : workspace::SaveChangesOnce(target, *staging))
        : context.dryRun   ? workspace::PreviewChanges(target)
                           : workspace::SaveChangesOnce(target);
    for (const workspace::DroppedAttribute& dropped : saved.dropped) {
        context.err << "qvaddin: warning: " << DisplayMessage(dropped.path, run)
                    << ": the attribute line \"" << DisplayText(dropped.line, dropped.codePage)
                    << "\" is left out: its member is no longer declared\n";
    }
    if (!saved.Ok()) BadInput(saved.error);
    for (const workspace::FileDiff& file : saved.diffs) {
        // A staged run's diffs are read back one at a time as they are printed.
        if (file.staging != nullptr) {
            PrintDiff(context.out, file.Text(), file.codePage);
        } else {
            PrintDiff(context.out, file.diff, file.codePage);
        }
    }
    if (written != nullptr) written->insert(written->end(), saved.paths.begin(), saved.paths.end());
    return kExitOk;
}

std::unique_ptr<host::files::ModuleStaging> StageModules(const CommandContext& context,
                                                         LoadedTarget& target) {
    // A dry run stages each module's diff, a run that writes its new text.
    if (context.dryRun) {
        return std::make_unique<host::files::ModuleStaging>(target.Files(), workspace::DiffOf);
    }
    return std::make_unique<host::files::ModuleStaging>(target.Files());
}

shell::ModuleDone StageEachModule(LoadedTarget& target, host::files::ModuleStaging* staging) {
    if (staging == nullptr) return {};
    return [&target, staging](shell::ModuleOutcome& module) {
        auto& component = static_cast<host::memory::MemoryComponent&>(*module.component);
        const host::files::ModuleFile* file = target.Files().FileOf(component);
        if (file != nullptr && staging->Stage(*file)) component.ReleaseCode();
    };
}

}  // namespace qv::cli
