// The declarations tidy and the member attributes it keeps.

#include "tidy/member_properties.h"
#include "tidy_test_support.h"

namespace qv::tidy {
namespace {

using qv::test::Vb;
using test::TidyTest;

class DeclarationsTest : public TidyTest {
protected:
    void SetUp() override {
        TidyTest::SetUp();
        fx.Add("C", host::vbext_ct_ClassModule,
               Vb({"Option Explicit", "  Public Count As Long", "  Private Hidden As Long",
                   "  Public Event Changed()", "  Public Const K = 1", "", "Sub A()",
                   "End Sub"}));
        module().SetHiddenAttributes(
            "Count", {{0, "Attribute Count.VB_VarDescription = \"How many\""}});
        module().SetHiddenAttributes("Hidden",
                                     {{0, "Attribute Hidden.VB_VarDescription = \"Secret\""}});
        module().SetHiddenAttributes("Changed",
                                     {{0, "Attribute Changed.VB_Description = \"After a change\""}});
    }
    host::memory::MemoryCodeModule& module() { return fx.Module("C"); }
    std::string Description(std::string_view member) {
        return module().Members().Item(member).Attributes().Description;
    }
};

TEST_F(DeclarationsTest, PublicVariablesKeepTheirAttributes) {
    Tidy_Declarations(module(), Settings());
    EXPECT_EQ(fx.Text("C"),
              Vb({"Option Explicit", "Public Count As Long", "Private Hidden As Long",
                  "Public Event Changed()", "Public Const K = 1", "", "Sub A()", "End Sub"}));
    EXPECT_EQ(Description("Count"), "How many");
    EXPECT_EQ(Description("Changed"), "After a change");
    EXPECT_EQ(Description("Hidden"), "Secret");
}

TEST_F(DeclarationsTest, SavesPublicVariablesAndEventsOnly) {
    std::vector<std::string> names;
    for (const SavedProperties& p : SaveProperties(module())) names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Count", "Changed"}));
}

TEST_F(DeclarationsTest, RestoreWritesBackWhatHoldsSomething) {
    const SavedPropertyList saved = SaveProperties(module());
    module().Members().Item("Count").SetAttributes({});
    host::MemberAttributes changed = module().Members().Item("Changed").Attributes();
    changed.HelpContextID = 12;
    module().Members().Item("Changed").SetAttributes(changed);
    RestoreProperties(module(), saved);
    EXPECT_EQ(Description("Count"), "How many");
    EXPECT_EQ(module().Members().Item("Changed").Attributes().HelpContextID, 12)
        << "a saved zero is not written";
}

// An event and the routine that raises it share a name: each keeps its own
// attributes through the rewrite of the declarations.
TEST_F(DeclarationsTest, AnEventKeepsItsAttributesApartFromTheRoutineOfItsName) {
    module().LoadText(Vb({"  Public Event Opened()", "Public Sub Opened()", "End Sub"}));
    module().SetHiddenAttributes(
        "Opened", {{host::memory::kStatementAnchor, "Attribute Opened.VB_Description = \"Event\""}});
    Tidy_Declarations(module(), Settings());
    EXPECT_EQ(fx.Text("C"), Vb({"Public Event Opened()", "Public Sub Opened()", "End Sub"}));
    EXPECT_EQ(Description("Opened"), "") << "the routine got nothing of the event's";
    EXPECT_EQ(module().Members().Item(1).Attributes().Description, "Event");
}

}  // namespace
}  // namespace qv::tidy
