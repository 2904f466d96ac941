// Files that are not what they claim give an error naming the file, the
// line and what to do; nothing is written, nothing crashes or hangs. A
// module file that cannot be modelled is left out of its project as a
// broken module, and the rest of the project loads.

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "host/files/file_error.h"
#include "host_files/files_fixture.h"

namespace qv::test {
namespace {

using host::files::FileError;

struct Expected {
    std::string file;  // in the folder
    long line;
    std::string words;  // part of the message
};

void ExpectLoadError(const TempFolder& folder, const std::string& target, const Expected& e) {
    const auto before = Snapshot(folder);
    try {
        Load({folder.File(target)});
        ADD_FAILURE() << target << " loaded";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Path(), folder.File(e.file)) << error.what();
        EXPECT_EQ(error.Line(), e.line) << error.what();
        EXPECT_NE(std::string(error.what()).find(e.words), std::string::npos) << error.what();
    }
    EXPECT_EQ(Snapshot(folder), before);
}

// The module file is recorded as broken (and left out); the rest loads.
void ExpectBrokenModule(const TempFolder& folder, const std::string& target, const Expected& e,
                        const std::string& name) {
    const auto before = Snapshot(folder);
    LoadedFiles loaded = Load({folder.File(target)});
    const auto& broken = loaded.workspace->BrokenModules();
    ASSERT_EQ(broken.size(), 1u) << target;
    EXPECT_EQ(broken[0].path, folder.File(e.file));
    EXPECT_EQ(broken[0].name, name);
    EXPECT_EQ(broken[0].line, e.line) << broken[0].message;
    EXPECT_NE(broken[0].message.find(e.words), std::string::npos) << broken[0].message;
    EXPECT_EQ(loaded.Project().Components().Find(name), nullptr) << "a broken module is left out";
    EXPECT_EQ(Snapshot(folder), before);
}

TEST(BadInput, EmptyAndBinaryModules) {
    TempFolder folder;
    folder.Write("empty.bas", "");
    ExpectBrokenModule(folder, "empty.bas", {"empty.bas", 0, "the file is empty"}, "empty");
    folder.Write("binary.bas", std::string("MZ\x90\0\3\0\0\0", 8));
    ExpectBrokenModule(folder, "binary.bas", {"binary.bas", 0, "NUL bytes"}, "binary");
    folder.Write("nul.frm", std::string(4096, '\0'));
    folder.Write("P.vbp", Joined({"Type=Exe", "Form=nul.frm"}));
    ExpectBrokenModule(folder, "P.vbp", {"nul.frm", 0, "NUL bytes"}, "nul");
}

TEST(BadInput, ModuleWithoutName) {
    TempFolder folder;
    folder.Write("m.bas", Joined({"Option Explicit", "Sub A()", "End Sub"}));
    ExpectBrokenModule(folder, "m.bas", {"m.bas", 1, "Attribute VB_Name"}, "m");
    folder.Write("c.cls", Joined({"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1", "END", "Sub A()",
                                  "End Sub"}));
    ExpectBrokenModule(folder, "c.cls", {"c.cls", 5, "Attribute VB_Name"}, "c");
}

TEST(BadInput, ProjectFiles) {
    TempFolder folder;
    folder.Write("a.bas", Joined({"Attribute VB_Name = \"a\""}));
    folder.Write("garbage.vbp",
                 Joined({"Type=Exe", "Module=a; a.bas", "this is not a project line"}));
    ExpectLoadError(folder, "garbage.vbp", {"garbage.vbp", 3, "Key=Value"});
    folder.Write("type.vbp", Joined({"Type=Pascal", "Module=a; a.bas"}));
    ExpectLoadError(folder, "type.vbp", {"type.vbp", 1, "Exe, OleExe, OleDll or Control"});
    folder.Write("notype.vbp", Joined({"Module=a; a.bas"}));
    ExpectLoadError(folder, "notype.vbp", {"notype.vbp", 0, "no Type= line"});
    folder.Write("empty.vbp", "\r\n");
    ExpectLoadError(folder, "empty.vbp", {"empty.vbp", 0, "empty"});
    folder.Write("nopath.vbp", Joined({"Type=Exe", "Module=a;"}));
    ExpectLoadError(folder, "nopath.vbp", {"nopath.vbp", 2, "names no file"});
    folder.Write("g.vbg", Joined({"Type=Exe"}));
    ExpectLoadError(folder, "g.vbg", {"g.vbg", 1, "VBGROUP"});
    folder.Write("none.vbg", Joined({"VBGROUP 5.0", "Project=gone.vbp"}));
    ExpectLoadError(folder, "none.vbg", {"none.vbg", 0, "none of the group's projects"});
}

TEST(BadInput, MissingFilesAndFolders) {
    TempFolder folder;
    ExpectLoadError(folder, "no/such/folder/P.vbp", {"no/such/folder/P.vbp", 0, "does not exist"});
    ExpectLoadError(folder, "gone.bas", {"gone.bas", 0, "does not exist"});
    folder.Write("readme.txt", "hello");
    ExpectLoadError(folder, "readme.txt", {"readme.txt", 0, "no VB6 project, group or module"});
}

TEST(BadInput, PathOfNoModuleIsRefusedBeforeAnyModuleIsRead) {
    // Before, every module file named was read first and a missing one
    // ahead of the bad path was reported instead of it.
    TempFolder folder;
    folder.Write("a.bas", Joined({"Attribute VB_Name = \"a\""}));
    folder.Write("readme.txt", "hello");
    for (const std::vector<std::string>& paths :
         {std::vector<std::string>{folder.File("gone.bas"), folder.File("readme.txt")},
          std::vector<std::string>{folder.File("a.bas"), folder.File("gone.bas"),
                                   folder.File("readme.txt")}}) {
        try {
            Load(paths);
            ADD_FAILURE() << "loaded";
        } catch (const FileError& error) {
            EXPECT_EQ(error.Path(), folder.File("readme.txt")) << error.what();
            EXPECT_NE(std::string(error.what()).find("no VB6 project, group or module"),
                      std::string::npos)
                << error.what();
        }
    }
}

TEST(BadInput, MegabyteLine) {
    TempFolder folder;
    folder.Write("m.bas", Joined({"Attribute VB_Name = \"m\"", "Sub A()",
                                  "    x = \"" + std::string(1024 * 1024, 'x') + "\"", "End Sub"}));
    ExpectBrokenModule(folder, "m.bas", {"m.bas", 3, "may be at most 65,536 bytes"}, "m");
    folder.Write("P.vbp", "Type=Exe\r\nName=\"" + std::string(1024 * 1024, 'p') + "\"\r\n");
    ExpectLoadError(folder, "P.vbp", {"P.vbp", 2, "bytes long"});
}

TEST(BadInput, WhatIsNotARegularFileIsNamedAndNeverOpened) {
    // A named pipe opened for reading waits for a writer: the load hung.
    TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.File("pipe.bas").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(folder.File("pipe.vbp").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.Path() / "folder.bas");
    ExpectLoadError(folder, "pipe.bas", {"pipe.bas", 0, "a named pipe (FIFO), not a regular file"});
    ExpectLoadError(folder, "pipe.vbp", {"pipe.vbp", 0, "a named pipe (FIFO), not a regular file"});
    ExpectLoadError(folder, "folder.bas", {"folder.bas", 0, "a folder, not a regular file"});
}

std::vector<std::string> Warnings(const TempFolder& folder, const std::string& target) {
    LoadedFiles loaded = Load({folder.File(target)});
    return loaded.workspace->Warnings();
}

TEST(BadInput, ProjectEntriesThatAreNoFilesSayWhatTheyAre) {
    TempFolder folder;
    folder.Write("a.bas", Joined({"Attribute VB_Name = \"a\""}));
    ASSERT_EQ(::mkfifo(folder.File("pipe.bas").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.Path() / "Folder.bas");
    std::filesystem::create_symlink("loop.bas", folder.Path() / "loop.bas");
    folder.Write("P.vbp", Joined({"Type=Exe", "Module=a; a.bas", "Module=p; PIPE.BAS",
                                  "Module=f; folder.bas", "Module=l; loop.bas",
                                  "Module=g; gone.bas"}));
    const std::vector<std::string> warnings = Warnings(folder, "P.vbp");
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_NE(warnings[0].find("P.vbp:3: Module file \"PIPE.BAS\" cannot be read: it is a named "
                               "pipe (FIFO), not a regular file"),
              std::string::npos)
        << warnings[0];
    EXPECT_NE(warnings[1].find("it is a folder, not a regular file"), std::string::npos);
    EXPECT_NE(warnings[2].find("it is a loop of symbolic links"), std::string::npos);
    EXPECT_NE(warnings[3].find("\"gone.bas\" is not there"), std::string::npos);
}

TEST(BadInput, ProjectsThatListThemselvesOrAFileTwice) {
    TempFolder folder;
    folder.Write("a.bas", Joined({"Attribute VB_Name = \"a\"", "Sub A()", "End Sub"}));
    folder.Write("P.vbp", Joined({"Type=Exe", "Module=a; a.bas", "Module=Me; p.VBP",
                                  "Module=again; A.bas"}));
    LoadedFiles loaded = Load({folder.File("P.vbp")});
    EXPECT_EQ(loaded.Project().Components().Count(), 1) << "the module is loaded once";
    const auto& warnings = loaded.workspace->Warnings();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("P.vbp:3: this Module= line names the project file itself"),
              std::string::npos)
        << warnings[0];
    EXPECT_NE(warnings[1].find("P.vbp:4: Module file \"A.bas\" is listed again (first on line 2)"),
              std::string::npos)
        << warnings[1];

    folder.Write("G.vbg", Joined({"VBGROUP 5.0", "StartupProject=P.vbp", "Project=g.vbg",
                                  "Project=P.vbp"}));
    LoadedFiles group = Load({folder.File("G.vbg")});
    EXPECT_EQ(group.vbe->Projects().Count(), 1);
    const auto& groupWarnings = group.workspace->Warnings();
    ASSERT_EQ(groupWarnings.size(), 4u);  // the project's own two, then the group's
    EXPECT_NE(groupWarnings[2].find("G.vbg:3: \"g.vbg\" is a project group, and a group lists "
                                    "projects only"),
              std::string::npos)
        << groupWarnings[2];
    EXPECT_NE(groupWarnings[3].find("G.vbg:4: project \"P.vbp\" is listed again"),
              std::string::npos)
        << groupWarnings[3];
}

TEST(BadInput, ProcedureWithoutItsEndLine) {
    TempFolder folder;
    folder.Write("m.bas",
                 Joined({"Attribute VB_Name = \"m\"", "Option Explicit", "", "Private Sub A()",
                         "    x = 1", "", "Public Function B() As Long", "End Function"}));
    ExpectBrokenModule(folder, "m.bas", {"m.bas", 4, "Sub A declared here has no End Sub"}, "m");
    folder.Write("c.cls", Joined({"VERSION 1.0 CLASS", "BEGIN", "END", "Attribute VB_Name = \"c\"",
                                  "Public Property Get P() As Long", "Attribute P.VB_UserMemId = 0",
                                  "End Property", "Public Function F() As Long", "    F = 1"}));
    ExpectBrokenModule(folder, "c.cls", {"c.cls", 8, "Function F declared here has no End Function"},
                       "c");
}

TEST(BadInput, UnclosedHeaderBlocks) {
    TempFolder folder;
    folder.Write("f.frm", Joined({"VERSION 5.00", "Begin VB.Form f", "   Caption = \"f\"",
                                  "   Begin VB.TextBox t", "   End", "Attribute VB_Name = \"f\"",
                                  "Sub A()", "End Sub"}));
    ExpectBrokenModule(folder, "f.frm", {"f.frm", 2, "no closing End line"}, "f");
    folder.Write("c.cls", Joined({"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1",
                                  "Attribute VB_Name = \"c\""}));
    ExpectBrokenModule(folder, "c.cls", {"c.cls", 2, "no closing END line"}, "c");
}

TEST(BadInput, BrokenModulesAreLeftOutInProjectOrderAndTheRestLoads) {
    // The modules of a large project are read side by side; the broken ones
    // are still reported in the project's order, named as the project names
    // them, with the place they would have taken.
    TempFolder folder;
    std::vector<std::string> project = {"Type=Exe"};
    for (int i = 0; i < 60; ++i) {
        const std::string name = "M" + std::to_string(i);
        const bool broken = i == 23 || i == 41;
        folder.Write(name + ".bas", broken ? std::string("x = 1\r\n")
                                           : Joined({"Attribute VB_Name = \"" + name + "\"",
                                                     "Sub S" + std::to_string(i) + "()",
                                                     "End Sub"}));
        project.push_back("Module=" + name + "; " + name + ".bas");
    }
    folder.Write("P.vbp", Joined(project));
    LoadedFiles loaded = Load({folder.File("P.vbp")});
    const auto& broken = loaded.workspace->BrokenModules();
    ASSERT_EQ(broken.size(), 2u);
    EXPECT_EQ(broken[0].name, "M23");
    EXPECT_EQ(broken[0].position, 23);
    EXPECT_EQ(broken[0].path, folder.File("M23.bas"));
    EXPECT_NE(broken[0].message.find("VB_Name"), std::string::npos) << broken[0].message;
    EXPECT_EQ(broken[1].name, "M41");
    EXPECT_EQ(broken[1].position, 40);
    EXPECT_EQ(loaded.Project().Components().Count(), 58);
}

TEST(BadInput, SecondModuleOfANameIsLeftOut) {
    TempFolder folder;
    folder.Write("a.bas", Joined({"Attribute VB_Name = \"modA\"", "Sub A()", "End Sub"}));
    folder.Write("a_old.bas", Joined({"Attribute VB_Name = \"MODA\"", "Sub A()", "End Sub"}));
    LoadedFiles loaded = Load({folder.File("a.bas"), folder.File("a_old.bas")});
    ASSERT_EQ(loaded.workspace->BrokenModules().size(), 1u);
    EXPECT_EQ(loaded.workspace->BrokenModules()[0].path, folder.File("a_old.bas"));
    EXPECT_NE(loaded.workspace->BrokenModules()[0].message.find("already holds a module named MODA"),
              std::string::npos);
    EXPECT_EQ(loaded.Project().Components().Count(), 1);
    EXPECT_EQ(loaded.File("modA").path, folder.File("a.bas"));
}

}  // namespace
}  // namespace qv::test
