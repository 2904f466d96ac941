#pragma once
// The command line's own option parser: long options ("--name", "-name",
// "--name=value", "--name value"), one-letter aliases ("-h"), "--" before
// arguments that start with a dash, and the help text of a command. It reads
// every argument as the command line always has: unknown options and a
// value missing after (or given to) an option are errors (a wrong value is
// named before unknown options, the last one only), positional arguments
// may stand between options, and "-" alone is a positional argument.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::cli {

struct Option {
    Option(std::vector<std::string> names_, std::string description_, std::string valueName_ = "",
           std::string defaultValue_ = "")
        : names(std::move(names_)),
          description(std::move(description_)),
          valueName(std::move(valueName_)),
          defaultValue(std::move(defaultValue_)) {}

    std::vector<std::string> names;  // without dashes: {"h", "help"}
    std::string description;
    std::string valueName;     // "" for an option without a value
    std::string defaultValue;  // the value when the option is not given
};

class OptionParser {
  public:
    void AddOption(const Option& option);
    // name and description for the help; syntax for its usage line
    // (the name when empty).
    void AddPositionalArgument(std::string name, std::string description, std::string syntax = "");
    // The text under the usage line of the help.
    void SetDescription(std::string_view description);

    // arguments[0] is the program. False on an unknown option or a missing
    // or unexpected value (ErrorText says which); what could be read is
    // read all the same.
    bool Parse(const std::vector<std::string>& arguments);
    std::string ErrorText() const;

    bool IsSet(const Option& option) const;
    bool IsSet(std::string_view name) const;
    // The last value given, else the option's default.
    std::string Value(const Option& option) const;
    std::string Value(std::string_view name) const;
    const std::vector<std::string>& PositionalArguments() const { return positional_; }

    // "Usage: qvaddin [options] ...", the description, the options and the
    // positional arguments, each described in a column wrapped at 79.
    std::string HelpText() const;

  private:
    struct Positional {
        std::string name, description, syntax;
    };
    // The index of the option of that name, or -1.
    int Find(std::string_view name) const;
    bool Found(const std::string& name);
    bool ReadValue(int option, const std::string& argument, size_t& next,
                   const std::vector<std::string>& arguments);

    std::vector<Option> options_;
    std::vector<Positional> positionalDefinitions_;
    std::string description_;

    std::vector<std::string> found_;  // option names as given, in order
    std::vector<std::string> unknown_;
    std::vector<std::vector<std::string>> values_;  // by option
    std::vector<std::string> positional_;
    std::string error_;
};

}  // namespace qv::cli
