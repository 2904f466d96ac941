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

QJsonObject Doc(const QString& uri, lsp::Position at = {}) {
    return QJsonObject{{"textDocument", QJsonObject{{"uri", uri}}},
                       {"position", lsp::PositionJson(at)},
                       {"context", QJsonObject{{"includeDeclaration", true}}}};
}

int StartLine(const QJsonObject& location) {
    return location["range"].toObject()["start"].toObject()["line"].toInt();
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
    QString mainUri_;
    LspClient client_;
};

TEST_F(ProjectTest, ReferencesReachModulesOfTheProjectThatAreNotOpen) {
    // "Price" at line 3 of modMain: the word under the cursor, whole words.
    const QJsonArray found =
        client_.Request("textDocument/references", Doc(mainUri_, {3, 11})).value("result").toArray();
    std::vector<std::pair<QString, int>> places;
    for (const QJsonValue& v : found) {
        places.emplace_back(v.toObject()["uri"].toString(), StartLine(v.toObject()));
    }
    const QString itemUri = UriOf(folder_.File("src/CItem.cls"));
    // The class's lines count its header and the hidden attribute line.
    std::sort(places.begin(), places.end());
    const std::vector<std::pair<QString, int>> expected = {
        {itemUri, 8}, {itemUri, 10}, {itemUri, 13}, {mainUri_, 3}};
    EXPECT_EQ(places, expected);
    // The range covers the word.
    for (const QJsonValue& v : found) {
        const QJsonObject range = v.toObject()["range"].toObject();
        if (v.toObject()["uri"].toString() != mainUri_) continue;
        EXPECT_EQ(range["start"].toObject()["character"].toInt(), 9);
        EXPECT_EQ(range["end"].toObject()["character"].toInt(), 14);
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
    const QString uri = UriOf(folder.File("modRefs.bas"));
    auto lines = [&](const QJsonObject& options, bool includeDeclaration) {
        LspClient client;
        client.Initialize(options);
        client.Open(uri, text);
        // From the use on line 4, character 14: "Total".
        QJsonObject params = Doc(uri, {4, 14});
        params["context"] = QJsonObject{{"includeDeclaration", includeDeclaration}};
        std::vector<std::pair<int, int>> found;
        for (const QJsonValue& v :
             client.Request("textDocument/references", params)["result"].toArray()) {
            const QJsonObject start = v.toObject()["range"].toObject()["start"].toObject();
            found.emplace_back(start["line"].toInt(), start["character"].toInt());
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

TEST_F(ProjectTest, SearchFollowsWholeWordAndCaseAsAsked) {
    auto hits = [&](bool wholeWord, bool matchCase) {
        return client_
            .Request("qvaddin/search",
                     QJsonObject{{"text", "price"}, {"wholeWord", wholeWord}, {"matchCase", matchCase}})
            .value("result")
            .toArray()
            .size();
    };
    EXPECT_EQ(hits(true, false), 4);   // Price in both modules
    EXPECT_EQ(hits(false, false), 7);  // and inside mPrice
    EXPECT_EQ(hits(false, true), 0);
}

TEST_F(ProjectTest, WorkspaceSymbolsListTheProjectsRoutines) {
    const QJsonArray symbols =
        client_.Request("workspace/symbol", QJsonObject{{"query", "pri"}}).value("result").toArray();
    ASSERT_EQ(symbols.size(), 2);  // the two accessors of Price
    EXPECT_EQ(symbols[0].toObject()["containerName"].toString(), "CItem");
    EXPECT_EQ(StartLine(symbols[0].toObject()["location"].toObject()), 8);
    EXPECT_EQ(StartLine(symbols[1].toObject()["location"].toObject()), 13);
}

TEST_F(ProjectTest, DocumentSymbolsNestAccessorsUnderTheirProperty) {
    const QString itemUri = UriOf(folder_.File("src/CItem.cls"));
    client_.Open(itemUri, item_);
    const QJsonArray symbols =
        client_.Request("textDocument/documentSymbol", Doc(itemUri)).value("result").toArray();
    ASSERT_EQ(symbols.size(), 1);
    const QJsonObject price = symbols[0].toObject();
    EXPECT_EQ(price["name"].toString(), "Price");
    EXPECT_EQ(price["kind"].toInt(), 7);
    const QJsonArray accessors = price["children"].toArray();
    ASSERT_EQ(accessors.size(), 2);
    EXPECT_EQ(accessors[0].toObject()["name"].toString(), "Get Price");
    EXPECT_EQ(accessors[1].toObject()["name"].toString(), "Let Price");
    // The property spans both; each accessor's name is selected on its line.
    EXPECT_EQ(price["range"].toObject()["end"].toObject()["line"].toInt(), 15);
    const QJsonObject selected = accessors[1].toObject()["selectionRange"].toObject();
    EXPECT_EQ(selected["start"].toObject()["line"].toInt(), 13);
    EXPECT_EQ(selected["start"].toObject()["character"].toInt(), 20);
}

TEST_F(ProjectTest, HoverGivesStatusWordsAndLineFigures) {
    const QJsonValue hover =
        client_.Request("textDocument/hover", Doc(mainUri_, {1, 12})).value("result");
    const QString text = hover.toObject()["contents"].toObject()["value"].toString();
    EXPECT_TRUE(text.contains("Top Status: MISSING")) << text.toStdString();
    EXPECT_TRUE(text.contains("Exit Status: N/A")) << text.toStdString();
    EXPECT_TRUE(text.contains("4 total, 0 blank, 0 comments")) << text.toStdString();
    // Not on a routine's name: nothing.
    EXPECT_TRUE(client_.Request("textDocument/hover", Doc(mainUri_, {2, 6})).value("result").isNull());
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
    const auto symbols = [&](const QJsonObject& options) {
        LspClient client;
        client.Initialize(options);
        client.Open(UriOf(folder.File("modMain.bas")), main);
        return client.Request("workspace/symbol", QJsonObject{{"query", "表"}})
            .value("result")
            .toArray();
    };
    EXPECT_TRUE(symbols({}).isEmpty()) << "read as Windows-1252, the project names no such file";
    for (const QJsonValue& codePage : {QJsonValue(932), QJsonValue("shift_jis")}) {
        const QJsonArray found = symbols(QJsonObject{{"codePage", codePage}});
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(found[0].toObject()["name"].toString(), QString::fromUtf8("表示"));
        EXPECT_EQ(found[0].toObject()["containerName"].toString(), QString::fromUtf8("共通"));
    }

    LspClient client;
    client.Initialize(QJsonObject{{"settings", QJsonObject{{"codePage", "932"}}}});
    client.Open(UriOf(folder.File("modMain.bas")), main);
    const QJsonArray hits =
        client.Request("qvaddin/search", QJsonObject{{"text", "値"}}).value("result").toArray();
    ASSERT_EQ(hits.size(), 2);
    // Columns count UTF-16 units of the text, not bytes of the file.
    const QJsonObject range = hits[0].toObject()["range"].toObject();
    EXPECT_EQ(range["start"].toObject()["character"].toInt(), 25);
    EXPECT_EQ(range["end"].toObject()["character"].toInt(), 26);

    LspClient refused;
    refused.Initialize(QJsonObject{{"codePage", 12}});
    ASSERT_FALSE(refused.Messages().empty());
    EXPECT_TRUE(refused.Messages().back()["params"].toObject()["message"].toString().startsWith(
        "codePage: \"12\" is not a code page"));
}

TEST(TextDocumentTest, PositionsCountUtf16UnitsAndAnyLineBreak) {
    // "𝄞" takes two UTF-16 units; lines end in CR LF, LF and a lone CR.
    lsp::TextDocument doc("u", "vb", 1, QString::fromUtf8("' \xF0\x9D\x84\x9E x\r\nb\nc\rd"));
    EXPECT_EQ(doc.LineCount(), 4);
    doc.ApplyChange(QJsonObject{{"range", lsp::RangeJson({0, 5}, {0, 6})}, {"text", "y"}});
    EXPECT_EQ(doc.Line(0), QString::fromUtf8("' \xF0\x9D\x84\x9E y"));
    doc.ApplyChange(QJsonObject{{"range", lsp::RangeJson({2, 0}, {3, 1})}, {"text", "z"}});
    EXPECT_EQ(doc.Text(), QString::fromUtf8("' \xF0\x9D\x84\x9E y\r\nb\nz"));
    // Past a line's end or the text's end means those ends.
    doc.ApplyChange(QJsonObject{{"range", lsp::RangeJson({1, 40}, {9, 0})}, {"text", "!"}});
    EXPECT_EQ(doc.Text(), QString::fromUtf8("' \xF0\x9D\x84\x9E y\r\nb!"));
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
