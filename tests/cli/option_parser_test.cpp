// The command line's option parser: how arguments are read, what is an
// error and how it is named, and the layout of --help.

#include "app/cli/option_parser.h"

#include <gtest/gtest.h>

namespace qv::cli {
namespace {

const Option kHelp{{"h", "help"}, "Show this help."};
const Option kFormat{{"format"}, "Output format.", "format", "text"};
const Option kModule{{"module"}, "The module.", "name"};
const Option kForce{{"force"}, "Also the hard ones."};

OptionParser Parser() {
    OptionParser parser;
    parser.AddOption(kHelp);
    parser.AddOption(kFormat);
    parser.AddOption(kModule);
    parser.AddOption(kForce);
    return parser;
}

TEST(OptionParser, ReadsLongSingleDashAndAssignedFormsAndKeepsTheLastValue) {
    OptionParser parser = Parser();
    ASSERT_TRUE(parser.Parse({"qvaddin", "list", "-format", "json", "a.vbp", "--module=m1",
                              "-module=m2", "-h", "-", "--", "--force"}));
    EXPECT_EQ(parser.Value(kFormat), "json");
    EXPECT_EQ(parser.Value("module"), "m2");
    EXPECT_TRUE(parser.IsSet(kHelp));
    EXPECT_TRUE(parser.IsSet("help")) << "an alias answers for the option";
    EXPECT_FALSE(parser.IsSet(kForce)) << "after -- everything is positional";
    EXPECT_EQ(parser.PositionalArguments(),
              (std::vector<std::string>{"list", "a.vbp", "-", "--force"}));
}

TEST(OptionParser, AnOptionNotGivenHasItsDefaultAndAnUnknownNameNoValue) {
    OptionParser parser = Parser();
    ASSERT_TRUE(parser.Parse({"qvaddin", "--module", ""}));
    EXPECT_EQ(parser.Value(kFormat), "text");
    EXPECT_FALSE(parser.IsSet(kFormat));
    EXPECT_TRUE(parser.IsSet(kModule));
    EXPECT_EQ(parser.Value(kModule), "") << "an empty value is a value";
    EXPECT_FALSE(parser.IsSet("nothing"));
    EXPECT_EQ(parser.Value("nothing"), "");
}

TEST(OptionParser, NamesEachKindOfMistake) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"qvaddin", "--frobnicate"}, "Unknown option 'frobnicate'."},
        {{"qvaddin", "-x", "--y=1", "---z"}, "Unknown options: x, y, -z."},
        {{"qvaddin", "list", "--module"}, "Missing value after '--module'."},
        {{"qvaddin", "--force=yes"}, "Unexpected value after '--force'."},
        // A wrong value is named before unknown options; of two, the last.
        {{"qvaddin", "--bad", "--help=1", "--force=2"}, "Unexpected value after '--force'."},
    };
    for (const auto& [arguments, message] : cases) {
        OptionParser parser = Parser();
        EXPECT_FALSE(parser.Parse(arguments)) << message;
        EXPECT_EQ(parser.ErrorText(), message);
    }
    // What could be read is read: an unknown option's value is positional.
    OptionParser parser = Parser();
    EXPECT_FALSE(parser.Parse({"qvaddin", "--project", "P", "--force", "check"}));
    EXPECT_TRUE(parser.IsSet(kForce));
    EXPECT_EQ(parser.PositionalArguments(), (std::vector<std::string>{"P", "check"}));
}

// The usual layout (names in one column, descriptions wrapped beside it,
// the usage line, the arguments) is in the stored help runs of every
// command; here, what no command's help reaches.
TEST(OptionParser, AWordLongerThanTheColumnIsCutAndLongNamesGoOnBelow) {
    OptionParser parser;
    parser.AddOption({{std::string(60, 'n')}, std::string(70, 'w') + " end"});
    // The names column is at most 50 wide; a line's first character after a
    // cut is not counted, as the command line has always laid it out.
    EXPECT_EQ(parser.HelpText(),
              "Usage: qvaddin [options]\n\nOptions:\n"
              "  --" + std::string(48, 'n') + " " + std::string(26, 'w') + "\n"
              "  " + std::string(12, 'n') + std::string(39, ' ') + std::string(27, 'w') + "\n"
              "  " + std::string(51, ' ') + std::string(17, 'w') + " end\n");
}

}  // namespace
}  // namespace qv::cli
