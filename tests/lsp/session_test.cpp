// The server driven as an editor drives it: open a module, change it, take
// its code actions and formatting, and compare what the edits make with
// what the command line writes for the same text.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/cli_test_support.h"
#include "settings/settings_record.h"
#include "support/vb_fixture.h"
#include "lsp/utf8_text.h"
#include "lsp_client.h"

namespace qv::test {
namespace {

const std::string kModule = Vb({
    "Attribute VB_Name = \"modWork\"",
    "Option Explicit",
    "",
    "Public Sub Store(ByVal value As Long)",
    "Dim x As Long",
    "    x = value",
    "End Sub",
    "",
    "Public Function Twice(ByVal n As Long) As Long",
    "        Twice = n * 2",
    "End Function",
});

class SessionTest : public ::testing::Test {
  protected:
    SessionTest() {
        folder_.Write("modWork.bas", kModule);
        uri_ = UriOf(folder_.File("modWork.bas"));
    }

    // What the command line writes into a copy of the module holding text.
    std::string CliResultOf(const std::string& text, const std::vector<std::string>& arguments) {
        TempFolder other;
        other.Write("modWork.bas", text);
        std::vector<std::string> all = arguments;
        all.insert(all.begin() + 1, other.File("modWork.bas"));
        const CliResult run = RunCli(all);
        EXPECT_EQ(run.code, 0) << run.err;
        return other.Read("modWork.bas");
    }

    Json Actions(int line) {
        const Json response = client_.Request(
            "textDocument/codeAction",
            Json{{"textDocument", Json{{"uri", uri_}}},
                        {"range", lsp::RangeJson({line, 0}, {line, 0})},
                        {"context", Json{{"diagnostics", Json::array()}}}});
        return response.at("result");
    }

    static Json Titled(const Json& actions, const std::string& title) {
        for (const Json& action : actions) {
            if (action.at("title").get<std::string>() == title) return action;
        }
        ADD_FAILURE() << "no action " << title;
        return {};
    }

    Json EditsOf(const Json& action) {
        return action.at("edit").at("changes").at(uri_);
    }

    TempFolder folder_;
    std::string uri_;
    LspClient client_;
};


TEST_F(SessionTest, EditsOfTheServerMakeWhatTheCommandLineWrites) {
    const Json init = client_.Initialize();
    ASSERT_TRUE(init.contains("result"));
    client_.Open(uri_, kModule);
    // Neither routine has a handler: one diagnostic each, on its declaration.
    Json diagnostics = client_.Diagnostics(uri_);
    ASSERT_EQ(diagnostics.size(), 2);
    EXPECT_EQ(diagnostics[0]["range"]["start"]["line"].get<int>(), 3);
    EXPECT_EQ(diagnostics[1]["range"]["start"]["line"].get<int>(), 8);
    EXPECT_TRUE(diagnostics[0]["message"].get<std::string>().find("Top Status MISSING") != std::string::npos);
    EXPECT_EQ(diagnostics[0]["severity"].get<int>(), 2);

    // The editor's change, not the disk, is what the engines see: a third
    // routine typed in gets its own diagnostic.
    const std::string changed = kModule + Vb({"", "Private Sub Third()", "End Sub"});
    client_.ChangeAll(uri_, changed);
    diagnostics = client_.Diagnostics(uri_);
    ASSERT_EQ(diagnostics.size(), 3);
    EXPECT_EQ(diagnostics[2]["range"]["start"]["line"].get<int>(), 11);

    const Json add = Titled(Actions(5), "Add error handling to Store");
    ASSERT_FALSE(add.contains("disabled"));
    const Json edits = EditsOf(add);
    ASSERT_FALSE(edits.empty());
    client_.Apply(uri_, edits);
    EXPECT_EQ(client_.Text(uri_), CliResultOf(changed, {"add", "--routine", "Store"}));
    // Store now carries the standard handler: only the other two are left.
    diagnostics = client_.Diagnostics(uri_);
    ASSERT_EQ(diagnostics.size(), 2);
    EXPECT_TRUE(diagnostics[0]["message"].get<std::string>().starts_with("Twice"));

    // Formatting is the module's tidy.
    const std::string before = client_.Text(uri_);
    const Json formatted = client_.Request(
        "textDocument/formatting",
        Json{{"textDocument", Json{{"uri", uri_}}},
                    {"options", Json{{"tabSize", 4}, {"insertSpaces", true}}}});
    ASSERT_TRUE(formatted.at("result").is_array());
    ASSERT_FALSE(formatted.at("result").empty());
    client_.Apply(uri_, formatted.at("result"));
    EXPECT_EQ(client_.Text(uri_), CliResultOf(before, {"tidy", "--module", "modWork"}));

    // Nothing is written: the editor saves.
    EXPECT_EQ(folder_.Read("modWork.bas"), kModule);
    client_.Notify("textDocument/didClose", Json{{"textDocument", Json{{"uri", uri_}}}});
    EXPECT_TRUE(client_.Diagnostics(uri_).empty());
    EXPECT_TRUE(client_.Request("shutdown", Json()).contains("result"));
    client_.Notify("exit");
    EXPECT_TRUE(client_.Exited());
    EXPECT_EQ(client_.ExitCode(), 0);
}

TEST_F(SessionTest, ActionsThatChangeNothingAreNotOfferedAndRefusalsSayWhy) {
    client_.Initialize();
    client_.Open(uri_, kModule);
    const Json actions = Actions(5);
    // No handler and no numbers to take away.
    for (const char* absent : {"Remove the error handling from Store",
                                  "Remove the line numbers from Store"}) {
        for (const Json& action : actions) {
            EXPECT_NE(action["title"].get<std::string>(), absent);
        }
    }
    for (const Json& action : actions) {
        const Json a = action;
        EXPECT_TRUE(a.contains("disabled") || !EditsOf(a).empty()) << a["title"].get<std::string>();
    }
    // Outside every routine only the module's actions come.
    for (const Json& action : Actions(1)) {
        EXPECT_EQ(action["kind"].get<std::string>(), "source");
    }
}

TEST_F(SessionTest, AReadOnlyModuleRefusesEveryActionWithItsMessage) {
    std::filesystem::permissions(folder_.File("modWork.bas"), std::filesystem::perms::owner_read |
                                                                  std::filesystem::perms::group_read);
    client_.Initialize();
    client_.Open(uri_, kModule);
    const Json actions = Actions(5);
    ASSERT_FALSE(actions.empty());
    for (const Json& action : actions) {
        const std::string reason = action["disabled"]["reason"].get<std::string>();
        EXPECT_TRUE(reason.starts_with("Message 4: ")) << reason;
        EXPECT_FALSE(action.contains("edit"));
    }
    std::filesystem::permissions(folder_.File("modWork.bas"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

// What a client that does not show disabled actions does with the one the
// user chose: resolve it when it has no edit, then run its command.
std::vector<Json> Choose(LspClient& client, Json action) {
    if (!action.contains("edit")) action = client.Request("codeAction/resolve", action)["result"];
    std::vector<Json> shown;
    const size_t before = client.Messages().size();
    if (action.contains("command")) {
        const Json command = action["command"];
        const Json response = client.Request(
            "workspace/executeCommand",
            Json{{"command", command["command"]}, {"arguments", command["arguments"]}});
        EXPECT_TRUE(response.contains("result")) << response["error"]["message"].get<std::string>();
    }
    for (size_t i = before; i < client.Messages().size(); ++i) shown.push_back(client.Messages()[i]);
    return shown;
}

TEST_F(SessionTest, ARefusedActionShowsItsMessageWhenChosenInAClientThatDoesNotShowDisabledOnes) {
    // As Neovim 0.7 announces itself: resolve support, no disabledSupport.
    client_.Initialize({}, true, false);
    client_.Open(uri_, kModule);
    client_.Apply(uri_, EditsOf(Titled(Actions(5), "Add error handling to Store")));
    const std::string handled = client_.Text(uri_);
    const Json again = Titled(Actions(5), "Add error handling to Store");
    ASSERT_FALSE(again.contains("edit"));
    const std::vector<Json> shown = Choose(client_, again);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]["method"].get<std::string>(), "window/showMessage");
    EXPECT_EQ(shown[0]["params"]["message"].get<std::string>(),
              "Error handling is already in this procedure!");
    EXPECT_EQ(client_.Text(uri_), handled);
    // A command the server does not know is an error, not silence.
    const Json unknown =
        client_.Request("workspace/executeCommand", Json{{"command", "qvaddin.other"}});
    EXPECT_TRUE(unknown.contains("error"));

    // A client that shows it disabled gets no command with it.
    LspClient showsDisabled;
    showsDisabled.Initialize({}, false, true);
    showsDisabled.Open(uri_, handled);
    const Json disabled = [&] {
        const Json response = showsDisabled.Request(
            "textDocument/codeAction", Json{{"textDocument", Json{{"uri", uri_}}},
                                            {"range", lsp::RangeJson({5, 0}, {5, 0})},
                                            {"context", Json::object()}});
        for (const Json& a : response["result"]) {
            if (a["title"] == "Add error handling to Store") return a;
        }
        return Json::object();
    }();
    EXPECT_EQ(disabled["disabled"]["reason"].get<std::string>(),
              "Error handling is already in this procedure!");
    EXPECT_FALSE(disabled.contains("command"));
}

TEST_F(SessionTest, AResolvedModuleActionThatIsRefusedShowsItsMessageOnceWhenChosen) {
    std::filesystem::permissions(folder_.File("modWork.bas"), std::filesystem::perms::owner_read |
                                                                  std::filesystem::perms::group_read);
    client_.Initialize({}, true, false);
    client_.Open(uri_, kModule);
    const std::vector<Json> shown =
        Choose(client_, Titled(Actions(1), "Tidy every routine of modWork"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0]["params"]["message"].get<std::string>().starts_with("Message 4: "));
    std::filesystem::permissions(folder_.File("modWork.bas"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST_F(SessionTest, ModuleActionsResolveToTheirEditsWhenTheClientAsks) {
    client_.Initialize({}, true);
    client_.Open(uri_, kModule);
    Json add = Titled(Actions(1), "Add error handling to every routine of modWork");
    EXPECT_FALSE(add.contains("edit"));
    const Json resolved = client_.Request("codeAction/resolve", add);
    add = resolved.at("result");
    client_.Apply(uri_, EditsOf(add));
    EXPECT_EQ(client_.Text(uri_), CliResultOf(kModule, {"add", "--module", "modWork"}));
    EXPECT_TRUE(client_.Diagnostics(uri_).empty());
}

TEST_F(SessionTest, ClientOptionsOverrideSettingsAndSeverities) {
    client_.Initialize(Json{{"severities", Json{{"MISSING", "error"}}},
                                   {"settings", Json{{"label1", "Leave_Here"},
                                                            {"label2", "Not A Label"}}}});
    // The label that is not VB is refused and said so.
    ASSERT_EQ(client_.Messages().size(), 1u);
    EXPECT_TRUE(client_.Messages()[0]["params"]["message"].get<std::string>().find("label2") !=
                std::string::npos);
    client_.Open(uri_, kModule);
    EXPECT_EQ(client_.Diagnostics(uri_)[0]["severity"].get<int>(), 1);
    const Json edits = EditsOf(Titled(Actions(5), "Add error handling to Store"));
    ASSERT_FALSE(edits.empty());
    client_.Apply(uri_, edits);
    EXPECT_NE(client_.Text(uri_).find("Leave_Here:"), std::string::npos);
}

// A template of the client's settings is written into the module in the
// run's code page (Windows-1252): the editor gets its characters back, and
// one the code page has no byte for as the "?" the file would hold.
TEST_F(SessionTest, ATemplateOfTheClientsSettingsReachesTheEditorInTheRunsCodePage) {
    client_.Initialize(Json{{"settings", Json{{"add1", "' Gr\xC3\xB6\xC3\x9F" "e \xE5\x95\x8F"}}}});
    client_.Open(uri_, kModule);
    const Json add = Titled(Actions(5), "Add error handling to Store");
    EXPECT_TRUE(lsp::IsUtf8(client_.LastOutput()));
    const Json edits = EditsOf(add);
    ASSERT_FALSE(edits.empty());
    std::string inserted;
    for (const Json& edit : edits) inserted += edit["newText"].get<std::string>();
    EXPECT_NE(inserted.find("' Gr\xC3\xB6\xC3\x9F" "e ?\r\n"), std::string::npos) << inserted;
}

// A server's overrides are its own: another server started in the same
// process, reading the stored settings, does not undo them.
TEST_F(SessionTest, OverridesStayWithTheirServer) {
    client_.Initialize(Json{{"settings", Json{{"label1", "Leave_Here"}}}});
    LspClient other;
    other.Initialize();
    other.Open(uri_, kModule);
    client_.Open(uri_, kModule);
    const Json edits = EditsOf(Titled(Actions(5), "Add error handling to Store"));
    ASSERT_FALSE(edits.empty());
    client_.Apply(uri_, edits);
    EXPECT_NE(client_.Text(uri_).find("Leave_Here:"), std::string::npos);
}

// Each override is checked as the store checks it; a refused one is said to
// the client and leaves the stored value in use.
TEST_F(SessionTest, RejectedOverridesAreToldAndChangeNothing) {
    const Json bad{{"ten", "abc"},          {"header", 99},  {"menu", 1.5},
                   {"select", -1},          {"forms", "zzz"}, {"comment", true},
                   {"add5", "Beep\x1b[2J"}, {"label1", 5},   {"omit", Json::array()},
                   {"modulemb", 0},         {"nosuch", "1"}};
    client_.Initialize(Json{{"settings", bad}});
    std::vector<std::string> told;
    std::string all;
    for (const Json& message : client_.Messages()) {
        EXPECT_EQ(message["method"].get<std::string>(), "window/showMessage");
        told.push_back(message["params"]["message"].get<std::string>());
        all += told.back() + "\n";
    }
    // comment true is 1, an allowed value; every other one is refused.
    ASSERT_EQ(told.size(), bad.size() - 1) << all;
    for (const auto& [key, value] : bad.items()) {
        if (key == "comment") continue;
        EXPECT_EQ(std::count_if(told.begin(), told.end(),
                                [&](const std::string& t) {
                                    return t.starts_with("setting " + key + ":");
                                }),
                  1)
            << key;
    }
}

TEST_F(SessionTest, RangeFormattingKeepsToTheLinesAsked) {
    client_.Initialize();
    client_.Open(uri_, kModule);
    // Only Twice's body (line 9) is asked for; Store's "Dim x" stays put.
    const Json formatted = client_.Request(
        "textDocument/rangeFormatting",
        Json{{"textDocument", Json{{"uri", uri_}}},
                    {"range", lsp::RangeJson({8, 0}, {10, 0})},
                    {"options", Json{{"tabSize", 4}, {"insertSpaces", true}}}});
    client_.Apply(uri_, formatted.at("result"));
    const std::string text = client_.Text(uri_);
    EXPECT_NE(text.find("\r\nDim x As Long\r\n"), std::string::npos);
    EXPECT_EQ(text.find("        Twice = n * 2"), std::string::npos);
}

// A routine defined in each branch of an #If: each copy has its diagnostic
// on its own declaration, the action at a copy changes that copy as the
// command line does at that line, and a hover names the copy and what its
// handler lacks.
TEST_F(SessionTest, EachCopyOfARoutineHasItsDiagnosticAndActions) {
    const std::string copies = Vb({
        "Attribute VB_Name = \"modWork\"",
        "#If Win64 Then",
        "Public Function Peek(ByVal a As LongPtr) As LongPtr",
        "    On Error GoTo Error_Routine",
        "    Peek = a",
        "End Function",
        "#Else",
        "Public Function Peek(ByVal a As Long) As Long",
        "    Peek = a",
        "End Function",
        "#End If",
    });
    client_.Initialize();
    client_.Open(uri_, copies);
    const Json diagnostics = client_.Diagnostics(uri_);
    ASSERT_EQ(diagnostics.size(), 2);
    EXPECT_EQ(diagnostics[0]["range"]["start"]["line"].get<int>(), 2);
    EXPECT_EQ(diagnostics[0]["message"].get<std::string>(),
              "Peek: Top Status OK, Exit Status IN ERROR. Exit: there is no exit block: no line "
              "reads \"Exit_Routine:\", and no line defines the label Error_Routine that the On "
              "Error line goes to.");
    EXPECT_EQ(diagnostics[1]["range"]["start"]["line"].get<int>(), 7);
    EXPECT_TRUE(diagnostics[1]["message"].get<std::string>().starts_with(
        "Peek (copy 2): Top Status MISSING"));

    const Json hover = client_.Request(
        "textDocument/hover",
        Json{{"textDocument", Json{{"uri", uri_}}},
                    {"position", Json{{"line", 7}, {"character", 18}}}});
    const std::string text = hover["result"]["contents"]["value"].get<std::string>();
    EXPECT_TRUE(text.starts_with("**Peek (copy 2)**")) << text;
    EXPECT_NE(text.find("Top Status: MISSING"), std::string::npos) << text;

    const Json add = Titled(Actions(8), "Add error handling to Peek");
    ASSERT_FALSE(add.contains("disabled"));
    client_.Apply(uri_, EditsOf(add));
    EXPECT_EQ(client_.Text(uri_),
              CliResultOf(copies, {"add", "--module", "modWork", "--line", "8"}));
    EXPECT_EQ(client_.Diagnostics(uri_).size(), 1) << "the second copy has its handler now";
}

}  // namespace
}  // namespace qv::test
