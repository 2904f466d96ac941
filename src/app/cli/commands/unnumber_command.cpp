// qvaddin unnumber <target>: takes the line numbers off routines (and the
// indentation numbering put before the other lines), changing nothing else,
// so that numbers can come out before a commit. Scopes as for number.

#include "app/cli/commands/code_change_command.h"

namespace qv::cli {

namespace {

class UnnumberCommand : public CodeChangeCommand {
  public:
    std::string Name() const override { return "unnumber"; }
    std::string Summary() const override {
        return "Remove line numbers from routines and change nothing else.";
    }

  protected:
    std::string Details() const override {
        return "Takes the numbers off the lines from the declaration to the closing line, and the\n"
               "indentation that numbering put before the other lines; nothing else changes.";
    }
    std::string_view Action() const override { return "unnumber"; }
};

}  // namespace

QV_REGISTER_COMMAND("unnumber", UnnumberCommand);

}  // namespace qv::cli
