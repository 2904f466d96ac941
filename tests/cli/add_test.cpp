// qvaddin add on VB6 files: a handler that would make a module line too long
// or the module too large is refused before anything is written. (What add
// adds, refuses and says, in every scope, is in the golden run.)

#include "cli/code_change_fixture.h"

namespace qv::test {
namespace {

class AddCommandTest : public CodeChangeTest {};

TEST_F(AddCommandTest, NoFileIsWrittenThatCouldNotBeReadAgain) {
    TempFolder copy;
    std::vector<std::string> parameters;
    for (int i = 0; i < 20; ++i) parameters.push_back("ByVal Parameter" + std::to_string(i) + " As Long");
    std::string declaration = "Public Sub Wide(";
    for (size_t i = 0; i < parameters.size(); ++i) declaration += (i ? ", " : "") + parameters[i];
    copy.Write("modW.bas", CrlfLines({"Attribute VB_Name = \"modW\"", declaration + ")",
                                      "    Beep", "End Sub"}));
    const auto original = Files(copy);
    // The template's line is short enough, but its placeholders make a line
    // of the handler longer than a module line may be.
    std::string wide = "Debug.Print \"";
    for (int i = 0; i < 300; ++i) wide += "%p";
    ASSERT_EQ(RunCli({"settings", "set", "add4", wide + "\""}).code, 0);
    CliResult r = Run(copy, {"add", "modW.bas"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("modW.bas:10: this line would be"), std::string::npos) << r.err.substr(0, 300);
    EXPECT_NE(r.err.find("a module line may be at most 65,536 bytes"), std::string::npos);
    EXPECT_EQ(Files(copy), original);

    // Many placeholders on short lines would make a handler of megabytes
    // for every routine: refused before it is built.
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "Debug.Print %p\r\n";
    ASSERT_EQ(RunCli({"settings", "set", "add4", many}).code, 0);
    r = Run(copy, {"add", "modW.bas"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("an error handler of more than 256 KB"), std::string::npos)
        << r.err.substr(0, 300);
    EXPECT_EQ(Files(copy), original);
}

}  // namespace
}  // namespace qv::test
