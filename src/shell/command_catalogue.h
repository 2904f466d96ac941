#pragma once
// Every user command, once: a stable id, the name scripts and the command
// line use, and the verb the menus carry. The menus' dispatcher, the hot keys,
// the command line and the main window's buttons all run a command through
// Execute with what the IDE gives it: the root, and through it the active
// code pane and its cursor, the selected component and the active project;
// or with an explicit target (the command line, the language server).
//
//     shell::CommandContext context{.vbe = vbe, .settings = settings::LoadSettings()};
//     const shell::CommandResult result = shell::Execute(shell::CommandId::ModuleTidy, context);

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "host/code_host.h"
#include "settings/settings_record.h"
#include "shell/command_target.h"
#include "shell/routine_run.h"

namespace qv::shell {

enum class CommandId {
    // The menus' verbs.
    CodeAdd,
    CodeLine,
    CodeTidy,
    CodeComment,
    ModuleAdd,
    ModuleLine,
    ModuleTidy,
    ProjectAdd,
    ProjectLine,
    ProjectTidy,
    CloseWindows,
    Find,
    Check,
    Tool,
    // Our own: taking handlers out, renewing them, taking numbers off.
    CodeRemove,
    CodeReplace,
    CodeUnnumber,
    ModuleRemove,
    ModuleReplace,
    ModuleUnnumber,
    ProjectRemove,
    ProjectReplace,
    ProjectUnnumber,
};

// What a command works on.
enum class CommandScope {
    Routine,  // the routine at the cursor of the active code pane
    Module,   // the component selected in the active project
    Project,  // the active project
    Ide,      // the IDE's windows
};

struct CommandInfo {
    CommandId id;
    std::string_view name;  // stable: "module.tidy"
    std::string_view verb;  // the menu verb ("module tidy"); "" for a command of our own
    CommandScope scope;
};

const std::vector<CommandInfo>& Catalogue();
const CommandInfo& Info(CommandId id);
// The command of a menu verb (exact, as the dispatcher compares), or of a
// stable name; nothing for any other text.
std::optional<CommandId> CommandOfVerb(std::string_view verb);
std::optional<CommandId> CommandNamed(std::string_view name);
// The command of an action ("add", "line", "tidy", "remove", "replace",
// "unnumber") at a scope of code: routine, module or project.
CommandId ScopedCommand(CommandScope scope, std::string_view action);

// The windows a command opens, which the GUI provides; a program without
// them leaves them empty and the command reports that it is not available.
struct CommandWindows {
    std::function<void()> showFind;
    // The main window: display type 1 (the full interface) or 2 (the error
    // handling check).
    std::function<void(int displayType)> showMainWindow;
};

// Whether a program with these windows can run the command: one that opens
// a window needs that window's hook.
bool Offered(CommandId id, const CommandWindows& windows);

// The run's settings as a command context holds them: there is no context
// without them, since a caller that forgot them would have every engine
// work with empty templates and labels.
class RunSettings : public settings::SettingsRecord {
  public:
    RunSettings() = delete;
    // Implicit, so that a record is given as it is: .settings = record.
    RunSettings(settings::SettingsRecord record)  // NOLINT(google-explicit-constructor)
        : settings::SettingsRecord(std::move(record)) {}
};

struct CommandContext {
    host::VBE& vbe;
    CommandWindows windows = {};
    // Module and project runs: what becomes of a module whose run fails.
    OnModuleFailure onModuleFailure = OnModuleFailure::PassUp;
    // Project runs: told of each module as soon as its run ends.
    ModuleDone onModuleDone = {};
    // Project runs of add, number and tidy: several modules at once on the
    // machine's cores (RunOnProject's sideBySide), for a caller whose host
    // allows it and that shows no progress (the command line).
    bool modulesSideBySide = false;
    // Remove and replace: also handlers with lines of the user's own, as the
    // main window does once the user confirmed.
    bool force = false;
    // Off for a caller that reports the outcomes itself (the command line):
    // refusals are then not shown as messages.
    bool showMessages = true;
    // What the command works on, named outright; without it, where the
    // IDE's selection stands (the cursor of the active code pane, the
    // selected component, the active project), as the menus and hot keys
    // run it. A target's code window command leaves the pane's cursor alone.
    std::optional<CommandTarget> target = std::nullopt;
    // The run's settings, loaded once by whoever starts the run
    // (settings::LoadSettings) and read by every engine the command runs;
    // required.
    RunSettings settings;
};

struct CommandResult {
    // False when the command needs a window this program does not offer;
    // nothing was done then.
    bool available = true;
    // What was done to each module and routine (the routine at the cursor
    // for a code window command; none when the cursor stood outside every
    // routine).
    RunOutcome run;
};

// Runs the command as the menus' dispatcher does, messages shown through the
// services where the IDE's add-in shows them. Unexpected errors pass up
// with the command's location.
CommandResult Execute(CommandId id, CommandContext& context);

}  // namespace qv::shell
