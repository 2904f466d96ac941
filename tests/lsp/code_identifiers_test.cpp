// Which words of VB code are identifiers in code and which of them declare
// their name: what find-references stands on.

#include <gtest/gtest.h>

#include <set>

#include "lsp/code_identifiers.h"

namespace qv::lsp {
namespace {

std::string WordOf(const std::vector<std::string>& lines, const IdentifierUse& use) {
    return lines[static_cast<size_t>(use.line) - 1].substr(static_cast<size_t>(use.column) - 1,
                                                           static_cast<size_t>(use.length));
}

// The names the lines declare, in order, space-separated.
std::string Declared(const std::vector<std::string>& lines) {
    std::string out;
    for (const IdentifierUse& use : IdentifierUses(lines, false)) {
        if (use.declares) out += (out.empty() ? "" : " ") + WordOf(lines, use);
    }
    return out;
}

// Where the word stands ("line:column"), case ignored.
std::string Places(const std::vector<std::string>& lines, const std::string& word, bool withText) {
    std::string out;
    for (const IdentifierUse& use : IdentifierUses(lines, withText)) {
        std::string found = WordOf(lines, use);
        if (found.size() != word.size() ||
            !std::equal(found.begin(), found.end(), word.begin(),
                        [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
            continue;
        }
        out += (out.empty() ? "" : " ") + std::to_string(use.line) + ":" + std::to_string(use.column);
    }
    return out;
}

TEST(CodeIdentifiersTest, DeclarationsNameWhatTheyDeclare) {
    EXPECT_EQ(Declared({"Private Declare Function GetTickCount Lib \"kernel32\" (ByVal a As Long) As Long"}),
              "GetTickCount a");
    EXPECT_EQ(Declared({"Dim a(1 To 3) As Long, b As New Collection"}), "a b");
    EXPECT_EQ(Declared({"Private WithEvents mForm As Form, Const_ As Long"}), "mForm Const_");
    EXPECT_EQ(Declared({"Public Const A As Long = 1, B = 2"}), "A B");
    EXPECT_EQ(Declared({"Friend Property Let Price(ByVal value As Long)"}), "Price value");
    EXPECT_EQ(Declared({"Static Function F$(Optional ByRef x As Variant = Empty, ParamArray rest())"}),
              "F x rest");
    EXPECT_EQ(Declared({"Public Event Changed(ByVal what As String)"}), "Changed what");
    EXPECT_EQ(Declared({"Exit_Here:", "    Exit Sub", "Fail: x = 1: GoTo Exit_Here"}), "Exit_Here Fail");
    // Fields of a Type and members of an Enum; after End Type a name is used.
    EXPECT_EQ(Declared({"Private Type Point", "    X As Long", "    Y(1 To 2) As Long", "End Type",
                        "Enum Colour", "    Red = 1", "    Green", "End Enum", "X = Red"}),
              "Point X Y Colour Red Green");
    // Neither an assignment nor a call declares anything.
    EXPECT_EQ(Declared({"x = Total(a, b)", "ReDim items(5)", "Call Store(x)"}), "");
}

// Each routine's body is a scope of its own, from its declaration line
// (parameters included) to its End line; the routine's name and what stands
// between routines are the module's.
TEST(CodeIdentifiersTest, EachRoutineBodyIsAScope) {
    const std::vector<std::string> lines = {
        "Private total As Long",                                    // 1
        "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)",
        "Public Sub A(ByVal n As Long)",                            // 3
        "    Dim i As Long",
        "End Sub",
        "Const Limit = 3",                                          // 6
        "Public Property Get B() As Long",
        "    B = total: Exit Property",
        "End Property",
    };
    std::string scopes;
    const std::set<std::string> names = {"total", "Sleep", "ms", "A", "n", "i", "Limit", "B"};
    for (const IdentifierUse& use : IdentifierUses(lines, false)) {
        if (names.count(WordOf(lines, use)) == 0) continue;
        scopes += WordOf(lines, use) + "=" + std::to_string(use.scope) + " ";
    }
    EXPECT_EQ(scopes, "total=0 Sleep=0 ms=1 A=0 n=2 i=2 Limit=0 B=0 B=3 total=3 ");
}

TEST(CodeIdentifiersTest, AStatementRunsOverItsContinuationLines) {
    const std::vector<std::string> lines = {"Public Function Sum(a As Long, _",
                                            "                    Optional b As Long = 0) _",
                                            "                    As Long", "Sum = a + b"};
    EXPECT_EQ(Declared(lines), "Sum a b");
    EXPECT_EQ(Places(lines, "b", false), "2:30 4:11");
}

TEST(CodeIdentifiersTest, CommentsAndStringsHoldNoIdentifiersUnlessAskedFor) {
    const std::vector<std::string> lines = {
        "total = 1 ' the total _",          // a comment continued...
        "  still the total",                 // ...over the next line
        "Rem total",                         // Rem starts a comment
        "x = \"say \"\"total\"\" now\" & Total: Rem total",
        "subtotal = totals + &HFF + total2",  // other words, hex digits
        "[total] = 2",                       // a bracketed name
    };
    EXPECT_EQ(Places(lines, "total", false), "1:1 4:27 6:2");
    EXPECT_EQ(Places(lines, "total", true), "1:1 1:17 2:13 3:5 4:12 4:27 4:38 6:2");
    EXPECT_EQ(Places(lines, "HFF", false), "");
}

TEST(CodeIdentifiersTest, AnUnclosedStringEndsWithItsLine) {
    const std::vector<std::string> lines = {"x = \"open total", "total = 1"};
    EXPECT_EQ(Places(lines, "total", false), "2:1");
}

}  // namespace
}  // namespace qv::lsp
