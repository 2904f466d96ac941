// What the server does with input an editor should not send, or sends at
// the wrong time: it answers with the protocol's error, or nothing, and
// goes on serving.

#include <gtest/gtest.h>

#include "host_files/temp_folder.h"
#include "lsp/json_rpc.h"
#include "lsp_client.h"
#include "support/vb_fixture.h"

namespace qv::test {
namespace {

std::string Framed(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

int ErrorCode(const QJsonObject& message) {
    return message.value("error").toObject().value("code").toInt();
}

TEST(ProtocolTest, RequestsBeforeInitializeAreRefusedAndNotificationsDropped) {
    LspClient client;
    EXPECT_EQ(ErrorCode(client.Request("textDocument/hover")), lsp::kServerNotInitialized);
    client.Open("file:///nowhere/a.bas", "Attribute VB_Name = \"a\"\r\n");
    EXPECT_TRUE(client.Diagnostics("file:///nowhere/a.bas").isEmpty());
    EXPECT_TRUE(client.Initialize().contains("result"));
    // A second initialize is an error, the first one stands.
    EXPECT_TRUE(client.Initialize().contains("error"));
}

TEST(ProtocolTest, BadMessagesGetErrorsAndTheServerKeepsServing) {
    LspClient client;
    client.Initialize();
    std::vector<QJsonObject> replies = client.SendBytes(Framed("{\"jsonrpc\": \"2.0\", \"id\": 4,"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(ErrorCode(replies[0]), lsp::kParseError);
    EXPECT_TRUE(replies[0].value("id").isNull());

    replies = client.SendBytes(Framed("[1, 2]"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(ErrorCode(replies[0]), lsp::kInvalidRequest);

    // A header block that names no length is dropped; the next message is read.
    replies = client.SendBytes("Content-Type: x\r\n\r\n" +
                               Framed("{\"jsonrpc\":\"2.0\",\"id\":9,\"method\":\"shutdown\"}"));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(ErrorCode(replies[0]), lsp::kParseError);
    EXPECT_EQ(replies[1].value("id").toInt(), 9);
    EXPECT_TRUE(replies[1].contains("result"));
    // After shutdown every request is refused; exit then ends with 0.
    EXPECT_EQ(ErrorCode(client.Request("textDocument/hover")), lsp::kInvalidRequest);
    client.Notify("exit");
    EXPECT_EQ(client.ExitCode(), 0);
}

TEST(ProtocolTest, UnknownMethodsAndWrongParams) {
    LspClient client;
    client.Initialize();
    EXPECT_EQ(ErrorCode(client.Request("textDocument/teleport")), lsp::kMethodNotFound);
    // An unknown notification (and $/ ones) are passed over without a word.
    EXPECT_TRUE(client.SendBytes(lsp::Framed(lsp::NotificationMessage("$/setTrace", {}))
                                     .toStdString())
                    .empty());
    // Params of the wrong shape answer empty, not with a crash.
    EXPECT_EQ(client.Request("textDocument/codeAction", QJsonArray{1}).value("result"),
              QJsonArray{});
    EXPECT_TRUE(client.Request("textDocument/hover", "x").value("result").isNull());
    EXPECT_TRUE(client.Request("textDocument/formatting").contains("result"));
}

TEST(ProtocolTest, ExitWithoutShutdownEndsWithOne) {
    LspClient client;
    client.Initialize();
    client.Notify("exit");
    EXPECT_TRUE(client.Exited());
    EXPECT_EQ(client.ExitCode(), 1);
}

TEST(ProtocolTest, DocumentsThatAreNotVbGetEmptyAnswers) {
    TempFolder folder;
    folder.Write("notes.txt", "Sub A()\r\n");
    LspClient client;
    client.Initialize();
    const QString uri = UriOf(folder.File("notes.txt"));
    client.Open(uri, "Sub A()\r\n");
    const QJsonObject at{{"textDocument", QJsonObject{{"uri", uri}}},
                         {"range", lsp::RangeJson({0, 0}, {0, 0})},
                         {"position", lsp::PositionJson({0, 5})}};
    EXPECT_TRUE(client.Diagnostics(uri).isEmpty());
    EXPECT_EQ(client.Request("textDocument/codeAction", at).value("result"), QJsonArray{});
    EXPECT_EQ(client.Request("textDocument/formatting", at).value("result"), QJsonArray{});
    EXPECT_EQ(client.Request("textDocument/documentSymbol", at).value("result"), QJsonArray{});
    EXPECT_TRUE(client.Request("textDocument/hover", at).value("result").isNull());
    // A .bas that is not a module (no VB_Name) gets its reason as a diagnostic.
    const QString bas = UriOf(folder.File("junk.bas"));
    client.Open(bas, "just words\r\n");
    ASSERT_EQ(client.Diagnostics(bas).size(), 1);
    EXPECT_EQ(client.Diagnostics(bas)[0].toObject()["severity"].toInt(), 1);
    EXPECT_EQ(client.Request("textDocument/codeAction",
                             QJsonObject{{"textDocument", QJsonObject{{"uri", bas}}},
                                         {"range", lsp::RangeJson({0, 0}, {0, 0})}})
                  .value("result"),
              QJsonArray{});
}

TEST(ProtocolTest, AnUnclosedRoutineIsReportedUntilItIsClosedAgain) {
    const std::string module = Vb({"Attribute VB_Name = \"modA\"", "Sub A()", "End Sub"});
    TempFolder folder;
    folder.Write("modA.bas", module);
    const QString uri = UriOf(folder.File("modA.bas"));
    LspClient client;
    client.Initialize();
    client.Open(uri, module);
    ASSERT_EQ(client.Diagnostics(uri).size(), 1);
    EXPECT_EQ(client.Diagnostics(uri)[0].toObject()["severity"].toInt(), 2);
    // "End Sub" deleted: the text is no module until it is typed again.
    client.ChangeRange(uri, {1, 7}, {2, 7}, "");
    ASSERT_EQ(client.Diagnostics(uri).size(), 1);
    EXPECT_EQ(client.Diagnostics(uri)[0].toObject()["severity"].toInt(), 1);
    const QJsonObject at{{"textDocument", QJsonObject{{"uri", uri}}},
                         {"range", lsp::RangeJson({1, 0}, {1, 0})}};
    EXPECT_EQ(client.Request("textDocument/codeAction", at).value("result"), QJsonArray{});
    client.ChangeRange(uri, {1, 7}, {1, 7}, "\r\nEnd Sub");
    EXPECT_EQ(client.Text(uri), module);
    ASSERT_EQ(client.Diagnostics(uri).size(), 1);
    EXPECT_EQ(client.Diagnostics(uri)[0].toObject()["severity"].toInt(), 2);
}

}  // namespace
}  // namespace qv::test
