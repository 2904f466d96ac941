// The language server on any input: the bytes as a stream of messages
// (framing, JSON and requests of any shape), and as the text of an open
// module that is then changed, asked for actions, formatted and looked at.
// The server never stops answering: every later request gets its response,
// also after bytes that are no message (once a header block the bytes left
// open is closed, the next header is found).

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "fuzz_setup.h"
#include "lsp/json_rpc.h"
#include "lsp/server.h"
#include "lsp/text_document.h"

namespace {

using namespace qv;

const QString kUri = "file:///qv-fuzz-nowhere/modFuzz.bas";

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

// Sends a request (after the bytes before) and checks that its response
// comes back.
void Ask(lsp::Server& server, int id, const QString& method, const QJsonObject& params,
         const QByteArray& before = {}) {
    const QByteArray out = server.Receive(View(before + lsp::Framed(
        QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}})));
    lsp::MessageFramer framer;
    framer.Append(View(out));
    bool answered = false;
    while (auto frame = framer.Next()) {
        const QJsonObject message = QJsonDocument::fromJson(QByteArray::fromStdString(frame->body)).object();
        answered = answered || message.value("id").toInt() == id;
    }
    fuzz::Expect(answered, "every request is answered");
}

void Notify(lsp::Server& server, const QString& method, const QJsonObject& params) {
    server.Receive(View(lsp::Framed(lsp::NotificationMessage(method, params))));
}

QJsonObject At(int line) {
    return QJsonObject{{"textDocument", QJsonObject{{"uri", kUri}}},
                       {"range", lsp::RangeJson({line, 0}, {line, 3})},
                       {"position", lsp::PositionJson({line, 5})},
                       {"options", QJsonObject{{"tabSize", 4}, {"insertSpaces", true}}}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::Bytes(data, size);
    {
        // As a stream between good requests: whatever it holds, the server
        // stays whole and finds the next request.
        lsp::Server server;
        Ask(server, 0, "initialize", QJsonObject{});
        server.Receive(bytes);
        const QJsonObject query{{"query", "Z"}};
        Ask(server, 1000001, "workspace/symbol", query, "\r\n\r\n");
        server.Receive(bytes);
        Ask(server, 1000002, "workspace/symbol", query, "\r\n\r\n");
        Ask(server, 1000003, "workspace/symbol", query);
    }
    lsp::Server server;
    Ask(server, 1, "initialize", QJsonObject{});
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    Notify(server, "textDocument/didOpen",
           QJsonObject{{"textDocument", QJsonObject{{"uri", kUri},
                                                    {"languageId", "vb"},
                                                    {"version", 1},
                                                    {"text", text}}}});
    const int line = size > 0 ? data[0] % 8 : 0;
    Ask(server, 2, "textDocument/codeAction", At(line));
    Ask(server, 3, "textDocument/formatting", At(line));
    Ask(server, 4, "textDocument/documentSymbol", At(line));
    Ask(server, 5, "textDocument/hover", At(line));
    // A line taken out: the text may now hold an unclosed routine.
    const QJsonObject removal{{"range", lsp::RangeJson({line, 0}, {line + 1, 0})}, {"text", ""}};
    Notify(server, "textDocument/didChange",
           QJsonObject{{"textDocument", QJsonObject{{"uri", kUri}, {"version", 2}}},
                       {"contentChanges", QJsonArray{removal}}});
    Ask(server, 6, "textDocument/codeAction", At(line));
    Ask(server, 7, "textDocument/references", At(line));
    Ask(server, 8, "shutdown", QJsonObject{});
    return 0;
}
