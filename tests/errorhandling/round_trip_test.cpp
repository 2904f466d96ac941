// Inserting a handler into every routine that takes one and removing them
// again gives back every module byte for byte; in between, every inserted
// handler reads OK / OK. Run over modules of every kind with the shapes real
// code has (the example project and the fixtures: the property runs).

#include "errorhandling/templates.h"
#include "handler_test_support.h"
#include "host/memory/memory_host.h"

namespace qv::errorhandling::test {
namespace {

class RoundTrip : public HandlerTest {
protected:
    // Inserts into every routine of the module that takes the standard
    // handler; returns the routines that got one.
    analysis::RoutineList InsertAll(host::VBE& vbe, host::memory::MemoryComponent& component) {
        analysis::RoutineList inserted;
        host::CodeModule& module = *component.Code();
        for (const analysis::RoutineEntry& r : Routines(vbe, component)) {
            host::Member& member = module.Members().Item(r.name);
            // The terminate block has neither markers nor the On Error line
            // to the error label: the remover leaves it (tested on its own).
            if (IsTermimate(member)) continue;
            std::string message;
            if (AddRoutineErrorHandling(member, r.kind, Settings(), message))
                inserted.push_back(r);
        }
        return inserted;
    }

    void ExpectRoundTrip(host::memory::MemoryComponent& component, size_t minimumInserted) {
        ExpectRoundTrip(fx.Vbe(), component, minimumInserted);
    }
    void ExpectRoundTrip(host::VBE& vbe, host::memory::MemoryComponent& component,
                         size_t minimumInserted) {
        host::CodeModule& module = *component.Code();
        const std::string original = module.Lines(1, module.CountOfLines());
        const analysis::RoutineList inserted = InsertAll(vbe, component);
        EXPECT_GE(inserted.size(), minimumInserted) << component.Name();
        for (const analysis::RoutineEntry& r : inserted) {
            std::string fullText;
            const std::string body = analysis::RemoveComments(module, r.name, r.kind, fullText);
            const analysis::StatusPair status =
                analysis::GetRoutineStatus(module, r.name, r.kind, body, Settings());
            EXPECT_EQ(status, (analysis::StatusPair{0, 0})) << component.Name() << "." << r.name;
        }
        for (const analysis::RoutineEntry& r : inserted) {
            RemoveOld(module.Members().Item(r.name), r.kind, Settings());
        }
        EXPECT_EQ(module.Lines(1, module.CountOfLines()), original) << component.Name();
    }

    static analysis::RoutineList Routines(host::VBE& vbe,
                                          host::memory::MemoryComponent& component) {
        analysis::RoutineList names;
        analysis::GetRoutineNames(vbe, component.Collection().Parent().Name(), component.Name(),
                                  names, false);
        names.erase(names.begin());  // (Declarations)
        return names;
    }
};


TEST_F(RoundTrip, StandardModuleShapes) {
    ExpectRoundTrip(fx.Add("modShapes", host::vbext_ct_StdModule,
                           Vb({"Attribute VB_Name = \"x\"",
                               "Option Explicit",
                               "Private m As Long",
                               "",
                               "' Starts it.",
                               "Sub Main()",
                               "\tm = 1",
                               "End Sub",
                               "",
                               "Public Function Sum(ByVal a As Long, _",
                               "                    b As Long) As Long",
                               "' Adds.",
                               "",
                               "",
                               "    Sum = a + b",
                               "",
                               "",
                               "End Function",
                               "Private Sub Empty()",
                               "End Sub",
                               "Friend Sub OnlyComments()",
                               "' one",
                               "' two _",
                               "  continued",
                               "End Sub",
                               "Sub Numbered()",
                               "10  x = 1",
                               "20  If x Then",
                               "30      y = 2",
                               "    End If",
                               "End Sub",
                               "Sub Picks(x)",
                               "    Select Case x",
                               "        Case 1: y = 1",
                               "    End Select",
                               "    ' Exit_Routine: is not a label here",
                               "End Sub",
                               "Sub Last()",
                               "    Beep",
                               "End Sub",
                               "",
                               "' trailing notes",
                               ""})),
                    7);
}

TEST_F(RoundTrip, ClassesFormsAndProperties) {
    auto& form =
        fx.Add("frmMain", host::vbext_ct_VBForm,
               Vb({"Option Explicit", "Private WithEvents mAccount As CAccount", "",
                   "Private Sub Form_Load()", "    Set mAccount = New CAccount", "End Sub", "",
                   "Private Sub cmdGo_Click(Index As Integer)", "    If Index = 0 Then Beep",
                   "End Sub", "", "Private Sub mAccount_Changed(ByVal value As Currency)",
                   "    lblValue.Caption = value", "End Sub"}));
    form.EnsureDesigner().Controls().Add("cmdGo");
    ExpectRoundTrip(form, 3);

    auto& account = fx.Add("CAccount", host::vbext_ct_ClassModule,
                           Vb({"Option Explicit",
                               "Private mBalance As Currency",
                               "",
                               "Private Sub Class_Initialize()",
                               "    mBalance = 0",
                               "End Sub",
                               "",
                               "Private Sub Class_Terminate()",
                               "    Set mOwner = Nothing",
                               "End Sub",
                               "",
                               "' The balance.",
                               "Public Property Get Balance() As Currency",
                               "    Balance = mBalance",
                               "End Property",
                               "",
                               "Public Property Let Balance(ByVal value As Currency)",
                               "    mBalance = value",
                               "End Property",
                               "Public Property Set Owner(ByVal value As Object)",
                               "    Set mOwner = value",
                               "End Property"}));
    account.Props().Set("Instancing", "1");
    ExpectRoundTrip(account, 4);

    auto& mts = fx.Add(
        "CTx", host::vbext_ct_ClassModule,
        Vb({"Implements ObjectControl", "Private mctxObject As ObjectContext", "",
            "Private Sub ObjectControl_Activate()", "    Set mctxObject = GetObjectContext()",
            "End Sub", "Private Function ObjectControl_CanBePooled() As Boolean",
            "    ObjectControl_CanBePooled = False", "End Function",
            "Public Function Save(ByVal data As String) As Boolean", "    Save = Len(data) > 0",
            "End Function"}));
    mts.Props().Set("MTSTransactionMode", "2");
    mts.Props().Set("Instancing", "5");
    ExpectRoundTrip(mts, 2);
}

TEST_F(RoundTrip, WithMarkedTemplates) {
    settings::SettingsRecord& s = Settings();
    s.add0 = "Trace \"%m.%r\"";
    s.add1 = "Dim started As Date\r\nstarted = Now";
    s.add2 = "Set x = Nothing";
    ExpectRoundTrip(
        fx.Add("modA", host::vbext_ct_StdModule,
               Vb({"Sub A()", "' c", "", "    Beep", "End Sub", "Function B(x)", "End Function",
                   "Property Get C() As Long", "    C = 1", "End Property"})),
        3);
}

}  // namespace
}  // namespace qv::errorhandling::test
