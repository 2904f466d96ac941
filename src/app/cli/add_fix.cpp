#include "app/cli/add_fix.h"

#include <variant>

#include "host/files/module_writer.h"
#include "platform/vb_error.h"
#include "shell/command_catalogue.h"

namespace qv::cli {

namespace {

using host::memory::MemoryCodeModule;

// Puts the module back as it was when it goes, whatever stopped the run.
class RestoreModule {
  public:
    explicit RestoreModule(MemoryCodeModule& module) : module_(module), saved_(module.Current()) {}
    ~RestoreModule() { module_.Restore(saved_); }
    RestoreModule(const RestoreModule&) = delete;
    RestoreModule& operator=(const RestoreModule&) = delete;

  private:
    MemoryCodeModule& module_;
    MemoryCodeModule::State saved_;
};

bool RoutineChanged(const shell::RunOutcome& outcome) {
    return !outcome.refused && !outcome.modules.empty() &&
           !outcome.modules.front().routines.empty() && !outcome.modules.front().failure &&
           outcome.modules.front().routines.front().changed;
}

}  // namespace

AddFix AddHandlerFix(LoadedTarget& target, host::memory::MemoryComponent& component,
                     const std::string& routine, int kind, long copy,
                     const settings::SettingsRecord& settings) {
    AddFix fix;
    const host::files::ModuleFile* file = target.Files().FileOf(component);
    if (file == nullptr || file->bytes == nullptr || component.Code() == nullptr) return fix;
    // The selection the command line makes for --project, --module and
    // --routine, which name things as text, and, for a later copy, --line at
    // its declaration.
    const text::CodePage page = component.TextCodePage();
    const auto& project = component.Owner().Project();
    long line = 0;
    if (copy > 0) {
        const host::ProcCopyScope scope(*component.Code(), routine, copy);
        line = component.Code()->ProcBodyLine(routine, kind);
    }
    const workspace::SelectionRequest request{
        .project = text::ToUtf8(project.Name(), project.TextCodePage()),
        .module = text::ToUtf8(component.Name(), page),
        .routine = text::ToUtf8(routine, page),
        .routineKind = kind,
        .line = line};
    if (!std::holds_alternative<workspace::Selection>(workspace::Select(target, request))) {
        return fix;
    }
    RestoreModule restore(*component.Code());
    try {
        shell::CommandContext command{.vbe = target.Vbe(),
                                      .onModuleFailure = shell::OnModuleFailure::KeepWhole,
                                      .showMessages = false,
                                      .settings = settings};
        const shell::RunOutcome outcome =
            shell::Execute(shell::ScopedCommand(shell::CommandScope::Routine, "add"), command).run;
        if (RoutineChanged(outcome)) {
            fix.change = FileChange{*file->bytes, host::files::RenderModuleFile(*file).bytes,
                                    component.TextCodePage()};
        }
    } catch (...) {
        fix.failure = CurrentAsVbError().ReportText();
    }
    return fix;
}

}  // namespace qv::cli
