#include "shell/command_catalogue.h"

#include <algorithm>

#include "errorhandling/messages.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "shell/code_window_commands.h"
#include "shell/handler_change.h"
#include "shell/module_commands.h"
#include "shell/window_utilities.h"

namespace qv::shell {

namespace {

using enum CommandId;
using enum CommandScope;

const std::vector<CommandInfo> kCatalogue = {
    {CodeAdd, "code.add", "code add", Routine},
    {CodeLine, "code.line", "code line", Routine},
    {CodeTidy, "code.tidy", "code tidy", Routine},
    {CodeComment, "code.comment", "code comment", Routine},
    {ModuleAdd, "module.add", "module add", Module},
    {ModuleLine, "module.line", "module line", Module},
    {ModuleTidy, "module.tidy", "module tidy", Module},
    {ProjectAdd, "project.add", "project add", Project},
    {ProjectLine, "project.line", "project line", Project},
    {ProjectTidy, "project.tidy", "project tidy", Project},
    {CloseWindows, "ide.close-windows", "close windows", Ide},
    {Find, "ide.find", "find", Ide},
    {Check, "project.check", "check", Project},
    {Tool, "ide.tool", "tool", Ide},
    {CodeRemove, "code.remove", "", Routine},
    {CodeReplace, "code.replace", "", Routine},
    {CodeUnnumber, "code.unnumber", "", Routine},
    {ModuleRemove, "module.remove", "", Module},
    {ModuleReplace, "module.replace", "", Module},
    {ModuleUnnumber, "module.unnumber", "", Module},
    {ProjectRemove, "project.remove", "", Project},
    {ProjectReplace, "project.replace", "", Project},
    {ProjectUnnumber, "project.unnumber", "", Project},
};

// Remove, replace and unnumber: one action for every scope.
RoutineAction OwnAction(CommandId id, const settings::SettingsRecord& settings, bool force) {
    switch (id) {
        case CodeRemove:
        case ModuleRemove:
        case ProjectRemove:
            return [force, &settings](host::CodeModule& m, const analysis::RoutineEntry& r) {
                return ChangeHandler(m, r, settings, HandlerChange::Remove, force);
            };
        case CodeReplace:
        case ModuleReplace:
        case ProjectReplace:
            return [force, &settings](host::CodeModule& m, const analysis::RoutineEntry& r) {
                return ChangeHandler(m, r, settings, HandlerChange::Replace, force);
            };
        default:
            return Unnumber;
    }
}

// The status window's titles of our own module and project runs.
std::string OwnTitle(CommandId id) {
    switch (id) {
        case ModuleRemove:
            return "Removing Module Error Handling from ";
        case ProjectRemove:
            return "Removing Project Error Handling from ";
        case ModuleReplace:
            return "Replacing Module Error Handling in ";
        case ProjectReplace:
            return "Replacing Project Error Handling in ";
        case ModuleUnnumber:
            return "Removing Module Line Numbers from ";
        case ProjectUnnumber:
            return "Removing Project Line Numbers from ";
        default:
            return {};
    }
}

// The module a code window command works on: the target's, else that of
// the active code pane; nothing without one.
host::CodeModule* CommandModule(const CommandContext& context) {
    if (context.target) {
        host::VBComponent* component = context.target->component;
        return component != nullptr ? component->CodeModule() : nullptr;
    }
    host::CodePane* pane = context.vbe.ActiveCodePane();
    return pane != nullptr ? &pane->CodeModule() : nullptr;
}

// A code window command on its module (nothing without one); its refusal
// shown as the add-in shows it.
CommandResult OnCommandModule(CommandContext& context,
                              const std::function<RoutineOutcome(host::CodeModule&)>& command) {
    CommandResult result;
    host::CodeModule* module = CommandModule(context);
    if (module == nullptr) return result;
    ModuleOutcome outcome;
    outcome.component = &module->Parent();
    // The command's edits are one group, which the workbench undoes in one
    // step; an error keeps what was changed, as a module run does.
    host::EditTransaction edits(*module);
    RoutineOutcome routine;
    try {
        routine = command(*module);
    } catch (...) {
        edits.Commit();
        throw;
    }
    edits.Commit();
    if (context.showMessages) ShowCursorRefusal(routine);
    result.run.refused = routine.message != 0;
    // Outside every routine an outcome that did nothing names none.
    if (!routine.name.empty() || !routine.refusal.empty() || routine.changed) {
        outcome.routines.push_back(std::move(routine));
    }
    result.run.modules.push_back(std::move(outcome));
    return result;
}

// A code window command with the cursor outside every routine (in the
// declarations section, or below the last line): it ran on nothing.
bool RanOnNoRoutine(const CommandResult& result) {
    return !result.run.refused && result.run.modules.size() == 1 &&
           result.run.modules.front().routines.empty();
}

// The routine a code window command works on, resolved once: the target's
// routine, or the one at its line; without a target, the one at the cursor.
RoutineOutcome OnTargetRoutine(const CommandTarget& target, host::CodeModule& module,
                               CursorCommand command, const settings::SettingsRecord& settings,
                               const RoutineAction& action) {
    const std::optional<analysis::RoutineEntry> routine =
        target.routine ? target.routine
        : target.line > 0 ? RoutineAtLine(module, target.line)
                          : std::nullopt;
    return RunOnRoutine(module, routine, command, settings, action);
}

CommandResult RunAtCursorOf(CommandContext& context, CursorCommand command,
                            const RoutineAction& action = {}) {
    CommandResult result = OnCommandModule(context, [&](host::CodeModule& module) {
        return context.target
                   ? OnTargetRoutine(*context.target, module, command, context.settings, action)
                   : RunAtCursor(module, command, context.settings, action);
    });
    // The IDE's add-in stops there without a word, which leaves the user
    // guessing; the message of its own for it says why. Tidy has the
    // declarations section to work on there.
    if (context.showMessages && command != CursorCommand::Tidy && RanOnNoRoutine(result)) {
        errorhandling::MyMsgBox(errorhandling::kSelectProcedureMessage, mb::kOkOnly, false);
    }
    return result;
}

CommandResult Comment(CommandContext& context) {
    return OnCommandModule(context, [&](host::CodeModule& module) {
        return context.target ? CommentLine(module, context.target->line, context.settings)
                              : CommentAtCursor(context.vbe, context.settings);
    });
}

// The module of a module command: the target's (a routine's or a line's
// module too). A target is the whole of what the command works on, so one
// that names no module gives none rather than the IDE's selection.
host::VBComponent* TargetComponent(const CommandContext& context) {
    if (!context.target) return nullptr;
    if (context.target->component == nullptr) {
        Raise(err::kObjectRequired, "The command's target names no module");
    }
    return context.target->component;
}

host::VBProject* TargetProject(const CommandContext& context) {
    if (!context.target) return nullptr;
    if (context.target->project != nullptr) return context.target->project;
    host::VBComponent* component = context.target->component;
    return component != nullptr ? &component->Collection().Parent() : nullptr;
}

// A module or project run; a read-only target module is refused with
// message 4 before anything is shown, as the menus' dispatcher does.
CommandResult ShownRun(CommandContext& context, RunOutcome run) {
    if (run.refused && context.showMessages) {
        errorhandling::MyMsgBox(errorhandling::kReadOnlyMessage, mb::kOkOnly, false);
    }
    CommandResult result;
    result.run = std::move(run);
    return result;
}

CommandResult RunVerb(CommandContext& context, ModuleCommand command, bool project) {
    return ShownRun(context, project ? RunProjectCommand(context.vbe, command, context.settings,
                                                         context.onModuleFailure,
                                                         TargetProject(context),
                                                         context.onModuleDone,
                                                         context.modulesSideBySide)
                                     : RunModuleCommand(context.vbe, command, context.settings,
                                                        context.onModuleFailure,
                                                        TargetComponent(context)));
}

CommandResult RunOwn(CommandContext& context, CommandId id, bool project) {
    const RoutineAction action = OwnAction(id, context.settings, context.force);
    return ShownRun(context, project ? RunOnProject(context.vbe, OwnTitle(id), action,
                                                    context.onModuleFailure, TargetProject(context),
                                                    context.onModuleDone)
                                     : RunOnModule(context.vbe, OwnTitle(id), action,
                                                   context.onModuleFailure,
                                                   TargetComponent(context)));
}

CommandResult Unavailable() {
    CommandResult result;
    result.available = false;
    return result;
}

}  // namespace

const std::vector<CommandInfo>& Catalogue() {
    return kCatalogue;
}

const CommandInfo& Info(CommandId id) {
    return *std::find_if(kCatalogue.begin(), kCatalogue.end(),
                         [id](const CommandInfo& c) { return c.id == id; });
}

std::optional<CommandId> CommandOfVerb(std::string_view verb) {
    for (const CommandInfo& c : kCatalogue) {
        if (!c.verb.empty() && c.verb == verb) return c.id;
    }
    return std::nullopt;
}

std::optional<CommandId> CommandNamed(std::string_view name) {
    for (const CommandInfo& c : kCatalogue) {
        if (c.name == name) return c.id;
    }
    return std::nullopt;
}

CommandId ScopedCommand(CommandScope scope, std::string_view action) {
    const std::string_view prefix = scope == Routine  ? "code."
                                    : scope == Module ? "module."
                                                      : "project.";
    const std::optional<CommandId> id = CommandNamed(std::string(prefix) + std::string(action));
    if (!id) Raise(err::kInvalidProcedureCall, "no command " + std::string(action));
    return *id;
}

bool Offered(CommandId id, const CommandWindows& windows) {
    switch (id) {
        case Find:
            return static_cast<bool>(windows.showFind);
        case Check:
        case Tool:
            return static_cast<bool>(windows.showMainWindow);
        default:
            return true;
    }
}

CommandResult Execute(CommandId id, CommandContext& context) try {
    host::VBE& vbe = context.vbe;
    switch (id) {
        case CodeAdd:
            return RunAtCursorOf(context, CursorCommand::Add);
        case CodeLine:
            return RunAtCursorOf(context, CursorCommand::Line);
        case CodeTidy:
            return RunAtCursorOf(context, CursorCommand::Tidy);
        case CodeComment:
            return Comment(context);
        case ModuleAdd:
            return RunVerb(context, ModuleCommand::Add, false);
        case ModuleLine:
            return RunVerb(context, ModuleCommand::Line, false);
        case ModuleTidy:
            return RunVerb(context, ModuleCommand::Tidy, false);
        case ProjectAdd:
            return RunVerb(context, ModuleCommand::Add, true);
        case ProjectLine:
            return RunVerb(context, ModuleCommand::Line, true);
        case ProjectTidy:
            return RunVerb(context, ModuleCommand::Tidy, true);
        case CloseWindows:
            DoHide(vbe, context.settings);
            return {};
        case Find:
            if (!Offered(id, context.windows)) return Unavailable();
            context.windows.showFind();
            return {};
        case Check:
        case Tool:
            if (!Offered(id, context.windows)) return Unavailable();
            context.windows.showMainWindow(id == Check ? 2 : 1);
            return {};
        case CodeRemove:
        case CodeReplace:
        case CodeUnnumber:
            return RunAtCursorOf(context, CursorCommand::Own, OwnAction(id, context.settings, context.force));
        case ModuleRemove:
        case ModuleReplace:
        case ModuleUnnumber:
            return RunOwn(context, id, false);
        case ProjectRemove:
        case ProjectReplace:
        case ProjectUnnumber:
            return RunOwn(context, id, true);
    }
    return {};
}
QV_PASS_UP("clsVBEEvents", "Execute")

}  // namespace qv::shell
