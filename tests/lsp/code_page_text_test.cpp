// The engines write in the code page of the module's lines (the run's, for a
// document of ASCII alone), the editor reads UTF-8: the server's edits carry
// the characters the engines meant, at the right places, and touch no line
// the command left alone. What a user finds after applying them is what the
// command line writes into the file, read in the file's code page.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "cli/cli_test_support.h"
#include "lsp/text_document.h"
#include "platform/code_page.h"
#include "settings/config_home_fixture.h"
#include "support/vb_fixture.h"
#include "lsp_client.h"

namespace qv::test {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

const std::string kAsciiModule = Vb({
    "Attribute VB_Name = \"modWork\"",
    "Option Explicit",
    "",
    "Public Sub Store(ByVal value As Long)",
    "    Debug.Print value",
    "End Sub",
    "",
});

struct PageCase {
    const char* page;
    std::string handlerComment;  // UTF-8
    std::string word;            // a name of the code page's own letters, UTF-8
};

void PrintTo(const PageCase& c, std::ostream* out) { *out << "code page " << c.page; }

// "' Größe – Módulo" and "Größe"; "' エラー処理" and "表示" (whose first
// character's second byte in 932 is "\").
const PageCase kWestern{"1252", "' Gr\xC3\xB6\xC3\x9F" "e \xE2\x80\x93 M\xC3\xB3" "dulo",
                        "Gr\xC3\xB6\xC3\x9F" "e"};
const PageCase kJapanese{"932", "' \xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xE5\x87\xA6\xE7\x90\x86",
                         "\xE8\xA1\xA8\xE7\xA4\xBA"};

class CodePageTextTest : public ConfigHomeTest, public ::testing::WithParamInterface<PageCase> {
  protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        ASSERT_EQ(RunCli({"settings", "set", "codepage", GetParam().page}).code, 0);
        page_ = *text::CodePage::Named(GetParam().page);
    }

    void Store(const std::string& key, const std::string& value) {
        const CliResult set = RunCli({"settings", "set", key, "--", value});
        ASSERT_EQ(set.code, 0) << set.err;
    }

    // What the command line makes of the text written into a file of the
    // code page, read back as UTF-8.
    std::string CommandLineResult(const std::string& utf8, const std::vector<std::string>& arguments) {
        const std::optional<std::string> bytes = text::FromUtf8(utf8, page_);
        EXPECT_TRUE(bytes.has_value());
        TempFolder other;
        other.Write("modWork.bas", bytes.value_or(""));
        std::vector<std::string> all = arguments;
        all.insert(all.begin() + 1, other.File("modWork.bas"));
        const CliResult run = RunCli(all);
        EXPECT_EQ(run.code, 0) << run.err;
        return text::ToUtf8(other.Read("modWork.bas"), page_);
    }

    // The client, started now that the settings are stored, with the text open.
    LspClient& OpenSession(const std::string& text) {
        folder_.Write("modWork.bas", text::FromUtf8(text, page_).value_or(""));
        uri_ = UriOf(folder_.File("modWork.bas"));
        client_ = std::make_unique<LspClient>();
        client_->Initialize();
        client_->Open(uri_, text);
        return *client_;
    }

    Json Action(int line, const std::string& title) {
        const Json actions = client_->Request(
            "textDocument/codeAction",
            Json{{"textDocument", Json{{"uri", uri_}}},
                 {"range", lsp::RangeJson({line, 0}, {line, 0})},
                 {"context", Json{{"diagnostics", Json::array()}}}})["result"];
        for (const Json& action : actions) {
            if (action["title"] == title) return action;
        }
        ADD_FAILURE() << "no action " << title << " in " << actions.dump();
        return Json::object();
    }

    Json EditsOf(Json action) { return action["edit"]["changes"][uri_]; }

    Json Request(const std::string& method, int line, int character) {
        return client_->Request(method, Json{{"textDocument", Json{{"uri", uri_}}},
                                             {"position", Json{{"line", line}, {"character", character}}}});
    }

    text::CodePage page_;
    TempFolder folder_;
    std::string uri_;
    std::unique_ptr<LspClient> client_;
};

TEST_P(CodePageTextTest, AHandlerTemplateReachesTheEditorAsItsCharacters) {
    const std::string comment = GetParam().handlerComment;
    Store("add1", comment);
    LspClient& client = OpenSession(kAsciiModule);
    const Json edits = EditsOf(Action(4, "Add error handling to Store"));
    ASSERT_FALSE(edits.empty());
    EXPECT_EQ(edits.dump().find(kReplacement), std::string::npos) << edits.dump();
    client.Apply(uri_, edits);
    EXPECT_NE(client.Text(uri_).find(comment), std::string::npos) << client.Text(uri_);
    EXPECT_EQ(client.Text(uri_), CommandLineResult(kAsciiModule, {"add", "--routine", "Store"}));
    // Read back, the handler is the standard one the template made.
    EXPECT_TRUE(client.Diagnostics(uri_).empty()) << client.Diagnostics(uri_).dump();
    EXPECT_TRUE(Action(3, "Add error handling to Store").contains("disabled"));
}

// Non-ASCII text around and inside the routine: only the routine's lines
// change, and the numbered line keeps its characters.
TEST_P(CodePageTextTest, LinesOfOtherCharactersAroundTheRoutineStayAsTheyAre) {
    const std::string word = GetParam().word;
    const std::string module = Vb({
        "Attribute VB_Name = \"modWork\"",
        "' " + word + " " + word,
        "Public Sub Store(ByVal value As Long)",
        "    Debug.Print \"" + word + "\", value",
        "End Sub",
        "' " + word,
        "",
    });
    Store("add1", GetParam().handlerComment);
    LspClient& client = OpenSession(module);

    const Json numbered = EditsOf(Action(3, "Add line numbers to Store"));
    ASSERT_EQ(numbered.size(), 1u) << numbered.dump();
    EXPECT_EQ(numbered[0]["range"], lsp::RangeJson({3, 0}, {4, 0}));
    const std::string line = numbered[0]["newText"].get<std::string>();
    EXPECT_TRUE(line.starts_with("1 ") && line.ends_with(" Debug.Print \"" + word + "\", value\r\n"))
        << numbered.dump();

    const Json added = EditsOf(Action(3, "Add error handling to Store"));
    ASSERT_FALSE(added.empty());
    for (const Json& edit : added) {
        EXPECT_GE(edit["range"]["start"]["line"].get<int>(), 2) << added.dump();
        EXPECT_LE(edit["range"]["end"]["line"].get<int>(), 4) << added.dump();
    }
    client.Apply(uri_, added);
    EXPECT_EQ(client.Text(uri_), CommandLineResult(module, {"add", "--routine", "Store"}));
}

// Formatting that changes the last line of a text without a final break:
// the edit ends at that line's end in UTF-16 code units, not in bytes.
TEST_P(CodePageTextTest, FormattingTheLastLineEndsTheEditAtItsLastCharacter) {
    const std::string last = "    End Sub ' " + GetParam().word;
    const std::string module = Vb({
        "Attribute VB_Name = \"modWork\"",
        "Public Sub Store()",
        "Debug.Print \"" + GetParam().word + "\"",
        last,
    });
    LspClient& client = OpenSession(module);
    const Json edits = client.Request(
        "textDocument/formatting", Json{{"textDocument", Json{{"uri", uri_}}},
                                        {"options", Json{{"tabSize", 4}, {"insertSpaces", true}}}})["result"];
    ASSERT_FALSE(edits.empty());
    const int length = lsp::TextDocument("", "", 0, last).LineLength(0);
    EXPECT_EQ(edits.back()["range"]["end"], lsp::PositionJson({3, length})) << edits.dump();
    client.Apply(uri_, edits);
    EXPECT_EQ(client.Text(uri_), CommandLineResult(module, {"tidy", "--module", "modWork"}));
}

// A routine named in the code page's own letters: its diagnostic, symbol,
// hover and actions name it as the editor shows it, at its UTF-16 columns.
TEST_P(CodePageTextTest, NamesOfOtherCharactersAreShownAndPlacedAsTheEditorHasThem) {
    const std::string word = GetParam().word;
    OpenSession(Vb({
        "Attribute VB_Name = \"modWork\"",
        "Public Sub " + word + "()",
        "    Debug.Print 1",
        "End Sub",
        "",
    }));
    const int length = static_cast<int>(lsp::TextDocument("", "", 0, word).LineLength(0));
    const Json diagnostics = client_->Diagnostics(uri_);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_TRUE(diagnostics[0]["message"].get<std::string>().starts_with(word + ": Top Status"))
        << diagnostics.dump();

    const Json symbols =
        client_->Request("textDocument/documentSymbol", Json{{"textDocument", Json{{"uri", uri_}}}})["result"];
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(symbols[0]["name"].get<std::string>(), word);
    EXPECT_EQ(symbols[0]["selectionRange"], lsp::RangeJson({1, 11}, {1, 11 + length}));

    const Json hover = Request("textDocument/hover", 1, 11 + length - 1)["result"];
    EXPECT_TRUE(hover["contents"]["value"].get<std::string>().starts_with("**" + word + "**"))
        << hover.dump();
    EXPECT_FALSE(Action(2, "Add error handling to " + word).is_null());
}

INSTANTIATE_TEST_SUITE_P(Pages, CodePageTextTest, ::testing::Values(kWestern, kJapanese),
                         [](const auto& page) { return "cp" + std::string(page.param.page); });

}  // namespace
}  // namespace qv::test
