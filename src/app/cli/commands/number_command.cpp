// qvaddin number <target>: line numbers on routines. Old numbers are taken
// off and the body re-indented first; the closing line keeps its place.
// With --routine or --line: the routine at that place, as the code window's
// command; with --module: every routine of the module with its header, and
// the declarations tidied; with neither: every module of the project.

#include "app/cli/commands/code_change_command.h"

namespace qv::cli {

namespace {

class NumberCommand : public CodeChangeCommand {
  public:
    std::string Name() const override { return "number"; }
    std::string Summary() const override {
        return "Add line numbers to routines (old numbers are removed and the code re-indented "
               "first).";
    }

  protected:
    std::string Details() const override {
        return "Numbers every statement; the top of an error handler, comments, continuation "
               "lines\n"
               "and the exit part stay unnumbered. Terminate routines are re-indented but get no\n"
               "numbers. Module and project runs also lay out procedure headers (header setting)\n"
               "and tidy the declarations.";
    }
    std::string_view Action() const override { return "line"; }
};

}  // namespace

QV_REGISTER_COMMAND("number", NumberCommand);

}  // namespace qv::cli
