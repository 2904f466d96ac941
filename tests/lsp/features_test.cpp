// The answers besides diagnostics and edits: the project a document
// belongs to, symbols, hover, references and search, and the pieces they
// stand on (UTF-16 positions, line edits).

#include <gtest/gtest.h>

#include <algorithm>

#include "host_files/temp_folder.h"
#include "lsp/text_document.h"
#include "lsp/text_edits.h"
#include "platform/code_page.h"
#include "lsp_client.h"
#include "support/vb_fixture.h"

namespace qv::test {
namespace {

Json Doc(const std::string& uri, lsp::Position at = {}) {
    return Json{{"textDocument", Json{{"uri", uri}}},
                       {"position", lsp::PositionJson(at)},
                       {"context", Json{{"includeDeclaration", true}}}};
}

int StartLine(const Json& location) {
    return location["range"]["start"]["line"].get<int>();
}

// A project of two modules one folder up from the module the editor opens.
class ProjectTest : public ::testing::Test {
  protected:
    ProjectTest() {
        folder_.Write("Proj.vbp", "Type=Exe\r\nModule=modMain; src\\modMain.bas\r\n"
                                  "Class=CItem; src\\CItem.cls\r\nName=\"Proj\"\r\n");
        folder_.Write("src/modMain.bas", main_);
        folder_.Write("src/CItem.cls", item_);
        mainUri_ = UriOf(folder_.File("src/modMain.bas"));
        client_.Initialize();
        client_.Open(mainUri_, main_);
    }

    const std::string main_ = Vb({
        "Attribute VB_Name = \"modMain\"",
        "Public Sub Main()",
        "    Dim item As New CItem",
        "    item.Price = 2",
        "End Sub",
    });
    const std::string item_ = Vb({
        "VERSION 1.0 CLASS",
        "BEGIN",
        "  MultiUse = -1  'True",
        "END",
        "Attribute VB_Name = \"CItem\"",
        "Attribute VB_Exposed = False",
        "Private mPrice As Long",
        "",
        "Public Property Get Price() As Long",
        "Attribute Price.VB_UserMemId = 0",
        "    Price = mPrice",
        "End Property",
        "",
        "Public Property Let Price(ByVal value As Long)",
        "    mPrice = value",
        "End Property",
    });
    TempFolder folder_;
    std::string mainUri_;
    LspClient client_;
};

TEST_F(ProjectTest, ReferencesReachModulesOfTheProjectThatAreNotOpen) {
    // "Price" at line 3 of modMain: the word under the cursor, whole words.
    const Json found =
        client_.Request("textDocument/references", Doc(mainUri_, {3, 11})).at("result");
    std::vector<std::pair<std::string, int>> places;
    for (const Json& v : found) {
        places.emplace_back(v["uri"].get<std::string>(), StartLine(v));
    }
    const std::string itemUri = UriOf(folder_.File("src/CItem.cls"));
    // The class's lines count its header and the hidden attribute line.
    std::sort(places.begin(), places.end());
    const std::vector<std::pair<std::string, int>> expected = {
        {itemUri, 8}, {itemUri, 10}, {itemUri, 13}, {mainUri_, 3}};
    EXPECT_EQ(places, expected);
    // The range covers the word.
    for (const Json& v : found) {
        const Json range = v["range"];
        if (v["uri"].get<std::string>() != mainUri_) continue;
        EXPECT_EQ(range["start"]["character"].get<int>(), 9);
        EXPECT_EQ(range["end"]["character"].get<int>(), 14);
    }
}

TEST(ReferencesTest, CodeIdentifiersOnlyWithOrWithoutTheDeclarationAndCaseIgnored) {
    TempFolder folder;
    const std::string text = Vb({
        "Attribute VB_Name = \"modRefs\"",
        "Private total As Long",
        "' total is kept here",
        "Public Sub AddTo(ByVal amount As Long)",
        "    TOTAL = Total + amount",
        "    Debug.Print \"total\"; subtotal",
        "End Sub",
    });
    folder.Write("modRefs.bas", text);
    const std::string uri = UriOf(folder.File("modRefs.bas"));
    auto lines = [&](const Json& options, bool includeDeclaration) {
        LspClient client;
        client.Initialize(options);
        client.Open(uri, text);
        // From the use on line 4, character 14: "Total".
        Json params = Doc(uri, {4, 14});
        params["context"] = Json{{"includeDeclaration", includeDeclaration}};
        std::vector<std::pair<int, int>> found;
        const Json response = client.Request("textDocument/references", params);
        for (const Json& v : response["result"]) {
            const Json start = v["range"]["start"];
            found.emplace_back(start["line"].get<int>(), start["character"].get<int>());
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    using Places = std::vector<std::pair<int, int>>;
    EXPECT_EQ(lines({}, true), (Places{{1, 8}, {4, 4}, {4, 12}}));
    EXPECT_EQ(lines({}, false), (Places{{4, 4}, {4, 12}}));
    EXPECT_EQ(lines({{"referencesInCommentsAndStrings", true}}, false),
              (Places{{2, 2}, {4, 4}, {4, 12}, {5, 17}}));
}

// A local is found in its routine alone; a module's name everywhere but in
// the routine whose local of that name hides it.
TEST(ReferencesTest, NamesKeepToTheirScope) {
    TempFolder folder;
    const std::string text = Vb({
        "Attribute VB_Name = \"modScopes\"",
        "Private count As Long",                  // 1
        "Public Sub A()",                         // 2
        "    Dim i As Long",                      // 3
        "    For i = 1 To 3: count = count + i: Next",
        "End Sub",
        "Public Sub B(ByVal i As Long)",          // 6
        "    Dim Count As Long",                  // 7
        "    Count = i",                          // 8
        "End Sub",
        "Public Function C() As Long",            // 10
        "    C = COUNT",                          // 11
        "End Function",
    });
    folder.Write("modScopes.bas", text);
    const std::string uri = UriOf(folder.File("modScopes.bas"));
    LspClient client;
    client.Initialize();
    client.Open(uri, text);
    const auto places = [&](lsp::Position at) {
        const Json response = client.Request("textDocument/references", Doc(uri, at));
        std::vector<std::pair<int, int>> found;
        for (const Json& v : response["result"]) {
            found.emplace_back(v["range"]["start"]["line"].get<int>(),
                               v["range"]["start"]["character"].get<int>());
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    using Places = std::vector<std::pair<int, int>>;
    // A's i, from its use: not B's parameter.
    EXPECT_EQ(places({4, 9}), (Places{{3, 8}, {4, 8}, {4, 36}}));
    // B's parameter, from its use.
    EXPECT_EQ(places({8, 12}), (Places{{6, 19}, {8, 12}}));
    // The module's count, from C: not B's local Count.
    EXPECT_EQ(places({11, 9}), (Places{{1, 8}, {4, 20}, {4, 28}, {11, 8}}));
    // B's local Count, from its declaration.
    EXPECT_EQ(places({7, 9}), (Places{{7, 8}, {8, 4}}));
}

TEST_F(ProjectTest, SearchFollowsWholeWordAndCaseAsAsked) {
    auto hits = [&](bool wholeWord, bool matchCase) {
        return client_
            .Request("qvaddin/search",
                     Json{{"text", "price"}, {"wholeWord", wholeWord}, {"matchCase", matchCase}})
            .at("result")
            
            .size();
    };
    EXPECT_EQ(hits(true, false), 4);   // Price in both modules
    EXPECT_EQ(hits(false, false), 7);  // and inside mPrice
    EXPECT_EQ(hits(false, true), 0);
}

TEST_F(ProjectTest, WorkspaceSymbolsListTheProjectsRoutines) {
    const Json symbols =
        client_.Request("workspace/symbol", Json{{"query", "pri"}}).at("result");
    ASSERT_EQ(symbols.size(), 2);  // the two accessors of Price
    EXPECT_EQ(symbols[0]["containerName"].get<std::string>(), "CItem");
    EXPECT_EQ(StartLine(symbols[0]["location"]), 8);
    EXPECT_EQ(StartLine(symbols[1]["location"]), 13);
}

TEST_F(ProjectTest, DocumentSymbolsNestAccessorsUnderTheirProperty) {
    const std::string itemUri = UriOf(folder_.File("src/CItem.cls"));
    client_.Open(itemUri, item_);
    const Json symbols =
        client_.Request("textDocument/documentSymbol", Doc(itemUri)).at("result");
    ASSERT_EQ(symbols.size(), 1);
    const Json price = symbols[0];
    EXPECT_EQ(price["name"].get<std::string>(), "Price");
    EXPECT_EQ(price["kind"].get<int>(), 7);
    const Json accessors = price["children"];
    ASSERT_EQ(accessors.size(), 2);
    EXPECT_EQ(accessors[0]["name"].get<std::string>(), "Get Price");
    EXPECT_EQ(accessors[1]["name"].get<std::string>(), "Let Price");
    // The property spans both; each accessor's name is selected on its line.
    EXPECT_EQ(price["range"]["end"]["line"].get<int>(), 15);
    const Json selected = accessors[1]["selectionRange"];
    EXPECT_EQ(selected["start"]["line"].get<int>(), 13);
    EXPECT_EQ(selected["start"]["character"].get<int>(), 20);
}

TEST_F(ProjectTest, HoverGivesStatusWordsAndLineFigures) {
    const Json hover =
        client_.Request("textDocument/hover", Doc(mainUri_, {1, 12})).at("result");
    const std::string text = hover["contents"]["value"].get<std::string>();
    EXPECT_NE(text.find("Top Status: MISSING"), std::string::npos) << text;
    EXPECT_NE(text.find("Exit Status: N/A"), std::string::npos) << text;
    EXPECT_NE(text.find("4 total, 0 blank, 0 comments"), std::string::npos) << text;
    // Not on a routine's name: nothing.
    EXPECT_TRUE(client_.Request("textDocument/hover", Doc(mainUri_, {2, 6})).at("result").is_null());
}

// A project written in Shift-JIS: the editor's document is UTF-8, the
// modules read from disk are in the session's code page.
TEST(CodePageTest, ProjectsAreReadInTheSessionsCodePage) {
    const text::CodePage japanese = *text::CodePage::Named("932");
    TempFolder folder;
    folder.Write("日本.vbp", *text::FromUtf8("Type=Exe\r\nModule=modMain; modMain.bas\r\n"
                                            "Module=共通; 共通.bas\r\n",
                                            japanese));
    const std::string main = Vb({"Attribute VB_Name = \"modMain\"", "Sub Main()", "End Sub"});
    folder.Write("modMain.bas", main);
    folder.Write("共通.bas", *text::FromUtf8(Vb({"Attribute VB_Name = \"共通\"",
                                                "Public Function 表示(ByVal 値 As Long) As Long",
                                                "    表示 = 値 * 2", "End Function"}),
                                            japanese));
    const auto symbols = [&](const Json& options) {
        LspClient client;
        client.Initialize(options);
        client.Open(UriOf(folder.File("modMain.bas")), main);
        return client.Request("workspace/symbol", Json{{"query", "表"}})
            .at("result")
            ;
    };
    EXPECT_TRUE(symbols({}).empty()) << "read as Windows-1252, the project names no such file";
    for (const Json& codePage : {Json(932), Json("shift_jis")}) {
        const Json found = symbols(Json{{"codePage", codePage}});
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(found[0]["name"].get<std::string>(), std::string("表示"));
        EXPECT_EQ(found[0]["containerName"].get<std::string>(), std::string("共通"));
    }

    LspClient client;
    client.Initialize(Json{{"settings", Json{{"codePage", "932"}}}});
    client.Open(UriOf(folder.File("modMain.bas")), main);
    const Json hits =
        client.Request("qvaddin/search", Json{{"text", "値"}}).at("result");
    ASSERT_EQ(hits.size(), 2);
    // Columns count UTF-16 units of the text, not bytes of the file.
    const Json range = hits[0]["range"];
    EXPECT_EQ(range["start"]["character"].get<int>(), 25);
    EXPECT_EQ(range["end"]["character"].get<int>(), 26);

    LspClient refused;
    refused.Initialize(Json{{"codePage", 12}});
    ASSERT_FALSE(refused.Messages().empty());
    EXPECT_TRUE(refused.Messages().back()["params"]["message"].get<std::string>().starts_with(
        "codePage: \"12\" is not a code page"));
}

TEST(TextDocumentTest, PositionsCountUtf16UnitsAndAnyLineBreak) {
    // "𝄞" takes two UTF-16 units; lines end in CR LF, LF and a lone CR.
    lsp::TextDocument doc("u", "vb", 1, std::string("' \xF0\x9D\x84\x9E x\r\nb\nc\rd"));
    EXPECT_EQ(doc.LineCount(), 4);
    doc.ApplyChange(Json{{"range", lsp::RangeJson({0, 5}, {0, 6})}, {"text", "y"}});
    EXPECT_EQ(doc.Line(0), std::string("' \xF0\x9D\x84\x9E y"));
    doc.ApplyChange(Json{{"range", lsp::RangeJson({2, 0}, {3, 1})}, {"text", "z"}});
    EXPECT_EQ(doc.Text(), std::string("' \xF0\x9D\x84\x9E y\r\nb\nz"));
    // Past a line's end or the text's end means those ends.
    doc.ApplyChange(Json{{"range", lsp::RangeJson({1, 40}, {9, 0})}, {"text", "!"}});
    EXPECT_EQ(doc.Text(), std::string("' \xF0\x9D\x84\x9E y\r\nb!"));
}

TEST(LineEditsTest, OnlyTheLinesThatDifferAreReplaced) {
    const std::vector<lsp::TextEdit> edits =
        lsp::LineEdits("a\r\nb\r\nc\r\nd", "a\r\nB\r\nc\r\nd\r\ne\r\n");
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0].start.line, 1);
    EXPECT_EQ(edits[0].end.line, 2);
    EXPECT_EQ(edits[0].newText, "B\r\n");
    // The last line had no break: the edit ends at its end, not past it.
    EXPECT_EQ(edits[1].start.line, 3);
    EXPECT_EQ(edits[1].end.line, 3);
    EXPECT_EQ(edits[1].end.character, 1);
    EXPECT_EQ(edits[1].newText, "d\r\ne\r\n");
    EXPECT_TRUE(lsp::LineEdits("same\r\n", "same\r\n").empty());
}

}  // namespace
}  // namespace qv::test
