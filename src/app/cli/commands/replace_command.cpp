// qvaddin replace <target>: renews the error handlers from the current
// templates: the handler the system inserted is taken out and a new one put
// in; routines that need a handler and have none get one. Routines with
// other error handling (Top Status SOME) are left alone; EXTRA CODE handlers
// are renewed only with --force. Scopes as for add.

#include "app/cli/commands/code_change_command.h"

namespace qv::cli {

namespace {

const Option kForceOption{{"force"},
    "Also renew handlers with Top Status EXTRA CODE or IN ERROR & EXTRA CODE (the lines the "
    "user added to them are lost)."};

class ReplaceCommand : public CodeChangeCommand {
  public:
    std::string Name() const override { return "replace"; }
    std::string Summary() const override {
        return "Replace the error handlers with ones built from the current templates.";
    }

  protected:
    std::string Details() const override {
        return "Routines whose Top Status is not SOME get a handler built from the current\n"
               "templates: the old one is taken out first. A routine keeps its old handler when a\n"
               "new one would be refused (it holds an On Error statement of its own).";
    }
    void AddCommandOptions(OptionParser& parser) const override {
        parser.AddOption(kForceOption);
    }
    void Prepare(CommandContext& context) override {
        RefuseUnsafeSettings(RunSettings(context));
        force_ = context.parser.IsSet(kForceOption);
    }
    std::string_view Action() const override { return "replace"; }
};

}  // namespace

QV_REGISTER_COMMAND("replace", ReplaceCommand);

}  // namespace qv::cli
