#include "app/cli/option_parser.h"

#include <algorithm>

namespace qv::cli {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string Padded(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

// One entry of the help: the names in a column of nameWidth, the
// description beside them, wrapped at 79 columns (at a space where there is
// one in time, at a line break always); names longer than the column go on
// over the following lines.
std::string Entry(const std::string& names, size_t nameWidth, const std::string& description) {
    const std::string indentation = "  ";
    size_t nameIndex = 0;
    const auto nextNames = [&] {
        std::string section = names.substr(std::min(nameIndex, names.size()), nameWidth);
        nameIndex += section.size();
        return section;
    };
    std::string text;
    const long max = 79 - static_cast<long>(indentation.size() + nameWidth + 1);
    const long length = static_cast<long>(description.size());
    long lineStart = 0;
    long lastBreakable = -1;
    long x = 0;
    for (long i = 0; i < length; ++i) {
        ++x;
        const char c = description[static_cast<size_t>(i)];
        if (IsSpace(c)) lastBreakable = i;
        long breakAt = -1;
        long nextLineStart = -1;
        if (x > max && lastBreakable != -1) {
            breakAt = lastBreakable;
            nextLineStart = lastBreakable + 1;
        } else if ((x > max - 1 && lastBreakable == -1) || i == length - 1) {
            breakAt = i + 1;
            nextLineStart = breakAt;
        } else if (c == '\n') {
            breakAt = i;
            nextLineStart = i + 1;
        }
        if (breakAt != -1) {
            text += indentation + Padded(nextNames(), nameWidth) + ' ';
            text += description.substr(static_cast<size_t>(lineStart),
                                       static_cast<size_t>(breakAt - lineStart)) +
                    '\n';
            x = 0;
            lastBreakable = -1;
            lineStart = nextLineStart;
            // A line does not start with a space; the character where the
            // next line starts is not counted.
            if (lineStart < length && IsSpace(description[static_cast<size_t>(lineStart)])) {
                ++lineStart;
            }
            i = lineStart;
        }
    }
    while (nameIndex < names.size()) text += indentation + nextNames() + '\n';
    return text;
}

}  // namespace

void OptionParser::AddOption(const Option& option) {
    for (const std::string& name : option.names) {
        if (Find(name) >= 0) return;  // a name is taken once
    }
    options_.push_back(option);
}

void OptionParser::SetDescription(std::string_view description) { description_ = description; }

void OptionParser::AddPositionalArgument(std::string name, std::string description,
                                         std::string syntax) {
    if (syntax.empty()) syntax = name;
    positionalDefinitions_.push_back({std::move(name), std::move(description), std::move(syntax)});
}

int OptionParser::Find(std::string_view name) const {
    for (size_t i = 0; i < options_.size(); ++i) {
        const auto& names = options_[i].names;
        if (std::find(names.begin(), names.end(), name) != names.end()) return static_cast<int>(i);
    }
    return -1;
}

bool OptionParser::Found(const std::string& name) {
    if (Find(name) >= 0) {
        found_.push_back(name);
        return true;
    }
    unknown_.push_back(name);
    return false;
}

// The value of an option that takes one: after '=' in the same argument,
// else the next argument.
bool OptionParser::ReadValue(int option, const std::string& argument, size_t& next,
                             const std::vector<std::string>& arguments) {
    const size_t assign = argument.find('=');
    if (!options_[static_cast<size_t>(option)].valueName.empty()) {
        if (assign == std::string::npos) {
            if (next + 1 >= arguments.size()) {
                error_ = "Missing value after '" + argument + "'.";
                next = arguments.size();
                return false;
            }
            values_[static_cast<size_t>(option)].push_back(arguments[++next]);
        } else {
            values_[static_cast<size_t>(option)].push_back(argument.substr(assign + 1));
        }
    } else if (assign != std::string::npos) {
        error_ = "Unexpected value after '" + argument.substr(0, assign) + "'.";
        return false;
    }
    return true;
}

bool OptionParser::Parse(const std::vector<std::string>& arguments) {
    found_.clear();
    unknown_.clear();
    positional_.clear();
    error_.clear();
    values_.assign(options_.size(), {});
    bool ok = true;
    bool onlyPositional = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyPositional || argument.size() < 2 || argument[0] != '-') {
            positional_.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyPositional = true;
            continue;
        }
        // "--name" and "-name" alike.
        const size_t dashes = argument[1] == '-' ? 2 : 1;
        const std::string name = argument.substr(dashes, argument.find('=') - dashes);
        if (!Found(name)) {
            ok = false;
        } else if (!ReadValue(Find(name), argument, i, arguments)) {
            ok = false;
        }
    }
    return ok;
}

std::string OptionParser::ErrorText() const {
    if (!error_.empty()) return error_;
    if (unknown_.size() == 1) return "Unknown option '" + unknown_.front() + "'.";
    if (unknown_.size() > 1) {
        std::string names;
        for (const std::string& name : unknown_) names += (names.empty() ? "" : ", ") + name;
        return "Unknown options: " + names + ".";
    }
    return "";
}

bool OptionParser::IsSet(const Option& option) const {
    return std::any_of(option.names.begin(), option.names.end(),
                       [&](const std::string& name) { return IsSet(name); });
}

bool OptionParser::IsSet(std::string_view name) const {
    const int option = Find(name);
    if (option < 0) return false;
    const auto& aliases = options_[static_cast<size_t>(option)].names;
    return std::any_of(found_.begin(), found_.end(), [&](const std::string& given) {
        return std::find(aliases.begin(), aliases.end(), given) != aliases.end();
    });
}

std::string OptionParser::Value(const Option& option) const {
    return option.names.empty() ? std::string() : Value(option.names.front());
}

std::string OptionParser::Value(std::string_view name) const {
    const int option = Find(name);
    if (option < 0) return "";
    const auto index = static_cast<size_t>(option);
    if (index < values_.size() && !values_[index].empty()) return values_[index].back();
    return options_[index].defaultValue;
}

std::string OptionParser::HelpText() const {
    std::string usage = "qvaddin";
    if (!options_.empty()) usage += " [options]";
    for (const Positional& p : positionalDefinitions_) usage += " " + p.syntax;
    std::string text = "Usage: " + usage + "\n";
    if (!description_.empty()) text += description_ + "\n";
    text += "\n";
    if (!options_.empty()) text += "Options:\n";
    std::vector<std::string> names;
    size_t longest = 0;
    for (const Option& option : options_) {
        std::string shown;
        for (const std::string& name : option.names) {
            shown += (shown.empty() ? "" : ", ") + std::string(name.size() == 1 ? "-" : "--") + name;
        }
        if (!option.valueName.empty()) shown += " <" + option.valueName + ">";
        longest = std::max(longest, shown.size());
        names.push_back(std::move(shown));
    }
    // One column for the options and the positional arguments.
    for (const Positional& p : positionalDefinitions_) longest = std::max(longest, p.name.size());
    const size_t nameWidth = std::min<size_t>(50, longest + 1);
    for (size_t i = 0; i < options_.size(); ++i) {
        text += Entry(names[i], nameWidth, options_[i].description);
    }
    if (!positionalDefinitions_.empty()) {
        if (!options_.empty()) text += "\n";
        text += "Arguments:\n";
        for (const Positional& p : positionalDefinitions_) {
            text += Entry(p.name, nameWidth, p.description);
        }
    }
    return text;
}

}  // namespace qv::cli
