#include <gtest/gtest.h>

#include "platform/vb_error.h"
#include "support/vb_fixture.h"

namespace qv::host {
namespace {

using test::Vb;

TEST(Members, TypesScopesAndLocations) {
    test::VbFixture fx;
    auto& m = *fx.Add("Form1", vbext_ct_VBForm,
                      Vb({"Option Explicit",                                  // 1
                          "Private a As Long, b(1 To 3, 2) As String",        // 2
                          "Dim c",                                            // 3
                          "Public WithEvents tmr As Timer",                   // 4
                          "Const K = 1, L = \"x,y\"",                         // 5
                          "Public Event Done(ByVal ok As Boolean)",           // 6
                          "Private Declare Function Beep Lib \"k\" () As Long",  // 7
                          "Private Type Pair",                                // 8
                          "    Left As Long",                                 // 9
                          "End Type",                                         // 10
                          "Global g As _",                                    // 11
                          "    Long",                                         // 12
                          "Sub Form_Load()",                                  // 13
                          "End Sub",
                          "Friend Property Get P() As Long",                  // 15
                          "End Property",
                          "Property Let P(v As Long)",
                          "End Property"}))
                   .Code();
    struct Expect {
        const char* name;
        int type, scope;
        long location;
    };
    const Expect expected[] = {
        {"a", 3, 1, 2},     {"b", 3, 1, 2},     {"c", 3, 1, 3},   {"tmr", 3, 2, 4},
        {"K", 5, 1, 5},     {"L", 5, 1, 5},     {"Done", 4, 2, 6}, {"Beep", 1, 1, 7},
        {"g", 3, 2, 11},    {"Form_Load", 1, 2, 13}, {"P", 2, 3, 15}};
    auto& members = m.Members();
    ASSERT_EQ(members.Count(), static_cast<long>(std::size(expected)));
    for (long i = 1; i <= members.Count(); ++i) {
        const Expect& e = expected[i - 1];
        Member& member = members.Item(i);
        EXPECT_EQ(member.Name(), e.name);
        EXPECT_EQ(member.Type(), e.type) << e.name;
        EXPECT_EQ(member.Scope(), e.scope) << e.name;
        EXPECT_EQ(member.CodeLocation(), e.location) << e.name;
    }
    EXPECT_THROW(members.Item("Left"), VbError) << "fields of a Type are not members";
}

// Names are found with ASCII letters in any case, and only those: bytes
// above 0x7F (here a Windows-1252 "\xF6" and its capital "\xD6") are not
// folded, as the host does not fold them.
TEST(Members, NamesAreFoundInAnyAsciiCaseOnly) {
    test::VbFixture fx;
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Private Gr\xF6sse As Long", "Const MAX_ITEMS = 3",
                          "Sub Work_Item()", "End Sub", "Property Get Value() As Long",
                          "End Property"}))
                   .Code();
    auto& members = m.Members();
    EXPECT_EQ(members.Item("max_items").Name(), "MAX_ITEMS");
    EXPECT_EQ(members.Item("WORK_ITEM").Name(), "Work_Item");
    EXPECT_EQ(members.Item("vALUE").Name(), "Value");
    EXPECT_EQ(members.Item("GR\xF6SSE").Name(), "Gr\xF6sse");
    EXPECT_THROW(members.Item("Gr\xD6sse"), VbError);
    EXPECT_THROW(members.Item("Work_Ite"), VbError);
    EXPECT_THROW(members.Item("Work_Items"), VbError);
    EXPECT_EQ(m.ProcStartLine("work_item", vbext_pk_Proc), 3);
}

TEST(Members, HandlesStayValidAcrossEdits) {
    test::VbFixture fx;
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, Vb({"Sub A()", "End Sub", "Sub B()", "End Sub"}))
                   .Code();
    Member& b = m.Members().Item("b");
    EXPECT_EQ(b.CodeLocation(), 3);
    m.InsertLines(1, "Private x As Long\r\n");
    EXPECT_EQ(b.CodeLocation(), 5);
    EXPECT_EQ(&m.Members().Item("B"), &b);
    m.DeleteLines(5, 2);  // Sub B and its End Sub
    EXPECT_THROW(b.CodeLocation(), VbError) << "a member that is gone answers with an error";
}

TEST(Members, AttributesLiveWithTheMember) {
    test::VbFixture fx;
    auto& m = *fx.Add("Class1", vbext_ct_ClassModule,
                      Vb({"Public Name As String", "Public Property Get Value() As Long",
                          "End Property"}))
                   .Code();
    m.SetHiddenAttributes("Value", {{3, "Attribute Value.VB_UserMemId = 0"},
                                    {3, "Attribute Value.VB_Description = \"The value\""}});
    Member& value = m.Members().Item("Value");
    MemberAttributes a = value.Attributes();
    EXPECT_EQ(a.Description, "The value");
    a.Description = "Changed";
    a.Hidden = -1;
    value.SetAttributes(a);
    EXPECT_EQ(value.Attributes(), a);
    // Deleting and inserting the declaration again (as a tidy does) keeps them.
    m.DeleteLines(1, 1);
    m.InsertLines(1, "Public Name As String");
    EXPECT_EQ(m.Members().Item("Value").Attributes(), a);
}

// An event and the routine that raises it may share a name: two members,
// the routine found by the name, each with its own attribute lines.
TEST(Members, AnEventAndARoutineOfOneNameAreSeparateMembers) {
    test::VbFixture fx;
    auto& m = *fx.Add("Class1", vbext_ct_ClassModule,
                      Vb({"Public Event Opened()", "Public Event Failed(ByVal why As String)",
                          "Private WithEvents mA As CSource", "Private WithEvents mA As CSource",
                          "Public Sub Opened()", "End Sub", "Public Property Get Failed() As Boolean",
                          "End Property", "Public Property Let Failed(ByVal v As Boolean)",
                          "End Property"}))
                   .Code();
    std::vector<std::pair<std::string, int>> members;
    for (long i = 1; i <= m.Members().Count(); ++i) {
        members.emplace_back(m.Members().Item(i).Name(), m.Members().Item(i).Type());
    }
    EXPECT_EQ(members, (std::vector<std::pair<std::string, int>>{
                           {"Opened", vbext_mt_Event},
                           {"Failed", vbext_mt_Event},
                           {"mA", vbext_mt_Variable},
                           {"Opened", vbext_mt_Method},
                           {"Failed", vbext_mt_Property}}))
        << "one member per name and sort";
    EXPECT_EQ(m.Members().Item("opened").Type(), vbext_mt_Method);
    EXPECT_EQ(m.Members().Item("opened").CodeLocation(), 5);

    m.SetHiddenAttributes("Opened", {{memory::kStatementAnchor,
                                      "Attribute Opened.VB_Description = \"Raised\""},
                                     {0, "Attribute Opened.VB_Description = \"Raises it\""}});
    EXPECT_EQ(m.Members().Item(1).Attributes().Description, "Raised");
    EXPECT_EQ(m.Members().Item("Opened").Attributes().Description, "Raises it");
    MemberAttributes a = m.Members().Item("Opened").Attributes();
    a.Hidden = -1;
    m.Members().Item("Opened").SetAttributes(a);
    EXPECT_EQ(m.Members().Item(1).Attributes().Description, "Raised") << "the event's line stays";
    EXPECT_EQ(m.Members().Item("Opened").Attributes(), a);
}

}  // namespace
}  // namespace qv::host
