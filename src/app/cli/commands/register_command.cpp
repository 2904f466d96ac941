// qvaddin register: writes the add-in's entry into the IDE's add-in list
// (vbaddin.ini in the workbench's configuration folder), which is what makes
// the workbench load the add-in.

#include <ostream>

#include "app/cli/command.h"
#include "app/cli/json_text.h"
#include "platform/vb_error.h"
#include "shell/process_start.h"

namespace qv::cli {

namespace {

std::string Q(std::string_view text) { return std::string(text); }

class RegisterCommand : public Command {
public:
    std::string Name() const override { return "register"; }
    std::string Summary() const override {
        return "Enter the add-in in the workbench's add-in list (vbaddin.ini).";
    }
    void AddOptions(OptionParser&) const override {}

    int Run(CommandContext& context) override {
        if (!context.arguments.empty()) {
            throw CliError(kExitUsage, "'register' takes no arguments");
        }
        const std::string file = shell::AddInListPath();
        shell::Registration done;
        try {
            done = context.dryRun ? shell::RegistrationPreview() : shell::RegisterAddIn();
        } catch (const VbError& e) {
            throw CliError(kExitBadInput, e.Description());
        }
        if (context.format == OutputFormat::Json) {
            const JsonNode object{
                {"file", std::string(file)},
                {"section", Q(shell::kAddInListSection)},
                {"key", Q(shell::kAddInKey)},
                {"value", "1"},
                {"previousEntryRemoved", done.previousEntryRemoved},
                {"changed", done.fileWritten},
                {"written", done.fileWritten && !context.dryRun}};
            context.out << JsonText(object, JsonLayout::Indented);
            return kExitOk;
        }
        if (!done.fileWritten) {
            context.out << "The add-in is registered in " << file << " already; nothing changed.\n";
            return kExitOk;
        }
        context.out << (context.dryRun ? "Would register" : "Registered") << " the add-in in "
                    << file << " ([" << shell::kAddInListSection << "] " << shell::kAddInKey
                    << "=1)";
        if (done.previousEntryRemoved) {
            context.out << (context.dryRun ? ", removing" : ", removed")
                        << " the previous generation's " << shell::kPreviousAddInKey;
        }
        context.out << ".\n";
        return kExitOk;
    }
};

}  // namespace

QV_REGISTER_COMMAND("register", RegisterCommand);

}  // namespace qv::cli
