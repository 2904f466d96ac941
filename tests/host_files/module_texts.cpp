#include "host_files/module_texts.h"

#include "host/host_constants.h"

namespace qv::test {

namespace {

std::vector<std::string> Designer(const std::string& cls, const std::string& name) {
    return {"VERSION 5.00",
            "Begin " + cls + " " + name + " ",
            "   Caption         =   \"" + name + "\"",
            "   ClientHeight    =   3195",
            "   Begin VB.CommandButton cmdOK ",
            "      Caption         =   \"OK\"",
            "      Index           =   0",
            "   End",
            "   Begin VB.CommandButton cmdOK ",
            "      Caption         =   \"Cancel\"",
            "      Index           =   1",
            "   End",
            "End",
            "Attribute VB_Name = \"" + name + "\"",
            "Attribute VB_GlobalNameSpace = False",
            "Attribute VB_Creatable = False",
            "Attribute VB_PredeclaredId = True",
            "Attribute VB_Exposed = False"};
}

}  // namespace

std::vector<ModuleKind> EveryModuleKind() {
    using namespace host;
    return {
        {"Module", "modA.bas", "modA", vbext_ct_StdModule, {"Attribute VB_Name = \"modA\""}},
        {"Class",
         "CThing.cls",
         "CThing",
         vbext_ct_ClassModule,
         {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True",
          "  MTSTransactionMode  = 0  'NotAnMTSObject", "END", "Attribute VB_Name = \"CThing\"",
          "Attribute VB_GlobalNameSpace = False", "Attribute VB_Creatable = True",
          "Attribute VB_PredeclaredId = False", "Attribute VB_Exposed = False"}},
        {"Form", "frmA.frm", "frmA", vbext_ct_VBForm, Designer("VB.Form", "frmA")},
        {"Form", "mdiMain.frm", "mdiMain", vbext_ct_VBMDIForm, Designer("VB.MDIForm", "mdiMain")},
        {"UserControl", "ucA.ctl", "ucA", vbext_ct_UserControl, Designer("VB.UserControl", "ucA")},
        {"PropertyPage", "ppA.pag", "ppA", vbext_ct_PropPage, Designer("VB.PropertyPage", "ppA")},
        {"UserDocument", "udA.dob", "udA", vbext_ct_DocObject, Designer("VB.UserDocument", "udA")},
        {"Designer", "deA.dsr", "deA", vbext_ct_ActiveXDesigner,
         Designer("{C0E45035-5775-11D0-B388-00A0C9055D8E}", "deA")},
    };
}

std::vector<std::string> SampleCode(const std::string& extraBytes) {
    return {"Option Explicit",
            "' Text in the project's code page: " + extraBytes,
            "",
            "Private WithEvents mTimer As CTimer",
            "Attribute mTimer.VB_VarHelpID = -1",
            "Private mValue As Long",
            "",
            "Public Property Get Value() As Long",
            "Attribute Value.VB_Description = \"The value.\"",
            "Attribute Value.VB_UserMemId = 0",
            "    Value = mValue",
            "End Property",
            "",
            "Public Property Let Value(ByVal v As Long)",
            "    mValue = v",
            "End Property",
            "",
            "Public Function Item(ByVal index As Long, _",
            "                     Optional ByVal extra As Long = 0) As String",
            "Attribute Item.VB_UserMemId = -4",
            "    Select Case index",
            "        Case 0: Item = \"" + extraBytes + "\"",
            "        Case Else: Item = \"other\"",
            "    End Select",
            "End Function",
            "",
            "Private Sub mTimer_Tick()",
            "\tmValue = mValue + 1   ",
            "End Sub"};
}

std::vector<std::string> ProjectLines(const std::vector<ModuleKind>& kinds) {
    std::vector<std::string> lines{"Type=Exe"};
    for (const ModuleKind& k : kinds) {
        if (k.key == "Module" || k.key == "Class")
            lines.push_back(k.key + "=" + k.name + "; " + k.fileName);
        else
            lines.push_back(k.key + "=" + k.fileName);
    }
    lines.push_back("Name=\"Kinds\"");
    return lines;
}

}  // namespace qv::test
