#pragma once
// One command of the qvaddin command line ("list", "check", "tidy", ...).
// Each command lives in its own source file and registers itself with
// QV_REGISTER_COMMAND, so adding a command touches no shared list.

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/cli/option_parser.h"
#include "platform/code_page.h"
#include "settings/settings_record.h"
#include "settings/string_table.h"

namespace qv::cli {

// The same for every command.
enum ExitCode : int {
    kExitOk = 0,         // success
    kExitFindings = 1,   // the command found what it checks for (check)
    kExitUsage = 2,      // wrong usage: unknown command or option, missing argument
    kExitBadInput = 3,   // a missing or unreadable file, an unknown module, ...
    kExitInternal = 4,   // an unexpected error (with the error report)
};

enum class OutputFormat { Text, Json, Csv, Sarif };

// A failure the user can act on: the message names the file (and line) and
// says what to do. Thrown by commands and loaders, reported by the runner.
class CliError : public std::runtime_error {
public:
    CliError(ExitCode code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    ExitCode Code() const { return code_; }

private:
    ExitCode code_;
};

struct CommandContext {
    OptionParser& parser;
    std::vector<std::string> arguments;  // positional arguments after the command name
    OutputFormat format = OutputFormat::Text;
    bool dryRun = false;
    std::ostream& out;
    std::ostream& err;
    // The code page of the run: --code-page, else the stored setting, read
    // on first use (RunCodePage); a command that reads no VB files (settings)
    // never needs it.
    std::optional<text::CodePage> codePage{};
    // The IDE's tab width for the run, read on first use (RunTabWidth).
    std::optional<settings::TabWidth> tabWidth{};
    // The run's settings, loaded once by the first RunSettings; a command
    // that needs none (list, find) never reads them, so a bad stored one
    // does not stop it.
    std::optional<settings::SettingsRecord> settings{};
    // The company defaults (the string table) the program was built with.
    settings::StringTable companyDefaults = settings::CompiledStringTable();
};

// The run's code page; a stored setting that names none: CliError exit 3.
text::CodePage RunCodePage(CommandContext& context);

// The run's tab width: read from the IDE's store once, for the load and
// for the settings alike.
settings::TabWidth RunTabWidth(CommandContext& context);

// The run's settings: the stored ones (a bad stored number raises as
// settings::GetSettings does), the IDE's tab width and the run's code page.
const settings::SettingsRecord& RunSettings(CommandContext& context);

class Command {
public:
    virtual ~Command() = default;
    virtual std::string Name() const = 0;
    // One line for the command list of --help.
    virtual std::string Summary() const = 0;
    // Options and positional arguments of this command.
    virtual void AddOptions(OptionParser& parser) const = 0;
    // Output formats the command supports besides text.
    virtual bool SupportsFormat(OutputFormat format) const {
        return format == OutputFormat::Text || format == OutputFormat::Json;
    }
    virtual int Run(CommandContext& context) = 0;
};

using CommandFactory = std::function<std::unique_ptr<Command>()>;

// The registered commands, by name.
std::vector<std::pair<std::string, CommandFactory>>& CommandRegistry();

struct CommandRegistration {
    CommandRegistration(const std::string& name, CommandFactory factory);
};

}  // namespace qv::cli

#define QV_REGISTER_COMMAND(Name, Class) \
    static const ::qv::cli::CommandRegistration qvRegistration##Class( \
        Name, [] { return std::make_unique<Class>(); })
