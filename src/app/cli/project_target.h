#pragma once
// What every command that works on VB6 code shares: loading the target
// (a .vbp project, a .vbg group or module files) into the in-memory host,
// the selectors --project, --module, --routine and --line, and saving the
// changed modules (or printing their diff on --dry-run).
//
//     void AddOptions(QCommandLineParser& parser) const override { AddTargetOptions(parser); }
//     int Run(CommandContext& context) override {
//         auto target = LoadTarget(context);
//         const Selection selection = SelectTarget(context, *target);
//         ... work through target->Vbe() ...
//         return SaveChanges(context, *target);
//     }

#include <QCommandLineParser>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/command.h"
#include "host/files/workspace.h"
#include "host/memory/memory_vbe.h"

namespace qv::cli {

class LoadedTarget {
  public:
    LoadedTarget();
    ~LoadedTarget();
    LoadedTarget(const LoadedTarget&) = delete;
    LoadedTarget& operator=(const LoadedTarget&) = delete;

    host::memory::MemoryVbe& Vbe() { return *vbe_; }
    host::files::Workspace& Files() { return *workspace_; }
    const host::files::Workspace& Files() const { return *workspace_; }
    // The target arguments as given.
    const std::vector<std::string>& Paths() const { return paths_; }
    void SetPaths(std::vector<std::string> paths) { paths_ = std::move(paths); }

  private:
    std::unique_ptr<host::memory::MemoryVbe> vbe_;
    std::unique_ptr<host::files::Workspace> workspace_;
    std::vector<std::string> paths_;
};

// The command line ends its process once the command is done: a target loaded
// then need not be taken apart piece by piece (a large project's many small
// blocks take a noticeable part of a search's time to free). Tests, which run
// many commands in one process, leave this off.
void KeepTargetsUntilExit(bool keep);

// --project NAME, --module NAME, --routine NAME[:Get|:Let|:Set], --line N,
// and the positional target.
void AddTargetOptions(QCommandLineParser& parser);

// Loads the positional arguments of the command (all of them). No target:
// CliError exit 2. A file that is missing, unreadable or not what it says:
// CliError exit 3 naming the file and line. Warnings of the load (a project
// naming a missing file) go to context.err.
std::unique_ptr<LoadedTarget> LoadTarget(CommandContext& context);
// The same for the given paths (a command whose first argument is not a
// path). A command that only reads text may pass checkProcedures false: a
// module whose procedure lacks its End line is then loaded, not refused.
std::unique_ptr<LoadedTarget> LoadTarget(CommandContext& context, const QStringList& paths,
                                         bool checkProcedures = true);

struct Selection {
    host::memory::MemoryProject* project = nullptr;      // always set
    host::memory::MemoryComponent* component = nullptr;  // --module, or the routine's module
    std::string routine;                                 // "" when no routine was named
    int routineKind = 0;                                 // procedure kind of the routine
    long line = 0;                                       // the cursor line, 0 when none
};

// Applies the selectors. The project is --project or the active (startup)
// one, and becomes the active project. A module (by name, case ignored)
// becomes the selected component, and its code pane the active one with the
// cursor on --line, else on the routine's declaration, else on line 1 — as
// the IDE's cursor would stand. --routine without --module finds the module
// that holds it. Unknown project, module or routine: CliError exit 3;
// malformed values: exit 2.
Selection SelectTarget(CommandContext& context, LoadedTarget& target);

// Writes every module whose file would change, each atomically; on
// --dry-run prints a unified diff of them to context.out and writes
// nothing. A changed module that is read-only: CliError exit 3 and no file
// is written. The paths written (or that would be) go to written when
// given. Returns kExitOk.
int SaveChanges(CommandContext& context, LoadedTarget& target,
                std::vector<std::string>* written = nullptr);

}  // namespace qv::cli
