// Edited modules are written back with their header and hidden attribute
// lines in place, in their own line ending; read-only files never are.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

#include "host/files/file_error.h"
#include "host/files/module_writer.h"
#include "host/files/workspace_saver.h"
#include "host_files/files_fixture.h"
#include "support/recording_services.h"

namespace qv::test {
namespace {

using host::files::FileError;
using host::files::PendingChanges;
using host::files::WriteChanges;

const std::vector<std::string> kClassHeader = {"VERSION 1.0 CLASS",
                                               "BEGIN",
                                               "  MultiUse = -1  'True",
                                               "END",
                                               "Attribute VB_Name = \"CItem\"",
                                               "Attribute VB_Exposed = False"};

std::vector<std::string> WithHeader(const std::vector<std::string>& code) {
    std::vector<std::string> lines = kClassHeader;
    lines.insert(lines.end(), code.begin(), code.end());
    return lines;
}

void SaveAll(LoadedFiles& loaded) {
    WriteChanges(PendingChanges(*loaded.workspace));
}

TEST(WriteBack, AttributeLinesStayUnderTheirDeclarations) {
    TempFolder folder;
    folder.Write("CItem.cls", Joined(WithHeader({
                                  "Option Explicit",
                                  "Private WithEvents mSource As CSource",
                                  "Attribute mSource.VB_VarHelpID = -1",
                                  "",
                                  "Public Property Get Value() As Long",
                                  "Attribute Value.VB_UserMemId = 0",
                                  "    Value = 1",
                                  "End Property",
                                  "",
                                  "Public Function Item(ByVal i As Long, _",
                                  "                     ByVal j As Long) As Long",
                                  "Attribute Item.VB_Description = \"An item.\"",
                                  "    Item = i",
                                  "End Function",
                              })));
    LoadedFiles loaded = Load({folder.File("CItem.cls")});
    host::memory::MemoryCodeModule& code = loaded.Code("CItem");
    ASSERT_EQ(code.CountOfLines(), 11);  // the three attribute lines are hidden
    EXPECT_EQ(code.Line(5), "    Value = 1");
    // Edits move every declaration.
    code.InsertLines(2, "Private mCount As Long");
    code.InsertLines(5, "' The value.");
    code.InsertLines(7, "    Debug.Print \"get\"   ");
    code.InsertLines(13, "    Debug.Print \"item\"");
    SaveAll(loaded);
    EXPECT_EQ(folder.Read("CItem.cls"), Joined(WithHeader({
                                            "Option Explicit",
                                            "Private mCount As Long",
                                            "Private WithEvents mSource As CSource",
                                            "Attribute mSource.VB_VarHelpID = -1",
                                            "",
                                            "' The value.",
                                            "Public Property Get Value() As Long",
                                            "Attribute Value.VB_UserMemId = 0",
                                            "    Debug.Print \"get\"",
                                            "    Value = 1",
                                            "End Property",
                                            "",
                                            "Public Function Item(ByVal i As Long, _",
                                            "                     ByVal j As Long) As Long",
                                            "Attribute Item.VB_Description = \"An item.\"",
                                            "    Debug.Print \"item\"",
                                            "    Item = i",
                                            "End Function",
                                        })));
    // Read again, the file gives the same module.
    LoadedFiles again = Load({folder.File("CItem.cls")});
    EXPECT_EQ(again.Code("CItem").Lines(1, 15), code.Lines(1, 15));
}

// A member declared in each branch of an #If has its attribute lines under
// each declaration, and they stay there whatever else changes.
TEST(WriteBack, AttributeLinesStayUnderEachDeclarationOfAnIf) {
    TempFolder folder;
    const std::vector<std::string> lines = {
        "Option Explicit",
        "#If UseNew Then",
        "Private WithEvents mSource As CNewSource",
        "Attribute mSource.VB_VarHelpID = -1",
        "#Else",
        "Private WithEvents mSource As CSource",
        "Attribute mSource.VB_VarHelpID = -1",
        "#End If",
        "Public Event Opened()",
        "Attribute Opened.VB_Description = \"Raised on open.\"",
        "",
        "#If Win64 Then",
        "Public Function Item(ByVal i As LongPtr) As Long",
        "Attribute Item.VB_UserMemId = 0",
        "#Else",
        "Public Function Item(ByVal i As Long, _",
        "                     ByVal j As Long) As Long",
        "Attribute Item.VB_UserMemId = 0",
        "#End If",
        "    Item = i",
        "End Function",
        "",
        "Public Sub Opened()",
        "Attribute Opened.VB_Description = \"Raises Opened.\"",
        "    RaiseEvent Opened",
        "End Sub"};
    folder.Write("CItem.cls", Joined(WithHeader(lines)));
    LoadedFiles loaded = Load({folder.File("CItem.cls")});
    host::memory::MemoryCodeModule& code = loaded.Code("CItem");
    code.InsertLines(code.CountOfLines(), "    Debug.Print \"opened\"");
    code.InsertLines(1, "' Items.");
    SaveAll(loaded);
    std::vector<std::string> expected = lines;
    expected.insert(expected.begin(), "' Items.");
    expected.insert(expected.end() - 1, "    Debug.Print \"opened\"");
    EXPECT_EQ(folder.Read("CItem.cls"), Joined(WithHeader(expected)));
}

TEST(WriteBack, AccessorsKeepTheirOwnAttributeLines) {
    TempFolder folder;
    folder.Write("CItem.cls", Joined(WithHeader({
                                  "Public Property Let Name(ByVal v As String)",
                                  "Attribute Name.VB_ProcData.VB_Invoke_PropertyPut = \"General\"",
                                  "End Property",
                                  "Public Property Get Name() As String",
                                  "Attribute Name.VB_UserMemId = 0",
                                  "End Property",
                              })));
    LoadedFiles loaded = Load({folder.File("CItem.cls")});
    host::memory::MemoryCodeModule& code = loaded.Code("CItem");
    const auto* hidden = code.HiddenAttributes("name");
    ASSERT_NE(hidden, nullptr);
    ASSERT_EQ(hidden->size(), 2u);
    EXPECT_EQ((*hidden)[0].anchorKind, host::vbext_pk_Let);
    EXPECT_EQ((*hidden)[1].anchorKind, host::vbext_pk_Get);
    code.InsertLines(1, "Option Explicit");
    SaveAll(loaded);
    EXPECT_EQ(folder.Read("CItem.cls"),
              Joined(WithHeader({
                  "Option Explicit",
                  "Public Property Let Name(ByVal v As String)",
                  "Attribute Name.VB_ProcData.VB_Invoke_PropertyPut = \"General\"",
                  "End Property",
                  "Public Property Get Name() As String",
                  "Attribute Name.VB_UserMemId = 0",
                  "End Property",
              })));
}

TEST(WriteBack, LineEndingAndMissingFinalBreakAreKept) {
    TempFolder folder;
    folder.Write("m.bas", Joined({"Attribute VB_Name = \"m\"", "Sub A()", "End Sub"}, "\n", false));
    LoadedFiles loaded = Load({folder.File("m.bas")});
    loaded.Code("m").InsertLines(2, "    x = 1");
    SaveAll(loaded);
    EXPECT_EQ(folder.Read("m.bas"), "Attribute VB_Name = \"m\"\nSub A()\n    x = 1\nEnd Sub");
}

TEST(WriteBack, OnlyChangedFilesAreWrittenAndTheModeIsKept) {
    TempFolder folder;
    folder.Write("a.bas", Joined({"Attribute VB_Name = \"a\"", "Sub A()", "End Sub"}));
    folder.Write("b.bas", Joined({"Attribute VB_Name = \"b\"", "Sub B()", "End Sub"}));
    ::chmod(folder.File("a.bas").c_str(), 0640);
    struct stat beforeB {};
    ::stat(folder.File("b.bas").c_str(), &beforeB);
    LoadedFiles loaded = Load({folder.File("a.bas"), folder.File("b.bas")});
    loaded.Code("a").InsertLines(2, "    Beep");
    const auto changes = PendingChanges(*loaded.workspace);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].file->path, folder.File("a.bas"));
    WriteChanges(changes);
    struct stat afterA {
    }, afterB{};
    ::stat(folder.File("a.bas").c_str(), &afterA);
    ::stat(folder.File("b.bas").c_str(), &afterB);
    EXPECT_EQ(afterA.st_mode & 07777, 0640u);
    EXPECT_EQ(afterB.st_ino, beforeB.st_ino);
    EXPECT_EQ(afterB.st_mtim.tv_nsec, beforeB.st_mtim.tv_nsec);
    // No temporary file stays behind.
    EXPECT_EQ(Snapshot(folder).size(), 2u);
}

TEST(WriteBack, ReadOnlyModuleIsRefusedAndNothingIsWritten) {
    TempFolder folder;
    folder.Write("a.bas", Joined({"Attribute VB_Name = \"a\"", "Sub A()", "End Sub"}));
    folder.Write("b.bas", Joined({"Attribute VB_Name = \"b\"", "Sub B()", "End Sub"}));
    ::chmod(folder.File("b.bas").c_str(), 0444);
    const auto before = Snapshot(folder);
    LoadedFiles loaded = Load({folder.File("a.bas"), folder.File("b.bas")});
    loaded.Code("a").InsertLines(2, "    Beep");
    loaded.Code("b").InsertLines(2, "    Beep");
    const auto changes = PendingChanges(*loaded.workspace);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_FALSE(changes[0].readOnly);
    EXPECT_TRUE(changes[1].readOnly);
    try {
        WriteChanges(changes);
        FAIL() << "a read-only module was written";
    } catch (const FileError& e) {
        EXPECT_EQ(e.Path(), folder.File("b.bas"));
        EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos);
    }
    EXPECT_EQ(Snapshot(folder), before);
}

TEST(WriteBack, ReadOnlyComesFromTheServices) {
    RecordingServices services;
    TempFolder folder;
    folder.Write("a.bas", Joined({"Attribute VB_Name = \"a\"", "Sub A()", "End Sub"}));
    services.readOnlyFiles.insert(folder.File("a.bas"));
    LoadedFiles loaded = Load({folder.File("a.bas")});
    loaded.Code("a").InsertLines(2, "    Beep");
    EXPECT_THROW(SaveAll(loaded), FileError);
    EXPECT_EQ(folder.Read("a.bas"), Joined({"Attribute VB_Name = \"a\"", "Sub A()", "End Sub"}));
}

TEST(WriteBack, AFailedWriteLeavesEveryOriginal) {
    TempFolder folder;
    folder.Write("one/a.bas", Joined({"Attribute VB_Name = \"a\"", "Sub A()", "End Sub"}));
    folder.Write("two/b.bas", Joined({"Attribute VB_Name = \"b\"", "Sub B()", "End Sub"}));
    LoadedFiles loaded = Load({folder.File("one/a.bas"), folder.File("two/b.bas")});
    loaded.Code("a").InsertLines(2, "    Beep");
    loaded.Code("b", 2).InsertLines(2, "    Beep");
    const auto changes = PendingChanges(*loaded.workspace);
    ASSERT_EQ(changes.size(), 2u);
    // The second file's folder went away after the load: no new file can be
    // made there, so the first one must not be replaced either.
    std::filesystem::rename(folder.Path() / "two", folder.Path() / "moved");
    const auto before = Snapshot(folder);
    EXPECT_THROW(WriteChanges(changes), FileError);
    EXPECT_EQ(Snapshot(folder), before);
}

TEST(WriteBack, AFileChangedOnDiskSinceTheLoadIsNotOverwritten) {
    TempFolder folder;
    folder.Write("a.bas", Joined({"Attribute VB_Name = \"a\"", "Sub A()", "End Sub"}));
    LoadedFiles loaded = Load({folder.File("a.bas")});
    loaded.Code("a").InsertLines(2, "    Beep");
    const std::string theirs =
        Joined({"Attribute VB_Name = \"a\"", "Sub A()", "    Stop", "End Sub"});
    folder.Write("a.bas", theirs);
    try {
        SaveAll(loaded);
        FAIL() << "another program's change was overwritten";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("changed by another program"), std::string::npos);
    }
    EXPECT_EQ(folder.Read("a.bas"), theirs);

    // The same bytes written again (a checkout, a touch) are no change.
    LoadedFiles again = Load({folder.File("a.bas")});
    again.Code("a").InsertLines(2, "    Beep");
    folder.Write("a.bas", theirs);
    ::utime(folder.File("a.bas").c_str(), nullptr);
    EXPECT_NO_THROW(SaveAll(again));
}

TEST(WriteBack, ChangedMemberAttributesAreWritten) {
    TempFolder folder;
    folder.Write("CItem.cls", Joined(WithHeader({"Public Sub Run()", "End Sub"})));
    LoadedFiles loaded = Load({folder.File("CItem.cls")});
    host::Member& member = loaded.Code("CItem").Members().Item("Run");
    host::MemberAttributes attributes = member.Attributes();
    attributes.Description = "Runs it.";
    member.SetAttributes(attributes);
    SaveAll(loaded);
    EXPECT_EQ(folder.Read("CItem.cls"),
              Joined(WithHeader(
                  {"Public Sub Run()", "Attribute Run.VB_Description = \"Runs it.\"", "End Sub"})));
}

TEST(WriteBack, AttributeLinesOfARemovedMemberAreReported) {
    TempFolder folder;
    folder.Write("CItem.cls",
                 Joined(WithHeader({"Public Sub Run()", "Attribute Run.VB_Description = \"Runs.\"",
                                    "End Sub", "Public Sub Other()", "End Sub"})));
    LoadedFiles loaded = Load({folder.File("CItem.cls")});
    loaded.Code("CItem").DeleteLines(1, 2);
    const auto changes = PendingChanges(*loaded.workspace);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].dropped,
              (std::vector<std::string>{"Attribute Run.VB_Description = \"Runs.\""}));
}

TEST(WriteBack, AttributeLineOfAnUndeclaredMemberStaysAVisibleLine) {
    TempFolder folder;
    const std::string text = Joined(WithHeader(
        {"Public Sub Run()", "End Sub", "Attribute Ghost.VB_Description = \"x\"", "' end"}));
    folder.Write("CItem.cls", text);
    LoadedFiles loaded = Load({folder.File("CItem.cls")});
    host::memory::MemoryCodeModule& code = loaded.Code("CItem");
    EXPECT_EQ(code.CountOfLines(), 4);
    EXPECT_EQ(code.Line(3), "Attribute Ghost.VB_Description = \"x\"");
    EXPECT_EQ(host::files::RenderModuleFile(loaded.File("CItem")).bytes, text);
}

TEST(WriteBack, ModuleSharedByTwoProjectsOfAGroup) {
    TempFolder folder;
    const std::string group = WriteGroupSharingAModule(folder);
    {
        LoadedFiles loaded = Load({group});
        ASSERT_EQ(loaded.vbe->Projects().Count(), 2);
        EXPECT_EQ(loaded.vbe->ActiveVBProject()->Name(), "Two");
        loaded.Code("util", 1).InsertLines(2, "    Beep");
        EXPECT_EQ(PendingChanges(*loaded.workspace).size(), 1u);
        loaded.Code("util", 2).InsertLines(2, "    Beep");
        EXPECT_EQ(PendingChanges(*loaded.workspace).size(), 1u);  // the same change once
        loaded.Code("util", 2).InsertLines(2, "    Stop");
        EXPECT_THROW(PendingChanges(*loaded.workspace), FileError);
    }
}

}  // namespace
}  // namespace qv::test
