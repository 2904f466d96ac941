// qvaddin remove <target>: takes out the error handlers that the system
// inserted (Top Status OK or IN ERROR; EXTRA CODE and IN ERROR & EXTRA CODE
// only with --force, as those hold lines of the user's own). Scopes as for
// add: --routine or --line, --module, or the whole project.

#include "app/cli/commands/code_change_command.h"

namespace qv::cli {

namespace {

const Option kForceOption{{"force"},
    "Also take out handlers with Top Status EXTRA CODE or IN ERROR & EXTRA CODE (the lines the "
    "user added to them go too), and handlers whose labels the routine's own code still uses."};

class RemoveCommand : public CodeChangeCommand {
  public:
    std::string Name() const override { return "remove"; }
    std::string Summary() const override {
        return "Remove the error handlers that qvaddin inserted (--force: EXTRA CODE too).";
    }

  protected:
    std::string Details() const override {
        return "Takes out handlers whose Top Status is OK or IN ERROR. Handlers holding lines of\n"
               "your own (EXTRA CODE) and handlers whose labels the routine's own code still "
               "jumps\n"
               "to are refused unless --force. Routines with other error handling are left alone.";
    }
    void AddCommandOptions(OptionParser& parser) const override {
        parser.AddOption(kForceOption);
    }
    void Prepare(CommandContext& context) override { force_ = context.parser.IsSet(kForceOption); }
    std::string_view Action() const override { return "remove"; }
};

}  // namespace

QV_REGISTER_COMMAND("remove", RemoveCommand);

}  // namespace qv::cli
