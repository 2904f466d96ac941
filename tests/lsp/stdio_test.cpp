// The real program: `qvaddin lsp` started as an editor starts it, spoken to
// through a pipe.

#include <QJsonDocument>
#include <QProcess>
#include <gtest/gtest.h>

#include "host_files/temp_folder.h"
#include "lsp/json_rpc.h"
#include "lsp_client.h"
#include "support/vb_fixture.h"

namespace qv::test {
namespace {

QByteArray Message(const QJsonObject& message) { return lsp::Framed(message); }

QJsonObject Request(int id, const QString& method, const QJsonValue& params) {
    return QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}};
}

TEST(StdioTest, TheProgramServesAnEditorOverItsStandardStreams) {
    TempFolder folder;
    const std::string module = Vb({"Attribute VB_Name = \"modA\"", "Sub A()", "End Sub"});
    folder.Write("modA.bas", module);
    const QString uri = UriOf(folder.File("modA.bas"));

    QProcess server;
    server.start(QV_CLI_PROGRAM, {"lsp"});
    ASSERT_TRUE(server.waitForStarted(10000));
    QByteArray input;
    input += Message(Request(1, "initialize", QJsonObject{{"capabilities", QJsonObject{}}}));
    input += Message(lsp::NotificationMessage("initialized", QJsonObject{}));
    input += "Content-Length: 5\r\n\r\n{bad}";
    input += Message(lsp::NotificationMessage(
        "textDocument/didOpen",
        QJsonObject{{"textDocument", QJsonObject{{"uri", uri},
                                                 {"languageId", "vb"},
                                                 {"version", 1},
                                                 {"text", QString::fromStdString(module)}}}}));
    input += "\x1b";  // a stray byte: answered, and the stream stays in step
    input += Message(Request(2, "shutdown", QJsonValue()));
    input += Message(lsp::NotificationMessage("exit", QJsonValue()));
    server.write(input);
    ASSERT_TRUE(server.waitForFinished(30000));
    EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.exitCode(), 0) << server.readAllStandardError().toStdString();

    const QByteArray output = server.readAllStandardOutput();
    lsp::MessageFramer framer;
    framer.Append({output.constData(), static_cast<size_t>(output.size())});
    std::vector<QJsonObject> messages;
    while (auto frame = framer.Next()) {
        messages.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(frame->body)).object());
    }
    // initialize, the parse error, the diagnostics, the stray byte's error,
    // shutdown; nothing else on standard output.
    ASSERT_EQ(messages.size(), 5u) << output.toStdString();
    EXPECT_TRUE(messages[0]["result"].toObject()["capabilities"].toObject().contains(
        "codeActionProvider"));
    EXPECT_EQ(messages[1]["error"].toObject()["code"].toInt(), lsp::kParseError);
    EXPECT_EQ(messages[2]["method"].toString(), "textDocument/publishDiagnostics");
    EXPECT_EQ(messages[2]["params"].toObject()["diagnostics"].toArray().size(), 1);
    EXPECT_EQ(messages[3]["error"].toObject()["code"].toInt(), lsp::kParseError);
    EXPECT_EQ(messages[4]["id"].toInt(), 2);
}

TEST(StdioTest, TheEndOfInputEndsTheServer) {
    QProcess server;
    server.start(QV_CLI_PROGRAM, {"lsp"});
    ASSERT_TRUE(server.waitForStarted(10000));
    server.write("Content-Length: 3\r\n\r\n{}");  // a message cut short
    server.closeWriteChannel();
    ASSERT_TRUE(server.waitForFinished(30000));
    EXPECT_EQ(server.exitCode(), 1);
}

}  // namespace
}  // namespace qv::test
