#pragma once
// What the tests over the shape fixtures (folders of real routines' shapes
// under tests/cli/fixtures) share: lines put together, the file a module is
// written as, the standard handler around a body, and a fixture that runs a
// command on a copy of one such folder and compares a module's file.

#include <string>
#include <vector>

#include "cli/code_change_fixture.h"

namespace qv::test::shapes {

using Lines = std::vector<std::string>;

// The lines of first followed by those of then.
inline Lines operator+(Lines first, const Lines& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// A routine's body as add leaves it: the top block, the body and the exit
// block that raises the error with "where" as its source.
inline Lines WithHandler(const Lines& body, const std::string& exit, const std::string& where) {
    return Lines{"    On Error GoTo Error_Routine", ""} + body +
           Lines{"",
                 "Exit_Routine:",
                 "    Exit " + exit,
                 "Error_Routine:",
                 "    Debug.Assert False",
                 "    Err.Raise Err.Number, \"" + where +
                     "(\" & Erl & \"):\" & Err.Source, Err.Description"};
}

// The file a module of a fixture is written as: its header, then code (a
// name that starts with C is a class).
inline std::string ModuleFile(const std::string& name, const Lines& code) {
    Lines lines;
    if (name[0] == 'C') lines = {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END"};
    lines.push_back("Attribute VB_Name = \"" + name + "\"");
    if (name[0] == 'C') lines.push_back("Attribute VB_Exposed = False");
    return CrlfLines(lines + code);
}

inline std::string FileOf(const std::string& module) {
    return module + (module[0] == 'C' ? ".cls" : ".bas");
}

// A copy of the fixture folder NAME with its project NAME.vbp, and the
// folder as it was.
class ShapeFolderTest : public CodeChangeTest {
  protected:
    explicit ShapeFolderTest(const std::string& name)
        : projectFile(name + ".vbp"),
          original(CopyOfFolder(FixtureFolder(name))),
          folder(CopyOfFolder(FixtureFolder(name))) {}

    CliResult Run(const std::vector<std::string>& arguments) {
        return CodeChangeTest::Run(folder, arguments);
    }
    // Runs the command on the whole project; the module reads as expected.
    void ExpectAfter(const std::vector<std::string>& command, const std::string& module,
                     const Lines& expected) {
        std::vector<std::string> arguments = command;
        arguments.push_back(projectFile);
        const CliResult r = Run(arguments);
        ASSERT_EQ(r.code, 0) << r.err << r.out;
        EXPECT_EQ(folder.Read(FileOf(module)), ModuleFile(module, expected)) << command[0];
    }
    void ExpectOriginal(const std::string& module) {
        EXPECT_EQ(folder.Read(FileOf(module)), original.Read(FileOf(module))) << module;
    }

    const std::string projectFile;
    const TempFolder original;
    TempFolder folder;
};

}  // namespace qv::test::shapes
