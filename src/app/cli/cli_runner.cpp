#include "app/cli/cli_runner.h"

#include <algorithm>
#include <ostream>

#include "app/cli/command.h"
#include "app/cli/json_text.h"
#include "app/cli/sarif_log.h"
#include "app/cli/vb_text.h"
#include "app/cli/unexpected_error.h"
#include "platform/vb_error.h"
#include "settings/bad_setting.h"
#include "settings/code_page_setting.h"
#include "settings/reg_settings.h"
#include "settings/settings_operations.h"
#include "settings/store_names.h"
#include "settings/store_problem.h"
#include "shell/process_start.h"

namespace qv::cli {

namespace {

const Option kFormatOption{
    {"format"}, "Output format: text (default), json, csv (stats) or sarif (check).", "format",
    "text"};
const Option kDryRunOption{{"dry-run"}, "Write nothing; print a unified diff of what would change."};
const Option kCodePageOption{
    {"code-page"},
    "The code page the VB files are written in (default: the stored setting codePage, else "
    "1252): 1252, 932, 936, 949, 950, 1250-1258, 874 or 65001; a file that is UTF-8 is read "
    "as UTF-8.",
    "n"};
const Option kHelpOption{{"h", "help"}, "Show this help."};
const Option kVersionOption{{"version"}, "Show the version."};

void AddGlobalOptions(OptionParser& parser) {
    parser.AddOption(kHelpOption);
    parser.AddOption(kVersionOption);
    parser.AddOption(kFormatOption);
    parser.AddOption(kDryRunOption);
    parser.AddOption(kCodePageOption);
}

std::string GeneralHelp() {
    std::string text =
        "Usage: qvaddin [--format text|json] [--dry-run] <command> [options] <target>\n\n"
        "A coding assistant for Visual Basic 5/6 code: judges, inserts and removes error\n"
        "handlers, numbers lines, re-indents, stamps comments, counts lines and finds text.\n"
        "A target is a .vbp project, a .vbg group, or module files (.bas .cls .frm .ctl\n"
        ".pag .dob .dsr).\n\nCommands:\n";
    auto commands = CommandRegistry();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [name, factory] : commands) {
        const std::string padding(name.size() < 12 ? 12 - name.size() : 0, ' ');
        text += "  " + name + padding + factory()->Summary() + "\n";
    }
    text +=
        "\nGlobal options:\n"
        "  --format text|json  output format (stats also takes csv; check takes sarif,\n"
        "                      SARIF 2.1.0 for code-scanning services)\n"
        "  --dry-run           change nothing; print a unified diff of what would change\n"
        "  --code-page N       the code page the VB files are written in: 1252 (default),\n"
        "                      932 Japanese, 936 Chinese (GBK), 949 Korean, 950 Big5,\n"
        "                      1250-1258, 874, 65001 UTF-8 (a UTF-8 file is read as UTF-8\n"
        "                      whatever the code page); 'qvaddin settings set codePage N'\n"
        "                      stores one. Names and search texts are matched as text in\n"
        "                      it; everything printed is UTF-8\n"
        "  --help              this help; 'qvaddin <command> --help' for a command\n"
        "  --version           the version\n\n"
        "Exit codes: 0 success, 1 findings, 2 wrong usage, 3 bad input, 4 internal error.\n"
        "With --format json a command that fails as a whole (2, 3, 4) also prints\n"
        "{\"error\": {\"code\": N, \"message\": \"...\"}} on standard output.\n";
    return text;
}

std::unique_ptr<Command> FindCommand(const std::string& name) {
    for (const auto& [registered, factory] : CommandRegistry()) {
        if (registered == name) return factory();
    }
    return nullptr;
}

// The add-in's process start without the registration, for a command (the
// commands read settings; --help and --version do not, and leave no
// settings file behind): a first run stores the defaults, a later version
// upgrades what an older one stored. A store that cannot be written is said
// once, here; the command still runs, on the defaults.
void StartSettings(std::ostream& err) {
    shell::CommandLineStart();
    const settings::CRegSettings& store = settings::SystemStore();
    if (const auto problem = settings::StoreProblem(store)) {
        err << "qvaddin: warning: " << *problem << '\n';
    } else if (!store.HasSetting(settings::kVersionSection, "")) {
        err << "qvaddin: warning: " << store.FilePath()
            << " cannot be written: the built-in defaults are used where it holds no value, "
               "and nothing is stored\n";
    }
}

OutputFormat ParseFormat(const std::string& value) {
    if (value == "text") return OutputFormat::Text;
    if (value == "json") return OutputFormat::Json;
    if (value == "csv") return OutputFormat::Csv;
    if (value == "sarif") return OutputFormat::Sarif;
    throw CliError(kExitUsage, "unknown --format '" + value +
                                   "': use text, json, csv or sarif");
}

std::optional<text::CodePage> ParseCodePageOption(const std::string& value) {
    std::string problem;
    const auto page = settings::ParseCodePageSetting(value, problem);
    if (!page) throw CliError(kExitUsage, "--code-page " + problem);
    return page;
}

// runPage: the run's code page once it is known, for the report of a failure.
int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
        settings::StringTable companyDefaults, std::optional<text::CodePage>& runPage) {
    OptionParser parser;
    AddGlobalOptions(parser);
    parser.AddPositionalArgument("command", "The command to run.");
    parser.Parse(arguments);  // tolerant: the command's own options are not known yet
    const std::vector<std::string>& positional = parser.PositionalArguments();
    if (positional.empty()) {
        if (parser.IsSet(kVersionOption)) {
            out << "qvaddin " << QVADDIN_VERSION << '\n';
            return kExitOk;
        }
        if (parser.IsSet(kHelpOption)) {
            out << GeneralHelp();
            return kExitOk;
        }
        err << GeneralHelp();
        return kExitUsage;
    }
    std::unique_ptr<Command> command = FindCommand(positional.front());
    if (!command) {
        throw CliError(kExitUsage, "unknown command '" + positional.front() +
                                       "'; 'qvaddin --help' lists the commands");
    }
    OptionParser commandParser;
    AddGlobalOptions(commandParser);
    commandParser.SetDescription(command->Summary());
    commandParser.AddPositionalArgument(command->Name(), command->Summary());
    command->AddOptions(commandParser);
    if (!commandParser.Parse(arguments)) {
        throw CliError(kExitUsage, commandParser.ErrorText() + "; 'qvaddin " + command->Name() +
                                       " --help' shows the options");
    }
    if (commandParser.IsSet(kHelpOption)) {
        out << commandParser.HelpText();
        return kExitOk;
    }
    // After the command's name (which an option of the command may have
    // taken as its value).
    const std::vector<std::string>& all = commandParser.PositionalArguments();
    std::vector<std::string> commandArguments(all.begin() + (all.empty() ? 0 : 1), all.end());
    CommandContext context{commandParser, std::move(commandArguments),
                           ParseFormat(commandParser.Value(kFormatOption)),
                           commandParser.IsSet(kDryRunOption), out, err};
    context.companyDefaults = companyDefaults;
    if (commandParser.IsSet(kCodePageOption)) {
        context.codePage = ParseCodePageOption(commandParser.Value(kCodePageOption));
    }
    if (!command->SupportsFormat(context.format)) {
        throw CliError(kExitUsage, "'" + command->Name() + "' has no " +
                                       commandParser.Value(kFormatOption) + " output");
    }
    struct KeepPage {  // whatever way the command leaves
        CommandContext& context;
        std::optional<text::CodePage>& page;
        ~KeepPage() { page = context.codePage; }
    } keep{context, runPage};
    StartSettings(err);
    return command->Run(context);
}

// The --format (or --format=) among the arguments: a command that fails as
// a whole then says so on standard output in that format as well, so that
// whoever reads it (a CI job uploading SARIF) gets a valid document.
std::string RequestedFormat(const std::vector<std::string>& arguments) {
    std::string format;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        for (const std::string option : {"--format", "-format"}) {
            if (a.starts_with(option + "=")) format = a.substr(option.size() + 1);
            if (a == option && i + 1 < arguments.size()) format = arguments[i + 1];
        }
    }
    return format;
}

// {"error": {"code": N, "message": "..."}}
void WriteJsonError(std::ostream& out, int code, const std::string& message, text::CodePage run) {
    const JsonNode error{{"code", code}, {"message", MessageUtf8(message, run)}};
    WriteJson(out, JsonNode{{"error", error}});
}

// A SARIF log of a run that failed as a whole: no results, and the failure
// as a tool execution notification of an unsuccessful invocation.
void WriteSarifFailure(std::ostream& out, const std::string& message, text::CodePage run) {
    SarifLog log(SarifRun{});
    log.AddFailure(MessageUtf8(message, run));
    log.Write(out);
}

void WriteFailure(std::ostream& out, const std::string& format, int code, const std::string& message,
                  text::CodePage run) {
    if (format == "json") WriteJsonError(out, code, message, run);
    if (format == "sarif") WriteSarifFailure(out, message, run);
}

int Failed(std::ostream& out, std::ostream& err, const std::string& format, int code,
           const std::string& message, text::CodePage run) {
    err << "qvaddin: " << MessageUtf8(message, run) << '\n';
    WriteFailure(out, format, code, message, run);
    return code;
}

}  // namespace

text::CodePage RunCodePage(CommandContext& context) {
    if (!context.codePage) {
        std::string problem;
        context.codePage = settings::StoredCodePage(problem);
        if (!context.codePage) throw CliError(kExitBadInput, problem);
    }
    return *context.codePage;
}

settings::TabWidth RunTabWidth(CommandContext& context) {
    if (!context.tabWidth) context.tabWidth = settings::StoredTabWidth();
    return *context.tabWidth;
}

const settings::SettingsRecord& RunSettings(CommandContext& context) {
    if (!context.settings) {
        settings::SettingsRecord record = settings::LoadSettings(context.companyDefaults);
        record.codePage = RunCodePage(context);
        record.tabWidth = RunTabWidth(context);
        context.settings = std::move(record);
    }
    return *context.settings;
}

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& errTarget,
           settings::StringTable companyDefaults) {
    // Nothing that reaches standard error (a path, a module name, an
    // argument in a message) can steer the terminal.
    ControlEscapingBuffer escaping(errTarget.rdbuf());
    std::ostream err(&escaping);
    const std::string format = RequestedFormat(arguments);
    std::optional<text::CodePage> runPage;
    const auto run = [&] { return runPage.value_or(text::CodePage::Windows1252()); };
    try {
        const int code = Run(arguments, out, err, companyDefaults, runPage);
        err.flush();
        return code;
    } catch (const CliError& e) {
        return Failed(out, err, format, e.Code(), e.what(), run());
    } catch (const VbError& e) {
        // A stored setting that is not a number is the user's to fix.
        if (const auto message = settings::DescribeSettingsError(e)) {
            return Failed(out, err, format, kExitBadInput, *message, run());
        }
        ReportUnexpectedError("qvaddin.RunCli", err);
        WriteFailure(out, format, kExitInternal, e.what(), run());
        return kExitInternal;
    } catch (...) {
        ReportUnexpectedError("qvaddin.RunCli", err);
        WriteFailure(out, format, kExitInternal, "an unexpected error; see the report", run());
        return kExitInternal;
    }
}

std::vector<std::pair<std::string, CommandFactory>>& CommandRegistry() {
    static std::vector<std::pair<std::string, CommandFactory>> registry;
    return registry;
}

CommandRegistration::CommandRegistration(const std::string& name, CommandFactory factory) {
    CommandRegistry().emplace_back(name, std::move(factory));
}

}  // namespace qv::cli
