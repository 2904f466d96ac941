// The line-number commands on code modules: numbering a routine as the
// code window and the module commands do, and taking numbers off again.
// Numbering, un-numbering and tidy over whole projects are the property
// runs of the command line.

#include "host/memory/memory_host.h"
#include "linenumbers/line_number_settings.h"
#include "shell/line_number_commands.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

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

    qv::test::RecordingServices services;
    qv::test::VbFixture fx;
};

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

}  // namespace
}  // namespace qv::linenumbers
