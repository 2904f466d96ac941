// Projects, groups and loose modules as the IDE opens them, with the messy
// paths of real code bases.

#include <gtest/gtest.h>

#include "analysis/routine_parsing.h"
#include "host/files/file_error.h"
#include "host/files/module_writer.h"
#include "host/files/vb_path.h"
#include "host_files/files_fixture.h"
#include "host_files/module_texts.h"
#include "support/vb_fixture.h"

namespace qv::test {
namespace {

std::string Bas(const std::string& name) {
    return Joined({"Attribute VB_Name = \"" + name + "\"", "Sub " + name + "_Run()", "End Sub"});
}

std::string Class(const std::string& exposed, const std::string& creatable,
                  const std::string& multiUse, const std::string& global,
                  const std::string& mtsLine) {
    std::vector<std::string> lines{"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = " + multiUse};
    if (!mtsLine.empty()) lines.push_back(mtsLine);
    for (const std::string& l :
         {std::string("END"), std::string("Attribute VB_Name = \"C\""),
          "Attribute VB_GlobalNameSpace = " + global, "Attribute VB_Creatable = " + creatable,
          "Attribute VB_Exposed = " + exposed}) {
        lines.push_back(l);
    }
    return Joined(lines);
}

// Where each line's procedure is, as the code module answers it; lines
// past the module's end too, for the last block.
std::vector<std::string> ProcedurePlaces(host::memory::MemoryCodeModule& code) {
    std::vector<std::string> places{"declarations " +
                                    std::to_string(code.CountOfDeclarationLines())};
    for (long l = 1; l <= code.CountOfLines() + 1; ++l) {
        int kind = 0;
        const std::string name = code.ProcOfLine(l, kind);
        std::string place = std::to_string(l) + " " + name + "/" + std::to_string(kind);
        if (!name.empty()) {
            place += " " + std::to_string(code.ProcStartLine(name, kind)) + " " +
                     std::to_string(code.ProcBodyLine(name, kind)) + " " +
                     std::to_string(code.ProcCountLines(name, kind));
        }
        places.push_back(place);
    }
    places.push_back("members " + std::to_string(code.Members().Count()));
    return places;
}

// The procedures of module files are found while the files are read, side
// by side; the module then answers as one whose procedures are found when
// first asked for, before an edit and after it.
TEST(ProjectLoad, ProceduresFoundWhileReadingAnswerAsThoseFoundLater) {
    const std::vector<std::string> code{
        "Option Explicit",
        "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
        "Private mName As String",
        "",
        "' Runs it.",
        "Public Sub Run(ByVal a As Long, _",
        "               ByVal b As Long)",
        "    mName = \"x\"",
        "End Sub",
        "#If Win64 Then",
        "Private Function Handle() As LongPtr",
        "#Else",
        "Private Function Handle() As Long",
        "#End If",
        "    Handle = 0",
        "End Function",
        "Public Property Get Name() As String",
        "    Name = mName",
        "End Property",
        "Public Property Let Name(ByVal value As String)",
        "    mName = value",
        "End Property",
        "Function One(): One = 1: End Function",
        "' trailing comment",
    };
    TempFolder folder;
    std::vector<std::string> lines{"Attribute VB_Name = \"modShapes\""};
    lines.insert(lines.end(), code.begin(), code.end());
    folder.Write("modShapes.bas", Joined(lines));
    folder.Write("Shapes.vbp", Joined({"Type=Exe", "Module=modShapes; modShapes.bas"}));
    for (const char* target : {"Shapes.vbp", "modShapes.bas"}) {
        LoadedFiles loaded = Load({folder.File(target)});
        host::memory::MemoryCodeModule& read = loaded.Code("modShapes");
        VbFixture fx;
        host::memory::MemoryCodeModule& later =
            *fx.Add("modShapes", host::vbext_ct_StdModule, Joined(code, "\r\n", false)).Code();
        EXPECT_EQ(ProcedurePlaces(read), ProcedurePlaces(later)) << target;
        read.InsertLines(7, "    ' a new line");
        later.InsertLines(7, "    ' a new line");
        read.DeleteLines(14, 1);
        later.DeleteLines(14, 1);
        EXPECT_EQ(ProcedurePlaces(read), ProcedurePlaces(later)) << target << " after edits";
    }
}

TEST(ProjectLoad, ComponentTypesControlsAndProperties) {
    TempFolder folder;
    const std::vector<ModuleKind> kinds = EveryModuleKind();
    for (const ModuleKind& k : kinds) {
        std::vector<std::string> lines = k.header;
        lines.push_back("Option Explicit");
        folder.Write(k.fileName, Joined(lines));
    }
    std::vector<std::string> project = ProjectLines(kinds);
    project[0] = "Type=OleDll";
    project.push_back("ResFile32=\"Kinds.RES\"");
    folder.Write("Kinds.vbp", Joined(project));
    folder.Write("Kinds.RES", std::string("\0\0\x20\0", 4));
    LoadedFiles loaded = Load({folder.File("Kinds.vbp")});
    host::memory::MemoryProject& p = loaded.Project();
    EXPECT_EQ(p.Name(), "Kinds");
    EXPECT_EQ(p.Type(), host::vbext_pt_ActiveXDll);
    EXPECT_EQ(p.FileName(), folder.File("Kinds.vbp"));
    ASSERT_EQ(p.Components().Count(), static_cast<long>(kinds.size()) + 1);
    for (const ModuleKind& k : kinds) EXPECT_EQ(loaded.Component(k.name).Type(), k.type) << k.name;

    host::memory::MemoryComponent& res = p.Components().At(p.Components().Count());
    EXPECT_EQ(res.Type(), host::vbext_ct_ResFile);
    EXPECT_EQ(res.Code(), nullptr);
    EXPECT_EQ(res.FileNames(1), folder.File("Kinds.RES"));

    host::memory::MemoryComponent& form = loaded.Component("frmA");
    ASSERT_NE(form.Designer(), nullptr);
    host::VBControls& controls = form.Designer()->VBControls();
    ASSERT_EQ(controls.Count(), 2);  // a control array of two
    EXPECT_EQ(controls.Item(2).Properties().Item("Index").Value(), "1");
    EXPECT_EQ(controls.Item("CMDOK").Properties().Item("Caption").Value(), "OK");
    EXPECT_TRUE(analysis::HasControl(&controls, "cmdOK"));
    EXPECT_EQ(form.Properties().Item("Caption").Value(), "frmA");
    EXPECT_EQ(form.FileNames(1), folder.File("frmA.frm"));
    EXPECT_EQ(loaded.Component("modA").Designer(), nullptr);
}

TEST(ProjectLoad, ClassInstancingAndTransactionMode) {
    struct Case {
        const char* exposed;
        const char* creatable;
        const char* multiUse;
        const char* global;
        int instancing;
    };
    for (const Case& c :
         {Case{"False", "True", "-1", "False", 1}, Case{"True", "False", "-1", "False", 2},
          Case{"True", "True", "0", "False", 3}, Case{"True", "True", "0", "True", 4},
          Case{"True", "True", "-1  'True", "False", 5}, Case{"True", "True", "-1", "True", 6}}) {
        TempFolder folder;
        folder.Write("C.cls", Class(c.exposed, c.creatable, c.multiUse, c.global,
                                    "  MTSTransactionMode  = 2  'RequiresTransaction"));
        LoadedFiles loaded = Load({folder.File("C.cls")});
        host::CodeModule& code = loaded.Code("C");
        EXPECT_EQ(analysis::GetInstancing(code), c.instancing)
            << c.exposed << c.creatable << c.multiUse;
        EXPECT_EQ(analysis::GetMTSTransactionMode(code), 2);
    }
    TempFolder folder;
    folder.Write("C.cls", Class("False", "True", "-1", "False", ""));
    LoadedFiles loaded = Load({folder.File("C.cls")});
    EXPECT_EQ(analysis::GetMTSTransactionMode(loaded.Code("C")), 0);
}

TEST(ProjectLoad, PathsInAnyCaseOutsideTheFolderAndMissing) {
    TempFolder folder;
    folder.Write("app/Main.bas", Bas("Main"));
    folder.Write("common/Tools.BAS", Bas("Tools"));
    folder.Write("app/forms/Sub Folder/frmX.frm", Joined({"VERSION 5.00", "Begin VB.Form frmX",
                                                          "End", "Attribute VB_Name = \"frmX\""}));
    folder.Write("app/APP.VBP",
                 Joined({"Type=Exe", "Module=Main; main.bas", "Module=Tools; ..\\Common\\tools.bas",
                         "Form=Forms\\sub folder\\FRMX.frm", "Module=Gone; gone.bas",
                         "Class=Far; C:\\VB\\far.cls"}));
    LoadedFiles loaded = Load({folder.File("app/APP.VBP")});
    host::memory::MemoryProject& p = loaded.Project();
    EXPECT_EQ(p.Name(), "APP");  // no Name= line: the file's name
    ASSERT_EQ(p.Components().Count(), 3);
    EXPECT_EQ(loaded.Component("Tools").FileNames(1), folder.File("common/Tools.BAS"));
    EXPECT_EQ(loaded.Component("frmX").FileNames(1), folder.File("app/forms/Sub Folder/frmX.frm"));
    const auto& warnings = loaded.workspace->Warnings();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].rfind(
                  folder.File("app/APP.VBP") + ":5: Module file \"gone.bas\" is not there", 0),
              0u)
        << warnings[0];
    EXPECT_NE(warnings[1].find(":6: Class file"), std::string::npos) << warnings[1];
}

TEST(ProjectLoad, CodePageBytesInPaths) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows names files in UTF-16: no name is made of raw code-page bytes";
#endif
    TempFolder folder;
    // A Shift-JIS folder name whose trail byte is a backslash, kept as raw bytes.
    folder.Write("\x95\x5C/Table.bas", Bas("Table"));
    // A Windows-1252 name that the checkout stored as UTF-8.
    folder.Write("M\xC3\xBCller.bas", Bas("Mueller"));
    folder.Write("P.vbp", Joined({"Type=Exe", "Module=Table; \x95\x5C\\Table.bas",
                                  "Module=Mueller; M\xFCller.bas"}));
    LoadedFiles loaded = Load({folder.File("P.vbp")});
    EXPECT_TRUE(loaded.workspace->Warnings().empty()) << loaded.workspace->Warnings()[0];
    EXPECT_EQ(loaded.Project().Components().Count(), 2);
}

// Paths written in the project file's code page name the files whose names
// on disk (UTF-8) are the same text, case ignored in any alphabet; a file
// written in UTF-8 is read so whatever the run's code page.
TEST(ProjectLoad, PathsAreComparedAsTextOfTheProjectsCodePage) {
    const text::CodePage japanese = *text::CodePage::Named("932");
    TempFolder folder;
    folder.Write("表示/共通.bas", Bas("Common"));  // 表 ends in the byte of "\\"
    folder.Write("日本.vbp", *text::FromUtf8(Joined({"Type=Exe", "Module=共通; 表示\\共通.bas",
                                                     "Name=\"日本\""}),
                                              japanese));
    folder.Write("グループ.vbg",
                 *text::FromUtf8(Joined({"VBGROUP 5.0", "StartupProject=日本.vbp"}), japanese));
    folder.Write("Módulo.bas", Bas("Modulo"));
    folder.Write("Latin.vbp", Joined({"Type=Exe", "Module=Modulo; M\xD3" "DULO.BAS"}));
    folder.Write("Utf8.vbp", Joined({"Type=Exe", "Module=Modulo; Módulo.bas", "Name=\"Año\""}));

    LoadedFiles group = Load({folder.File("グループ.vbg")}, japanese);
    EXPECT_TRUE(group.workspace->Warnings().empty()) << group.workspace->Warnings()[0];
    ASSERT_EQ(group.Project().Components().Count(), 1);
    EXPECT_EQ(group.Project().TextCodePage(), japanese);
    EXPECT_EQ(text::ToUtf8(group.Project().Name(), japanese), "日本");
    EXPECT_EQ(group.Component("Common").FileNames(1), folder.File("表示/共通.bas"));

    LoadedFiles latin = Load({folder.File("Latin.vbp")});
    EXPECT_TRUE(latin.workspace->Warnings().empty()) << latin.workspace->Warnings()[0];
    EXPECT_EQ(latin.Component("Modulo").FileNames(1), folder.File("Módulo.bas"));

    LoadedFiles utf8 = Load({folder.File("Utf8.vbp")}, japanese);
    EXPECT_TRUE(utf8.workspace->Warnings().empty()) << utf8.workspace->Warnings()[0];
    EXPECT_EQ(utf8.Project().TextCodePage(), text::CodePage::Utf8());
    EXPECT_EQ(utf8.Project().Name(), "Año");

    // The same project read in another code page names nothing there, and
    // the warning says how its names were read.
    LoadedFiles western = Load({folder.File("日本.vbp")});
    ASSERT_EQ(western.workspace->Warnings().size(), 1u);
    EXPECT_NE(western.workspace->Warnings()[0].find(
                  "Module file \"•\\Ž¦\\‹¤’Ê.bas\" is not there (it is read in code page 1252"),
              std::string::npos)
        << western.workspace->Warnings()[0];
}

TEST(ProjectLoad, GroupWithStartupProjectAndAMissingOne) {
    TempFolder folder;
    folder.Write("a/A.vbp", Joined({"Type=Exe", "Module=a; a.bas", "Name=\"A\""}));
    folder.Write("a/a.bas", Bas("a"));
    folder.Write("b/B.vbp", Joined({"Type=Control", "Module=b; b.bas", "Name=\"B\""}));
    folder.Write("b/b.bas", Bas("b"));
    folder.Write("G.vbg", Joined({"VBGROUP 5.0", "Project=a\\A.vbp", "StartupProject=b\\B.vbp",
                                  "Project=c\\C.vbp"}));
    LoadedFiles loaded = Load({folder.File("G.vbg")});
    ASSERT_EQ(loaded.vbe->Projects().Count(), 2);
    EXPECT_EQ(loaded.vbe->ActiveVBProject()->Name(), "B");
    EXPECT_EQ(loaded.Project(2).Type(), host::vbext_pt_ActiveXControl);
    ASSERT_EQ(loaded.workspace->Warnings().size(), 1u);
    EXPECT_NE(loaded.workspace->Warnings()[0].find(":4: project \"c\\C.vbp\" is not there"),
              std::string::npos);
}

TEST(ProjectLoad, LooseModulesFormOneProjectPerFolder) {
    TempFolder folder;
    folder.Write("Billing/a.bas", Bas("a"));
    folder.Write("Billing/b.bas", Bas("b"));
    folder.Write("Other/c.bas", Bas("c"));
    LoadedFiles loaded = Load(
        {folder.File("Billing/a.bas"), folder.File("Other/c.bas"), folder.File("Billing/b.bas")});
    ASSERT_EQ(loaded.vbe->Projects().Count(), 2);
    EXPECT_EQ(loaded.Project(1).Name(), "Billing");
    EXPECT_EQ(loaded.Project(1).Components().Count(), 2);
    EXPECT_EQ(loaded.Project(2).Name(), "Other");
    EXPECT_EQ(loaded.vbe->ActiveVBProject()->Name(), "Billing");
}

TEST(ProjectLoad, ConditionalDeclarationsShareOneBody) {
    TempFolder folder;
    folder.Write(
        "m.bas",
        Joined({"Attribute VB_Name = \"m\"", "#If Win64 Then", "Public Sub Run(ByVal p As LongPtr)",
                "#Else", "Public Sub Run(ByVal p As Long)", "#End If", "    Beep", "End Sub",
                "Private Function Lo(ByVal v As Long) As Long: Lo = v And &HFFFF&: End Function"}));
    LoadedFiles loaded = Load({folder.File("m.bas")});
    EXPECT_TRUE(loaded.workspace->BrokenModules().empty());
    EXPECT_EQ(loaded.Code("m").Index().Procs().size(), 2u);
}

// Projects are found by name; a second project of a name is renamed.
TEST(ProjectLoad, ProjectsOfOneNameAreToldApart) {
    TempFolder folder;
    folder.Write("a/src/m.bas", Bas("m"));
    folder.Write("b/src/n.bas", Bas("n"));
    folder.Write("P1.vbp", Joined({"Type=Exe", "Module=m; a/src/m.bas", "Name=\"Tool\""}));
    folder.Write("P2.vbp", Joined({"Type=Exe", "Module=n; b/src/n.bas", "Name=\"TOOL\""}));
    folder.Write("G.vbg", Joined({"VBGROUP 5.0", "StartupProject=P1.vbp", "Project=P2.vbp"}));
    LoadedFiles group = Load({folder.File("G.vbg")});
    ASSERT_EQ(group.vbe->Projects().Count(), 2);
    EXPECT_EQ(group.Project(1).Name(), "Tool");
    EXPECT_EQ(group.Project(2).Name(), "TOOL_2");
    ASSERT_EQ(group.workspace->Warnings().size(), 1u);
    EXPECT_NE(group.workspace->Warnings()[0].find("is called TOOL_2 here (--project TOOL_2)"),
              std::string::npos);
    LoadedFiles loose = Load({folder.File("a/src/m.bas"), folder.File("b/src/n.bas")});
    EXPECT_EQ(loose.Project(1).Name(), "src");
    EXPECT_EQ(loose.Project(2).Name(), "src_2");
}

TEST(ProjectLoad, ByteOrderMarkIsKeptButNotRead) {
    TempFolder folder;
    const std::string module = "\xEF\xBB\xBF" + Bas("m");
    folder.Write("m.bas", module);
    folder.Write("P.vbp", "\xEF\xBB\xBFType=Exe\r\nModule=m; m.bas\r\n");
    LoadedFiles loaded = Load({folder.File("P.vbp")});
    EXPECT_EQ(loaded.Code("m").Line(1), "Sub m_Run()");
    EXPECT_EQ(host::files::RenderModuleFile(loaded.File("m")).bytes, module);
}

TEST(ProjectLoad, BinaryCompanionIsOneOfTheFormsFiles) {
    TempFolder folder;
    folder.Write("f.frm", Joined({"VERSION 5.00", "Begin VB.Form f", "   Icon = \"F.frx\":0000",
                                  "End", "Attribute VB_Name = \"f\""}));
    folder.Write("F.FRX", std::string("\0\1", 2));
    LoadedFiles loaded = Load({folder.File("f.frm")});
    host::memory::MemoryComponent& form = loaded.Component("f");
    ASSERT_EQ(form.FileCount(), 2);
    EXPECT_EQ(form.FileNames(2), folder.File("F.FRX"));
}

TEST(VbPath, ResolvesOnlyExistingFiles) {
    TempFolder folder;
    folder.Write("Dir/File.bas", "x");
    EXPECT_EQ(host::files::ResolveVbPath(folder.Path().string(), "dir\\FILE.bas", {}),
              folder.File("Dir/File.bas"));
    EXPECT_EQ(host::files::ResolveVbPath(folder.Path().string(), "\"Dir/File.bas\"", {}),
              folder.File("Dir/File.bas"));
    EXPECT_FALSE(host::files::ResolveVbPath(folder.Path().string(), "dir", {}));
    EXPECT_FALSE(host::files::ResolveVbPath(folder.Path().string(), "dir\\nothing.bas", {}));
    EXPECT_FALSE(host::files::ResolveVbPath(folder.Path().string(), "\\\\server\\share\\x.bas", {}));
}

TEST(VbPath, GivesTheFileFoundAsOneNormalPath) {
    // The folder and the written path with parts that name no folder of
    // their own: the path found is the same, as normal as it can be made.
    TempFolder folder;
    folder.Write("Dir/File.bas", "x");
    const std::string root = folder.Path().string();
    for (const std::string& base : {root, root + "/", root + "/.", root + "/Dir/..", root + "//"}) {
        for (std::string_view written : {"Dir\\File.bas", ".\\Dir\\File.bas", "Dir\\.\\File.bas",
                                         "Dir\\..\\Dir\\File.bas", "Dir\\\\File.bas", "Dir/File.bas"}) {
            EXPECT_EQ(host::files::ResolveVbPath(base, written, {}), folder.File("Dir/File.bas"))
                << base << " + " << written;
        }
    }
}

}  // namespace
}  // namespace qv::test
