#include <gtest/gtest.h>

#include <sstream>

#include "find/find_search.h"
#include "support/vb_fixture.h"

namespace qv::find {
namespace {

// The tree one node a line, indented by depth: "text | key | image | tag".
std::string Dump(const FindTree& tree) {
    std::ostringstream out;
    tree.Walk([&](long, const FindNode& node, int depth) {
        out << std::string(static_cast<size_t>(depth) * 2, ' ') << node.text << " | " << node.key
            << " | " << node.image << " | " << node.tag << '\n';
    });
    return out.str();
}

long CodeNodes(const FindTree& tree) {
    long n = 0;
    tree.Walk([&](long, const FindNode& node, int) { n += node.tag == "Code" ? 1 : 0; });
    return n;
}

std::string Summary(const FindTree& tree) {
    return tree.Node(tree.Children(FindTree::kRoot)[0]).text;
}

FindTree Search(test::VbFixture& fx, std::string_view what, FindOptions options = {}) {
    FindTree tree;
    SearchProjects(fx.Vbe(), what, options, tree);
    return tree;
}

TEST(FindSearch, TreeNodesCarryTheirKeysTextsImagesAndTags) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule,
           test::Vb({"Private total As Long", "", "Public Sub Add()", "    total = total + 1",
                     "End Sub"}));
    fx.Add("Form1", host::vbext_ct_VBForm,
           test::Vb({"Private Sub Form_Load()", "  Module1.Add: Debug.Print TOTAL", "End Sub"}));
    EXPECT_EQ(
        Dump(Search(fx, "total")),
        "4 hits found. |  | Info | \n"
        "Project1 | keyProject1 | StandardExe | \n"
        "  Modules | keyGroupProject1/1 | Close | Group\n"
        "    Module1 | keyProject1/Module1 | StdModule | \n"
        "      Private total As Long | keyProject1/Module1/1/9/1/14 | Code | Code\n"
        "      Add | keyProject1/Module1/Add | Procedure | Procedure\n"
        "        total = total + 1 | keyProject1/Module1/4/5/4/10 | Code | Code\n"
        "        total = total + 1 | keyProject1/Module1/4/13/4/18 | Code | Code\n"
        "  Forms | keyGroupProject1/0 | Close | Group\n"
        "    Form1 | keyProject1/Form1 | VBForm | \n"
        "      Form_Load | keyProject1/Form1/Form_Load | Procedure | Procedure\n"
        "        Module1.Add: Debug.Print TOTAL | keyProject1/Form1/2/28/2/33 | Code | Code\n");
}

TEST(FindSearch, ThreeHitsOnALineOrTheFirstOnlyWithFirstPerLine) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule,
           test::Vb({"Sub A()", "    x = x + x", "    x = 1", "End Sub"}));
    const FindTree all = Search(fx, "x");
    EXPECT_EQ(CodeNodes(all), 4);
    EXPECT_EQ(Summary(all), "4 hits found.");
    FindOptions firstPerLine;
    firstPerLine.firstPerLine = true;
    const FindTree first = Search(fx, "x", firstPerLine);
    EXPECT_EQ(CodeNodes(first), 2);
    EXPECT_NE(Dump(first).find("keyProject1/Module1/2/5/2/6"), std::string::npos);
    EXPECT_EQ(Dump(first).find("keyProject1/Module1/2/9/"), std::string::npos);
}

TEST(FindSearch, AnOverlappingHitStartsOneColumnOn) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, "s = \"aaa\"");
    EXPECT_EQ(CodeNodes(Search(fx, "aa")), 2);
}

TEST(FindSearch, OneHitSaysHit) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, test::Vb({"Sub A()", "  Beep", "End Sub"}));
    EXPECT_EQ(Summary(Search(fx, "beep")), "1 hit found.");
}

std::string Repeated(const std::string& line, int times) {
    std::vector<std::string> lines(static_cast<size_t>(times), line);
    return test::Vb(lines);
}

TEST(FindSearch, TheTreeStopsAtAThousandHits) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, Repeated("x = 1", 1500));
    const FindTree tree = Search(fx, "x");
    EXPECT_EQ(CodeNodes(tree), 1000);
    EXPECT_EQ(Summary(tree), "> 1000 hits found.");
}

TEST(FindSearch, ExactlyAThousandHitsHaveNoGreaterThanSign) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, Repeated("x = 1", 1000));
    EXPECT_EQ(Summary(Search(fx, "x")), "1000 hits found.");
    FindOptions firstPerLine;
    firstPerLine.firstPerLine = true;
    EXPECT_EQ(Summary(Search(fx, "x", firstPerLine)), "1000 hits found.")
        << "the module ended on the thousandth hit";
}

TEST(FindSearch, MoreHitsInALaterModuleAreCountedAsBeyondTheLimit) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, Repeated("x = 1", 1000));
    fx.Add("Module2", host::vbext_ct_StdModule, "y = 1");
    EXPECT_EQ(Summary(Search(fx, "x")), "1000 hits found.");
    fx.Add("Module3", host::vbext_ct_StdModule, "x = 2");
    const FindTree tree = Search(fx, "x");
    EXPECT_EQ(Summary(tree), "> 1000 hits found.");
    EXPECT_EQ(Dump(tree).find("Module3"), std::string::npos) << "nothing past the limit is shown";
}

TEST(FindSearch, DeclarationHitsHangUnderTheComponent) {
    test::VbFixture fx;
    fx.Add("Class1", host::vbext_ct_ClassModule,
           test::Vb({"Private mCount As Long", "Public Property Get Count() As Long",
                     "    Count = mCount", "End Property",
                     "Public Property Let Count(ByVal v As Long)", "    mCount = v",
                     "End Property"}));
    const FindTree tree = Search(fx, "mCount");
    const long component = tree.Children(tree.Children(tree.Children(FindTree::kRoot)[1])[0])[0];
    const auto& children = tree.Children(component);
    ASSERT_EQ(children.size(), 2u) << Dump(tree);
    EXPECT_EQ(tree.Node(children[0]).tag, "Code");
    EXPECT_EQ(tree.Node(children[0]).text, "Private mCount As Long");
    EXPECT_EQ(tree.Node(children[1]).text, "Count") << "both accessors share one procedure node";
    EXPECT_EQ(tree.Children(children[1]).size(), 2u);
    EXPECT_EQ(tree.Node(children[0]).key, "keyProject1/Class1/1/9/1/15");
}

TEST(FindSearch, ModuleScopeWithoutPaneOrSelectionFindsNothing) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, "x = 1");
    FindOptions moduleScope;
    moduleScope.scope = FindScope::Module;
    EXPECT_EQ(Dump(Search(fx, "x", moduleScope)), "Search String Not Found |  | Info | \n");
}

TEST(FindSearch, ModuleScopeTakesThePaneBeforeTheSelection) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, "x = 1");
    auto& second = fx.Add("Module2", host::vbext_ct_StdModule, "x = 2");
    auto& third = fx.Add("Module3", host::vbext_ct_StdModule, "x = 3");
    FindOptions moduleScope;
    moduleScope.scope = FindScope::Module;
    fx.Vbe().SetSelectedComponent(&second);
    std::string dump = Dump(Search(fx, "x", moduleScope));
    EXPECT_NE(dump.find("Module2"), std::string::npos);
    EXPECT_EQ(dump.find("Module1"), std::string::npos);
    third.Code()->CodePane().Show();
    dump = Dump(Search(fx, "x", moduleScope));
    EXPECT_NE(dump.find("Module3"), std::string::npos);
    EXPECT_EQ(dump.find("Module2"), std::string::npos);
}

TEST(FindSearch, ProjectScopeIsTheActiveProjectAndGroupScopeIsAll) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, "x = 1");
    auto& other = fx.Vbe().AddProject("Other", host::vbext_pt_ActiveXDll);
    other.AddComponent("Thing", host::vbext_ct_ClassModule).Code()->LoadText("x = 2");
    other.AddComponent("Notes", host::vbext_ct_RelatedDocument);
    std::string dump = Dump(Search(fx, "x"));
    EXPECT_EQ(dump.find("Other"), std::string::npos);
    FindOptions group;
    group.scope = FindScope::Group;
    dump = Dump(Search(fx, "x", group));
    EXPECT_NE(dump.find("Other | keyOther | ActiveXDll | \n"
                        "  Class Modules | keyGroupOther/2 | Close | Group\n"
                        "    Thing | keyOther/Thing | ClassModule | \n"),
              std::string::npos)
        << dump;
    fx.Vbe().SetActiveProject(&other);
    dump = Dump(Search(fx, "x"));
    EXPECT_EQ(dump.find("Project1"), std::string::npos);
    EXPECT_NE(dump.find("Thing"), std::string::npos);
}

TEST(FindSearch, OptionsReachTheHostSearch) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule,
           test::Vb({"Dim Total", "Dim Totals", "total = 1", "t1 = 2"}));
    FindOptions wholeWord;
    wholeWord.wholeWord = true;
    EXPECT_EQ(CodeNodes(Search(fx, "total", wholeWord)), 2);
    FindOptions matchCase;
    matchCase.matchCase = true;
    EXPECT_EQ(CodeNodes(Search(fx, "Total", matchCase)), 2);
    FindOptions pattern;
    pattern.patternSearch = true;
    EXPECT_EQ(CodeNodes(Search(fx, "t#", pattern)), 1);
}

// The text is looked for as the run's code page writes it, and in a file
// written in UTF-8 as UTF-8, whatever the IDE's own code page is.
TEST(FindSearch, TextIsSoughtInTheRunsCodePageAndInAUtf8FileAsUtf8) {
    const text::CodePage centralEurope = *text::CodePage::Named("1250");
    test::VbFixture fx;
    const std::string dvorak = "Dvořák";
    fx.Add("Module1", host::vbext_ct_StdModule,
           test::Vb({"Public Sub Go()", "    s = \"" + *text::FromUtf8(dvorak, centralEurope) + "\"",
                     "End Sub"}));
    auto& utf8 = fx.Add("Module2", host::vbext_ct_StdModule,
                        test::Vb({"Public Sub Go()", "    s = \"" + dvorak + "\"", "End Sub"}));
    utf8.SetTextCodePage(text::CodePage::Utf8());
    FindOptions options;
    options.codePage = centralEurope;
    const FindTree tree = Search(fx, dvorak, options);
    EXPECT_EQ(CodeNodes(tree), 2);
    tree.Walk([&](long, const FindNode& node, int) {
        if (node.tag == "Code") {
            EXPECT_EQ(text::ToUtf8(node.text, node.codePage), "s = \"Dvořák\"");
        }
    });
}

}  // namespace
}  // namespace qv::find
