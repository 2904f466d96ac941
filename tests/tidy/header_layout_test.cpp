// Procedure header layout.

#include "tidy/header_layout.h"
#include "tidy_test_support.h"

namespace qv::tidy {
namespace {

using qv::test::Vb;
using test::Lines;
using test::TidyTest;

TEST(HeaderText, ContinuationLinesLineUpAfterTheParenthesis) {
    EXPECT_EQ(HeaderText(Vb({"", "  ' Adds two numbers", "   Public Sub A(ByVal x As Long, _",
                             "ByVal y As Long, _", "        ByVal z As Long)"})),
              (Lines{"", "' Adds two numbers", "Public Sub A(ByVal x As Long, _",
                     std::string(13, ' ') + "ByVal y As Long, _",
                     std::string(13, ' ') + "ByVal z As Long)"}));
}

TEST(HeaderText, DirectivesAndCommentsDoNotSetTheColumn) {
    EXPECT_EQ(HeaderText(Vb({"#If X Then ' (a)", "Rem (b)", "Sub B(a, _", "b)"})),
              (Lines{"#If X Then ' (a)", "Rem (b)", "Sub B(a, _", "      b)"}));
    EXPECT_EQ(HeaderText(Vb({"  Sub C _", "  ()"})), (Lines{"Sub C _", "()"}))
        << "without a parenthesis everything goes flush left";
}

class HeaderTest : public TidyTest {
protected:
    void SetUp() override {
        TidyTest::SetUp();
        fx.Add("M", host::vbext_ct_StdModule,
               Vb({"Dim a", "", "  ' Adds", "  Public Sub A(ByVal x As Long, _",
                   "ByVal y As Long)", "x = 1", "End Sub"}));
        fx.Module("M").SetHiddenAttributes("A",
                                           {{0, "Attribute A.VB_Description = \"Does A\""}});
    }
    host::Member& A() { return fx.Module("M").Members().Item("A"); }
};

TEST_F(HeaderTest, ModuleWideTidyLaysOutHeaders) {
    Tidy_Routine(A(), 0, true, Settings());
    EXPECT_EQ(fx.Text("M"),
              Vb({"Dim a", "", "' Adds", "Public Sub A(ByVal x As Long, _",
                  "             ByVal y As Long)", "    x = 1", "End Sub"}));
    EXPECT_EQ(A().Attributes().Description, "Does A");
}

TEST_F(HeaderTest, HeadersStayWhenTheSettingIsOff) {
    Settings().header = 0;
    Tidy_Routine(A(), 0, true, Settings());
    EXPECT_EQ(fx.Text("M"),
              Vb({"Dim a", "", "' Adds", "  Public Sub A(ByVal x As Long, _", "ByVal y As Long)",
                  "    x = 1", "End Sub"}));
}

// The comment block under the declaration belongs to the body: a comment
// setting that keeps comments as written keeps it where it was.
TEST_F(HeaderTest, CommentsUnderTheDeclarationAreNotLaidOut) {
    fx.Add("N", host::vbext_ct_StdModule,
           Vb({"Public Sub B(ByVal x As Long, _", "  ByVal y As Long)", "  ' as written",
               "' column 1", "x = 1", "End Sub"}));
    host::Member& b = fx.Module("N").Members().Item("B");
    Settings().comment = 0;
    Tidy_Routine(b, 0, true, Settings());
    EXPECT_EQ(fx.Text("N"), Vb({"Public Sub B(ByVal x As Long, _",
                                "             ByVal y As Long)", "  ' as written", "' column 1",
                                "    x = 1", "End Sub"}));
    Settings().comment = 2;
    Tidy_Routine(b, 0, true, Settings());
    EXPECT_EQ(fx.Module("N").Lines(3, 2), Vb({"    ' as written", "' column 1"}));
}

TEST_F(HeaderTest, AOneLineHeaderIsLeftAlone) {
    auto& module = fx.Module("M");
    DoHeader("  Public Sub A(ByVal x As Long, _", 4, A(), Settings());
    EXPECT_EQ(module.EditCount(), 0u);
}

}  // namespace
}  // namespace qv::tidy
