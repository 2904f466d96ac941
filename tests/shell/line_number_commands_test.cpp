// The line-number commands on code modules: numbering a routine as the
// code window and the module commands do, taking numbers off again, and the
// properties that hold between numbering, un-numbering and tidy.

#include "analysis/routine_parsing.h"
#include "host/memory/memory_host.h"
#include "linenumbers/line_number_settings.h"
#include "shell/line_number_commands.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"
#include "tidy/tidy_routine.h"

namespace qv::linenumbers {
namespace {

using qv::test::Vb;

class NumberCommands : public test::LineNumberTest {
protected:
    void SetUp() override {
        LineNumberTest::SetUp();
        Settings().select = 1;
        Settings().header = 1;
    }

    void Number(std::string_view module, std::string_view name, int kind = 0,
                bool doHeader = false) {
        AddLineNumbers_Mem(fx.Module(module).Members().Item(name), kind, doHeader, Settings());
    }
    static analysis::RoutineList Routines(host::VBE& vbe, host::memory::MemoryComponent& c) {
        analysis::RoutineList names;
        analysis::GetRoutineNames(vbe, c.Collection().Parent().Name(), c.Name(), names, false);
        return names;
    }
    // The module commands: every routine with its header, the declarations
    // tidied. number: line numbers; otherwise tidy.
    void WholeModule(host::VBE& vbe, host::memory::MemoryComponent& c, bool number) {
        host::CodeModule& module = *c.Code();
        for (const analysis::RoutineEntry& r : Routines(vbe, c)) {
            if (r.name == analysis::kDeclarationsName) {
                tidy::Tidy_Declarations(module, Settings());
            } else if (number) {
                AddLineNumbers_Mem(module.Members().Item(r.name), r.kind, true, Settings());
            } else {
                tidy::Tidy_Routine(module.Members().Item(r.name), r.kind, true,
                                   Settings());
            }
        }
    }
    static void Unnumber(host::VBE& vbe, host::memory::MemoryComponent& c) {
        for (const analysis::RoutineEntry& r : Routines(vbe, c)) {
            if (r.name == analysis::kDeclarationsName) continue;
            RemoveLineNumbers_Mem(c.Code()->Members().Item(r.name), r.kind);
        }
    }
    static std::string TextOf(host::memory::MemoryComponent& c) {
        return c.Code()->Lines(1, c.Code()->CountOfLines());
    }

    qv::test::RecordingServices services;
    qv::test::VbFixture fx;
};

TEST_F(NumberCommands, NumbersTheBodyAndKeepsTheClosingLine) {
    fx.Add("modA", host::vbext_ct_StdModule,
           Vb({"Option Explicit", "", "Public Sub Go(ByVal x As Long)", "' Checks x.", "If x Then",
               "y = 1", "", "", "End If", "    End Sub"}));
    Number("modA", "Go");
    EXPECT_EQ(fx.Text("modA"),
              Vb({"Option Explicit", "", "Public Sub Go(ByVal x As Long)", "    ' Checks x.",
                  "1   If x Then", "2       y = 1", "", "3   End If", "    End Sub"}));
    const std::string once = fx.Text("modA");
    Number("modA", "Go");
    EXPECT_EQ(fx.Text("modA"), once) << "numbering twice gives what numbering once gave";
}

TEST_F(NumberCommands, SaysWhetherItChangedTheModule) {
    fx.Add("modA", host::vbext_ct_StdModule,
           Vb({"Sub Go()", "x = 1", "End Sub", "Sub Empty()", "End Sub"}));
    host::CodeModule& module = fx.Module("modA");
    EXPECT_TRUE(AddLineNumbers_Mem(module.Members().Item("Go"), 0, true, Settings()));
    EXPECT_FALSE(AddLineNumbers_Mem(module.Members().Item("Go"), 0, true, Settings()));
    EXPECT_FALSE(AddLineNumbers_Mem(module.Members().Item("Empty"), 0, true, Settings()));
}

TEST_F(NumberCommands, OldNumbersGoFirst) {
    fx.Add("modA", host::vbext_ct_StdModule,
           Vb({"Sub Go()", "10  x = 1", "20:    y = 2", "30      z = 3", "End Sub"}));
    Number("modA", "Go");
    EXPECT_EQ(fx.Text("modA"), Vb({"Sub Go()", "1   x = 1", "2   y = 2", "3   z = 3", "End Sub"}));
    Settings().ten = 1;
    Number("modA", "Go");
    EXPECT_EQ(fx.Text("modA"), Vb({"Sub Go()", "10  x = 1", "20  y = 2", "30  z = 3", "End Sub"}));
}

TEST_F(NumberCommands, EmptyBodyGetsNoNumbersButItsHeadIsTidied) {
    fx.Add("modA", host::vbext_ct_StdModule,
           Vb({"Sub Z()", "End Sub", "", "", "   ' About A.", "Sub A()", "End Sub"}));
    Number("modA", "A");
    EXPECT_EQ(fx.Text("modA"), Vb({"Sub Z()", "End Sub", "", "' About A.", "Sub A()", "End Sub"}));
}

TEST_F(NumberCommands, LoneBlankLineBetweenRoutinesStays) {
    const auto lines = Vb({"Sub Z()", "End Sub", "", "Sub A()", "1   x = 1", "End Sub"});
    fx.Add("modA", host::vbext_ct_StdModule, lines);
    Number("modA", "A");
    EXPECT_EQ(fx.Text("modA"), lines);
    EXPECT_EQ(fx.Module("modA").EditCount(), 0u) << "nothing that stays the same is rewritten";
}

TEST_F(NumberCommands, TerminateRoutineLosesNumbersAndGetsNone) {
    fx.Add("CThing", host::vbext_ct_ClassModule,
           Vb({"Private Sub Class_Terminate()", "10 Set mOwner = Nothing", "End Sub"}));
    Number("CThing", "Class_Terminate");
    EXPECT_EQ(fx.Text("CThing"),
              Vb({"Private Sub Class_Terminate()", "    Set mOwner = Nothing", "End Sub"}));
}

TEST_F(NumberCommands, HeaderIsLaidOutOnlyWhenAsked) {
    const std::vector<std::string> header = {"Sub Go(ByVal a As Long, _", "  ByVal b As Long)"};
    fx.Add("modA", host::vbext_ct_StdModule, Vb({header[0], header[1], "    x = 1", "End Sub"}));
    Number("modA", "Go");
    EXPECT_EQ(fx.Module("modA").Lines(1, 2), Vb(header));
    Number("modA", "Go", 0, true);
    EXPECT_EQ(fx.Module("modA").Lines(1, 2),
              Vb({"Sub Go(ByVal a As Long, _", "       ByVal b As Long)"}));
    Settings().header = 0;
    fx.Module("modA").LoadText(Vb({header[0], header[1], "    x = 1", "End Sub"}));
    Number("modA", "Go", 0, true);
    EXPECT_EQ(fx.Module("modA").Lines(1, 2), Vb(header));
}

TEST_F(NumberCommands, UnnumberTakesOffNumbersAndNothingElse) {
    fx.Add("modA", host::vbext_ct_StdModule,
           Vb({"Sub Go()", "10 x = 1", "\tDim y ' a tab stays", "20 y = 2", "", "End Sub"}));
    EXPECT_TRUE(RemoveLineNumbers_Mem(fx.Module("modA").Members().Item("Go"), 0));
    EXPECT_EQ(fx.Text("modA"),
              Vb({"Sub Go()", "x = 1", "\tDim y ' a tab stays", "y = 2", "", "End Sub"}));
    EXPECT_FALSE(RemoveLineNumbers_Mem(fx.Module("modA").Members().Item("Go"), 0));
}

// Over a module of awkward shapes (the example and the fixtures: the
// property runs): numbering is stable, and numbering, un-numbering and tidying gives what tidy alone
// gives.
class NumberingProperties : public NumberCommands {
protected:
    void ExpectProperties(host::VBE& vbe, host::memory::MemoryComponent& c) {
        const std::string original = TextOf(c);
        WholeModule(vbe, c, false);
        const std::string tidied = TextOf(c);
        c.Code()->LoadText(original);
        WholeModule(vbe, c, true);
        const std::string numbered = TextOf(c);
        EXPECT_NE(numbered, tidied) << c.Name();
        WholeModule(vbe, c, true);
        EXPECT_EQ(TextOf(c), numbered) << c.Name() << ": numbering twice";
        Unnumber(vbe, c);
        WholeModule(vbe, c, false);
        EXPECT_EQ(TextOf(c), tidied) << c.Name() << ": number, unnumber, tidy";
    }
};


TEST_F(NumberingProperties, AwkwardShapes) {
    auto& c = fx.Add("modA", host::vbext_ct_StdModule,
                     Vb({"Option Explicit",
                         "  Private m As Long",
                         "",
                         "",
                         "' Starts.",
                         "Sub Main()",
                         "On Error GoTo Error_Routine",
                         "Dim i As Long",
                         "Select Case m",
                         "' first",
                         "Case 1",
                         "For i = 1 To 2: m = m + i: Next i",
                         "Case Else",
                         "m = 0 + _",
                         "1",
                         "End Select",
                         "#If DEBUG Then",
                         "Debug.Print m",
                         "#End If",
                         "Exit_Routine:",
                         "Exit Sub",
                         "Error_Routine:",
                         "Resume Exit_Routine",
                         "End Sub",
                         "Private Function Long1(ByVal a As Long, _",
                         "ByVal b As Long) As Long",
                         "With Me",
                         "If a Then",
                         "Long1 = a",
                         "ElseIf b Then",
                         "Long1 = b",
                         "Else",
                         "Do While a > 0",
                         "a = a - 1",
                         "Loop",
                         "End If",
                         "End With",
                         "End Function",
                         "Property Get P() As Long",
                         "End Property",
                         "",
                         "",
                         "' trailing"}));
    ExpectProperties(fx.Vbe(), c);
}

}  // namespace
}  // namespace qv::linenumbers
