// qvaddin comment <target> --module M --line N: appends the change stamp (the
// comment text of the settings, with date, time and user filled in) to that
// line, as the code window's comment command does, and prints the new line.

#include <ostream>
#include <sstream>

#include "analysis/routine_parsing.h"
#include "app/cli/command.h"
#include "app/cli/commands/code_change_command.h"
#include "app/cli/project_target.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "settings/settings_operations.h"
#include "shell/command_catalogue.h"

namespace qv::cli {

namespace {

class CommentCommand : public Command {
  public:
    std::string Name() const override { return "comment"; }
    std::string Summary() const override {
        return "Append the dated change stamp to a line (--module M --line N).";
    }
    void AddOptions(OptionParser& parser) const override { AddTargetOptions(parser); }

    int Run(CommandContext& context) override {
        if (!context.parser.IsSet("line")) {
            throw CliError(kExitUsage, "comment needs the line to stamp: --module M --line N");
        }
        const settings::SettingsRecord& settings = RunSettings(context);
        RefuseUnsafeSettings(settings, {"insert"});
        auto target = LoadTarget(context);
        const Selection selection = SelectTarget(context, *target);
        host::memory::MemoryComponent& component = *selection.component;
        const text::CodePage page = component.TextCodePage();
        if (analysis::IsReadOnly(component)) {
            throw CliError(kExitBadInput, ComponentFile(*target, component) + ": module " +
                                              text::ToUtf8(component.Name(), page) +
                                              " is read-only; a read-only module cannot be updated");
        }
        shell::CommandContext command{
            .vbe = target->Vbe(),
            .showMessages = false,
            .target = shell::CommandTarget::Line(component, selection.line),
            .settings = settings};
        shell::Execute(shell::CommandId::CodeComment, command);
        const std::string line = component.Code()->Lines(selection.line, 1);

        std::ostringstream diff;
        CommandContext saving{context.parser, context.arguments, context.format, context.dryRun,
                              diff,           context.err,       context.codePage};
        SaveChanges(saving, *target);
        if (context.format == OutputFormat::Json) {
            JsonNode object{
                {"module", VbText(component.Name(), page)},
                {"file", MessageText(ComponentFile(*target, component), RunCodePage(context))},
                {"line", static_cast<std::int64_t>(selection.line)},
                {"text", VbText(line, page)},
                {"dryRun", context.dryRun}};
            // The diff is UTF-8 already.
            if (context.dryRun) object["diff"] = std::string(diff.str());
            WriteJson(context.out, object);
        } else {
            context.out << DisplayText(line, page) << '\n' << diff.str();
        }
        return kExitOk;
    }
};

}  // namespace

QV_REGISTER_COMMAND("comment", CommentCommand);

}  // namespace qv::cli
