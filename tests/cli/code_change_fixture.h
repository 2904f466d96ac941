#pragma once
// What the tests of the commands that change routines (add, number, remove,
// replace, unnumber) share: a private settings folder with the templates a
// first run stores, a temporary copy of a project, and a small project of
// every module kind with the shapes that matter to handlers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_test_support.h"
#include "settings/config_home_fixture.h"
#include "shell/process_start.h"

namespace qv::test {

inline std::string CrlfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

inline void MakeFileReadOnly(const std::filesystem::path& file) {
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
}

// A standard module, an MTS class with a terminate routine and properties,
// and a form with a control and a WithEvents handler.
inline TempFolder ShapesProject() {
    TempFolder folder;
    folder.Write("Shapes.vbp",
                 CrlfLines({"Type=OleDll", "Module=modA; modA.bas", "Class=CTx; CTx.cls",
                            "Form=frmMain.frm", "Name=\"Shapes\""}));
    folder.Write("modA.bas",
                 CrlfLines({"Attribute VB_Name = \"modA\"", "Option Explicit", "", "' Does it.",
                            "Public Sub Go(ByVal x As Long, _", "              ByVal y As Long)",
                            "' Notes on Go.", "", "    If x Then Beep", "End Sub", "",
                            "Sub ErrorSave()", "End Sub", "", "Function Resumes() As Long",
                            "    On Error Resume Next", "    Resumes = 1", "End Function"}));
    folder.Write("CTx.cls", CrlfLines({"VERSION 1.0 CLASS",
                                       "BEGIN",
                                       "  MultiUse = -1  'True",
                                       "  MTSTransactionMode  = 2  'RequiresTransaction",
                                       "END",
                                       "Attribute VB_Name = \"CTx\"",
                                       "Attribute VB_Exposed = True",
                                       "Option Explicit",
                                       "Private mValue As Long",
                                       "",
                                       "Private Sub Class_Terminate()",
                                       "    mValue = 0",
                                       "End Sub",
                                       "",
                                       "Public Property Get Value() As Long",
                                       "Attribute Value.VB_UserMemId = 0",
                                       "    Value = mValue",
                                       "End Property",
                                       "",
                                       "Public Property Let Value(ByVal v As Long)",
                                       "    mValue = v",
                                       "End Property",
                                       "",
                                       "Public Function Save() As Boolean",
                                       "    Save = True",
                                       "End Function"}));
    folder.Write(
        "frmMain.frm",
        CrlfLines({"VERSION 5.00", "Begin VB.Form frmMain", "   Caption = \"Main\"",
                   "   Begin VB.CommandButton cmdGo", "      Caption = \"Go\"", "   End", "End",
                   "Attribute VB_Name = \"frmMain\"", "Option Explicit",
                   "Private WithEvents mTx As CTx", "", "Private Sub cmdGo_Click()",
                   "\tmTx.Value = 1", "End Sub", "", "Private Sub mTx_Changed()", "End Sub"}));
    return folder;
}

class CodeChangeTest : public ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        shell::CommandLineStart();
    }
    CliResult Run(const TempFolder& folder, const std::vector<std::string>& arguments) {
        return RunCliIn(folder.Path(), arguments);
    }
    // Every module file of a folder, by name.
    static std::vector<std::pair<std::string, std::string>> Files(const TempFolder& folder) {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            files.emplace_back(entry.path().filename().string(), test::ReadFile(entry.path()));
        }
        std::sort(files.begin(), files.end());
        return files;
    }
};

}  // namespace qv::test
