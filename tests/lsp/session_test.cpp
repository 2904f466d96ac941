// The server driven as an editor drives it: open a module, change it, take
// its code actions and formatting, and compare what the edits make with
// what the command line writes for the same text.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_test_support.h"
#include "settings/settings_record.h"
#include "support/vb_fixture.h"
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

    QJsonArray Actions(int line) {
        const QJsonObject response = client_.Request(
            "textDocument/codeAction",
            QJsonObject{{"textDocument", QJsonObject{{"uri", uri_}}},
                        {"range", lsp::RangeJson({line, 0}, {line, 0})},
                        {"context", QJsonObject{{"diagnostics", QJsonArray{}}}}});
        return response.value("result").toArray();
    }

    static QJsonObject Titled(const QJsonArray& actions, const QString& title) {
        for (const QJsonValue& action : actions) {
            if (action.toObject().value("title").toString() == title) return action.toObject();
        }
        ADD_FAILURE() << "no action " << title.toStdString();
        return {};
    }

    QJsonArray EditsOf(const QJsonObject& action) {
        return action.value("edit").toObject().value("changes").toObject().value(uri_).toArray();
    }

    TempFolder folder_;
    QString uri_;
    LspClient client_;
};


TEST_F(SessionTest, EditsOfTheServerMakeWhatTheCommandLineWrites) {
    const QJsonObject init = client_.Initialize();
    ASSERT_TRUE(init.contains("result"));
    client_.Open(uri_, kModule);
    // Neither routine has a handler: one diagnostic each, on its declaration.
    QJsonArray diagnostics = client_.Diagnostics(uri_);
    ASSERT_EQ(diagnostics.size(), 2);
    EXPECT_EQ(diagnostics[0].toObject()["range"].toObject()["start"].toObject()["line"].toInt(), 3);
    EXPECT_EQ(diagnostics[1].toObject()["range"].toObject()["start"].toObject()["line"].toInt(), 8);
    EXPECT_TRUE(diagnostics[0].toObject()["message"].toString().contains("Top Status MISSING"));
    EXPECT_EQ(diagnostics[0].toObject()["severity"].toInt(), 2);

    // The editor's change, not the disk, is what the engines see: a third
    // routine typed in gets its own diagnostic.
    const std::string changed = kModule + Vb({"", "Private Sub Third()", "End Sub"});
    client_.ChangeAll(uri_, changed);
    diagnostics = client_.Diagnostics(uri_);
    ASSERT_EQ(diagnostics.size(), 3);
    EXPECT_EQ(diagnostics[2].toObject()["range"].toObject()["start"].toObject()["line"].toInt(), 11);

    const QJsonObject add = Titled(Actions(5), "Add error handling to Store");
    ASSERT_FALSE(add.contains("disabled"));
    const QJsonArray edits = EditsOf(add);
    ASSERT_FALSE(edits.isEmpty());
    client_.Apply(uri_, edits);
    EXPECT_EQ(client_.Text(uri_), CliResultOf(changed, {"add", "--routine", "Store"}));
    // Store now carries the standard handler: only the other two are left.
    diagnostics = client_.Diagnostics(uri_);
    ASSERT_EQ(diagnostics.size(), 2);
    EXPECT_TRUE(diagnostics[0].toObject()["message"].toString().startsWith("Twice"));

    // Formatting is the module's tidy.
    const std::string before = client_.Text(uri_);
    const QJsonObject formatted = client_.Request(
        "textDocument/formatting",
        QJsonObject{{"textDocument", QJsonObject{{"uri", uri_}}},
                    {"options", QJsonObject{{"tabSize", 4}, {"insertSpaces", true}}}});
    ASSERT_TRUE(formatted.value("result").isArray());
    ASSERT_FALSE(formatted.value("result").toArray().isEmpty());
    client_.Apply(uri_, formatted.value("result").toArray());
    EXPECT_EQ(client_.Text(uri_), CliResultOf(before, {"tidy", "--module", "modWork"}));

    // Nothing is written: the editor saves.
    EXPECT_EQ(folder_.Read("modWork.bas"), kModule);
    client_.Notify("textDocument/didClose", QJsonObject{{"textDocument", QJsonObject{{"uri", uri_}}}});
    EXPECT_TRUE(client_.Diagnostics(uri_).isEmpty());
    EXPECT_TRUE(client_.Request("shutdown", QJsonValue()).contains("result"));
    client_.Notify("exit");
    EXPECT_TRUE(client_.Exited());
    EXPECT_EQ(client_.ExitCode(), 0);
}

TEST_F(SessionTest, ActionsThatChangeNothingAreNotOfferedAndRefusalsSayWhy) {
    client_.Initialize();
    client_.Open(uri_, kModule);
    const QJsonArray actions = Actions(5);
    // No handler and no numbers to take away.
    for (const char* absent : {"Remove the error handling from Store",
                                  "Remove the line numbers from Store"}) {
        for (const QJsonValue& action : actions) {
            EXPECT_NE(action.toObject()["title"].toString(), absent);
        }
    }
    for (const QJsonValue& action : actions) {
        const QJsonObject a = action.toObject();
        EXPECT_TRUE(a.contains("disabled") || !EditsOf(a).isEmpty()) << a["title"].toString().toStdString();
    }
    // Outside every routine only the module's actions come.
    for (const QJsonValue& action : Actions(1)) {
        EXPECT_EQ(action.toObject()["kind"].toString(), "source");
    }
}

TEST_F(SessionTest, AReadOnlyModuleRefusesEveryActionWithItsMessage) {
    std::filesystem::permissions(folder_.File("modWork.bas"), std::filesystem::perms::owner_read |
                                                                  std::filesystem::perms::group_read);
    client_.Initialize();
    client_.Open(uri_, kModule);
    const QJsonArray actions = Actions(5);
    ASSERT_FALSE(actions.isEmpty());
    for (const QJsonValue& action : actions) {
        const QString reason = action.toObject()["disabled"].toObject()["reason"].toString();
        EXPECT_TRUE(reason.startsWith("Message 4: ")) << reason.toStdString();
        EXPECT_FALSE(action.toObject().contains("edit"));
    }
    std::filesystem::permissions(folder_.File("modWork.bas"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

// What a client that does not show disabled actions does with the one the
// user chose: resolve it when it has no edit, then run its command.
std::vector<QJsonObject> Choose(LspClient& client, QJsonObject action) {
    if (!action.contains("edit")) action = client.Request("codeAction/resolve", action)["result"].toObject();
    std::vector<QJsonObject> shown;
    const size_t before = client.Messages().size();
    if (action.contains("command")) {
        const QJsonObject command = action["command"].toObject();
        const QJsonObject response = client.Request(
            "workspace/executeCommand",
            QJsonObject{{"command", command["command"]}, {"arguments", command["arguments"]}});
        EXPECT_TRUE(response.contains("result")) << response["error"].toObject()["message"].toString().toStdString();
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
    const QJsonObject again = Titled(Actions(5), "Add error handling to Store");
    ASSERT_FALSE(again.contains("edit"));
    const std::vector<QJsonObject> shown = Choose(client_, again);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]["method"].toString(), "window/showMessage");
    EXPECT_EQ(shown[0]["params"].toObject()["message"].toString(),
              "Error handling is already in this procedure!");
    EXPECT_EQ(client_.Text(uri_), handled);
    // A command the server does not know is an error, not silence.
    const QJsonObject unknown =
        client_.Request("workspace/executeCommand", QJsonObject{{"command", "qvaddin.other"}});
    EXPECT_TRUE(unknown.contains("error"));

    // A client that shows it disabled gets no command with it.
    LspClient showsDisabled;
    showsDisabled.Initialize({}, false, true);
    showsDisabled.Open(uri_, handled);
    const QJsonObject disabled = [&] {
        for (const QJsonValue& a :
             showsDisabled.Request("textDocument/codeAction",
                                   QJsonObject{{"textDocument", QJsonObject{{"uri", uri_}}},
                                               {"range", lsp::RangeJson({5, 0}, {5, 0})},
                                               {"context", QJsonObject{}}})["result"].toArray()) {
            if (a.toObject()["title"] == "Add error handling to Store") return a.toObject();
        }
        return QJsonObject{};
    }();
    EXPECT_EQ(disabled["disabled"].toObject()["reason"].toString(),
              "Error handling is already in this procedure!");
    EXPECT_FALSE(disabled.contains("command"));
}

TEST_F(SessionTest, AResolvedModuleActionThatIsRefusedShowsItsMessageOnceWhenChosen) {
    std::filesystem::permissions(folder_.File("modWork.bas"), std::filesystem::perms::owner_read |
                                                                  std::filesystem::perms::group_read);
    client_.Initialize({}, true, false);
    client_.Open(uri_, kModule);
    const std::vector<QJsonObject> shown =
        Choose(client_, Titled(Actions(1), "Tidy every routine of modWork"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0]["params"].toObject()["message"].toString().startsWith("Message 4: "));
    std::filesystem::permissions(folder_.File("modWork.bas"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST_F(SessionTest, ModuleActionsResolveToTheirEditsWhenTheClientAsks) {
    client_.Initialize({}, true);
    client_.Open(uri_, kModule);
    QJsonObject add = Titled(Actions(1), "Add error handling to every routine of modWork");
    EXPECT_FALSE(add.contains("edit"));
    const QJsonObject resolved = client_.Request("codeAction/resolve", add);
    add = resolved.value("result").toObject();
    client_.Apply(uri_, EditsOf(add));
    EXPECT_EQ(client_.Text(uri_), CliResultOf(kModule, {"add", "--module", "modWork"}));
    EXPECT_TRUE(client_.Diagnostics(uri_).isEmpty());
}

TEST_F(SessionTest, ClientOptionsOverrideSettingsAndSeverities) {
    client_.Initialize(QJsonObject{{"severities", QJsonObject{{"MISSING", "error"}}},
                                   {"settings", QJsonObject{{"label1", "Leave_Here"},
                                                            {"label2", "Not A Label"}}}});
    // The label that is not VB is refused and said so.
    ASSERT_EQ(client_.Messages().size(), 1u);
    EXPECT_TRUE(client_.Messages()[0]["params"].toObject()["message"].toString().contains("label2"));
    client_.Open(uri_, kModule);
    EXPECT_EQ(client_.Diagnostics(uri_)[0].toObject()["severity"].toInt(), 1);
    const QJsonArray edits = EditsOf(Titled(Actions(5), "Add error handling to Store"));
    ASSERT_FALSE(edits.isEmpty());
    client_.Apply(uri_, edits);
    EXPECT_NE(client_.Text(uri_).find("Leave_Here:"), std::string::npos);
}

// A server's overrides are its own: another server started in the same
// process, reading the stored settings, does not undo them.
TEST_F(SessionTest, OverridesStayWithTheirServer) {
    client_.Initialize(QJsonObject{{"settings", QJsonObject{{"label1", "Leave_Here"}}}});
    LspClient other;
    other.Initialize();
    other.Open(uri_, kModule);
    client_.Open(uri_, kModule);
    const QJsonArray edits = EditsOf(Titled(Actions(5), "Add error handling to Store"));
    ASSERT_FALSE(edits.isEmpty());
    client_.Apply(uri_, edits);
    EXPECT_NE(client_.Text(uri_).find("Leave_Here:"), std::string::npos);
}

// Each override is checked as the store checks it; a refused one is said to
// the client and leaves the stored value in use.
TEST_F(SessionTest, RejectedOverridesAreToldAndChangeNothing) {
    const QJsonObject bad{{"ten", "abc"},        {"header", 99},       {"menu", 1.5},
                          {"select", -1},        {"forms", "zzz"},     {"comment", true},
                          {"add5", "Beep\x1b[2J"}, {"label1", 5},       {"omit", QJsonArray{}},
                          {"modulemb", 0},     {"nosuch", "1"}};
    client_.Initialize(QJsonObject{{"settings", bad}});
    QStringList told;
    for (const QJsonObject& message : client_.Messages()) {
        EXPECT_EQ(message["method"].toString(), "window/showMessage");
        told << message["params"].toObject()["message"].toString();
    }
    // comment true is 1, an allowed value; every other one is refused.
    ASSERT_EQ(told.size(), bad.size() - 1) << told.join("\n").toStdString();
    for (const QString& key : bad.keys()) {
        if (key == "comment") continue;
        EXPECT_TRUE(told.filter("setting " + key + ":").size() == 1) << key.toStdString();
    }
}

TEST_F(SessionTest, RangeFormattingKeepsToTheLinesAsked) {
    client_.Initialize();
    client_.Open(uri_, kModule);
    // Only Twice's body (line 9) is asked for; Store's "Dim x" stays put.
    const QJsonObject formatted = client_.Request(
        "textDocument/rangeFormatting",
        QJsonObject{{"textDocument", QJsonObject{{"uri", uri_}}},
                    {"range", lsp::RangeJson({8, 0}, {10, 0})},
                    {"options", QJsonObject{{"tabSize", 4}, {"insertSpaces", true}}}});
    client_.Apply(uri_, formatted.value("result").toArray());
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
    const QJsonArray diagnostics = client_.Diagnostics(uri_);
    ASSERT_EQ(diagnostics.size(), 2);
    EXPECT_EQ(diagnostics[0]["range"]["start"]["line"].toInt(), 2);
    EXPECT_EQ(diagnostics[0]["message"].toString().toStdString(),
              "Peek: Top Status OK, Exit Status IN ERROR. Exit: there is no exit block: no line "
              "reads \"Exit_Routine:\", and no line defines the label Error_Routine that the On "
              "Error line goes to.");
    EXPECT_EQ(diagnostics[1]["range"]["start"]["line"].toInt(), 7);
    EXPECT_TRUE(diagnostics[1]["message"].toString().startsWith(
        "Peek (copy 2): Top Status MISSING"));

    const QJsonObject hover = client_.Request(
        "textDocument/hover",
        QJsonObject{{"textDocument", QJsonObject{{"uri", uri_}}},
                    {"position", QJsonObject{{"line", 7}, {"character", 18}}}});
    const QString text = hover["result"]["contents"]["value"].toString();
    EXPECT_TRUE(text.startsWith("**Peek (copy 2)**")) << text.toStdString();
    EXPECT_TRUE(text.contains("Top Status: MISSING")) << text.toStdString();

    const QJsonObject add = Titled(Actions(8), "Add error handling to Peek");
    ASSERT_FALSE(add.contains("disabled"));
    client_.Apply(uri_, EditsOf(add));
    EXPECT_EQ(client_.Text(uri_),
              CliResultOf(copies, {"add", "--module", "modWork", "--line", "8"}));
    EXPECT_EQ(client_.Diagnostics(uri_).size(), 1) << "the second copy has its handler now";
}

}  // namespace
}  // namespace qv::test
