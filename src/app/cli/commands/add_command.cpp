// qvaddin add <target>: inserts the standard error handler. With --routine
// or --line: into the routine at that place, as the code window's command;
// with --module: into every routine of the module; with neither: into every
// routine of the project. Routines that refuse a handler (they need none, or
// hold error handling already) are reported with the reason.

#include "app/cli/commands/code_change_command.h"

namespace qv::cli {

namespace {

class AddCommand : public CodeChangeCommand {
  public:
    std::string Name() const override { return "add"; }
    std::string Summary() const override {
        return "Insert the standard error handler into routines (--routine, --module or the "
               "project).";
    }

  protected:
    std::string Details() const override {
        return "A routine refuses the handler when it needs none (the omit setting), already "
               "holds\n"
               "the standard On Error line, or holds some other On Error statement.";
    }
    void Prepare(CommandContext& context) override { RefuseUnsafeSettings(RunSettings(context)); }
    std::string_view Action() const override { return "add"; }
};

}  // namespace

QV_REGISTER_COMMAND("add", AddCommand);

}  // namespace qv::cli
