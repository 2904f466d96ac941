#pragma once
// What every command that works on VB6 code shares: the options that name
// the target (a .vbp project, a .vbg group or module files) and the
// selectors --project, --module, --routine and --line, and the printing of
// what the workspace reports when it opens, selects and saves (or shows the
// diff on --dry-run).
//
//     void AddOptions(OptionParser& parser) const override { AddTargetOptions(parser); }
//     int Run(CommandContext& context) override {
//         auto target = LoadTarget(context);
//         const Selection selection = SelectTarget(context, *target);
//         ... work through target->Vbe() ...
//         return SaveChanges(context, *target);
//     }

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/command.h"
#include "host/files/workspace_saver.h"
#include "shell/command_target.h"
#include "shell/routine_run.h"
#include "workspace/loaded_target.h"
#include "workspace/selection.h"

namespace qv::cli {

using workspace::KeepTargetsUntilExit;
using workspace::LoadedTarget;
using workspace::Selection;

// --project NAME, --module NAME, --routine NAME[:Get|:Let|:Set], --line N,
// and the positional target.
void AddTargetOptions(OptionParser& parser);

// Loads the positional arguments of the command (all of them). No target:
// CliError exit 2. A file that is missing, unreadable or not what it says:
// CliError exit 3 naming the file and line. Warnings of the load (a project
// naming a missing file) go to context.err.
std::unique_ptr<LoadedTarget> LoadTarget(CommandContext& context);
// The same for the given paths (a command whose first argument is not a
// path). A command that only reads text may pass checkProcedures false: a
// module whose procedure lacks its End line is then loaded, not refused;
// such a command may also defer reading the code, and drop the bytes of
// modules whose code fails codeFilter as they are read (workspace::OpenOptions).
// moduleLoaded: called with each module as it is loaded (it may let the
// module's code go once it has taken what it needs).
std::unique_ptr<LoadedTarget> LoadTarget(CommandContext& context, const std::vector<std::string>& paths,
                                         bool checkProcedures = true, bool deferCode = false,
                                         host::files::CodeFilter codeFilter = {},
                                         host::files::ModuleLoaded moduleLoaded = {});

// Applies the selectors. The project is --project or the active (startup)
// one, and becomes the active project. A module (by name, case ignored)
// becomes the selected component, and its code pane the active one with the
// cursor on --line, else on the routine's declaration, else on line 1 — as
// the IDE's cursor would stand. --routine without --module finds the module
// that holds it. Unknown project, module or routine: CliError exit 3;
// malformed values: exit 2.
Selection SelectTarget(CommandContext& context, LoadedTarget& target);

// Runs a code window command on the routine of the selection: the routine
// at --line, or the one --routine names; when that routine is defined in
// full more than once (a copy in each branch of an #If), once per copy,
// each copy its own target.
void RunAtEachCopy(CommandContext& context, const Selection& selection,
                   const std::function<void(const shell::CommandTarget&)>& run);

// Writes every module whose file would change, each atomically; on
// --dry-run prints a unified diff of them to context.out and writes
// nothing. A changed module that is read-only: CliError exit 3 and no file
// is written. The paths written (or that would be) go to written when
// given. A run saves its target once, at its end: the target is not
// saved again after it. Returns kExitOk.
// staging: the modules a project run staged as it went (see StageModules).
int SaveChanges(CommandContext& context, LoadedTarget& target,
                std::vector<std::string>* written = nullptr,
                host::files::ModuleStaging* staging = nullptr);

// A project run stages each module as soon as its run ends: its new text
// goes to its temporary file (on --dry-run: its diff is made) and its code
// is let go, so that the run holds one module's new text at a time, not the
// whole project's. The temporary files go with the object unless
// SaveChanges writes them.
std::unique_ptr<host::files::ModuleStaging> StageModules(const CommandContext& context,
                                                         LoadedTarget& target);
// For shell::CommandContext::onModuleDone: stages each module done into
// staging (nothing when it is null).
shell::ModuleDone StageEachModule(LoadedTarget& target, host::files::ModuleStaging* staging);

}  // namespace qv::cli
