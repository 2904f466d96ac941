// The language server on any input: the bytes as a stream of messages
// (framing, JSON and requests of any shape), and as the text of an open
// module that is then changed, asked for actions, formatted and looked at.
// The server never stops answering: every later request gets its response,
// also after bytes that are no message (once a header block the bytes left
// open is closed, the next header is found).

#include "fuzz_setup.h"
#include "lsp/json_rpc.h"
#include "lsp/server.h"
#include "lsp/text_document.h"

namespace {

using namespace qv;

using lsp::Json;

const std::string kUri = "file:///qv-fuzz-nowhere/modFuzz.bas";

// Sends a request (after the bytes before) and checks that its response
// comes back.
void Ask(lsp::Server& server, int id, const std::string& method, const Json& params,
         const std::string& before = {}) {
    const std::string out = server.Receive(before + lsp::Framed(
        Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}));
    lsp::MessageFramer framer;
    framer.Append(out);
    bool answered = false;
    std::string problem;
    while (auto frame = framer.Next()) {
        const std::optional<Json> message = lsp::ParseMessage(frame->body, problem);
        fuzz::Expect(message.has_value(), "every message sent is JSON");
        answered = answered || (message && lsp::IntOf(lsp::Member(*message, "id"), -1) == id);
    }
    fuzz::Expect(answered, "every request is answered");
}

void Notify(lsp::Server& server, const std::string& method, const Json& params) {
    server.Receive(lsp::Framed(lsp::NotificationMessage(method, params)));
}

Json At(int line) {
    return Json{{"textDocument", Json{{"uri", kUri}}},
                {"range", lsp::RangeJson({line, 0}, {line, 3})},
                {"position", lsp::PositionJson({line, 5})},
                {"options", Json{{"tabSize", 4}, {"insertSpaces", true}}}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::Bytes(data, size);
    {
        // As a stream between good requests: whatever it holds, the server
        // stays whole and finds the next request.
        lsp::Server server;
        Ask(server, 0, "initialize", Json::object());
        server.Receive(bytes);
        const Json query{{"query", "Z"}};
        Ask(server, 1000001, "workspace/symbol", query, "\r\n\r\n");
        server.Receive(bytes);
        Ask(server, 1000002, "workspace/symbol", query, "\r\n\r\n");
        Ask(server, 1000003, "workspace/symbol", query);
    }
    lsp::Server server;
    Ask(server, 1, "initialize", Json::object());
    // The bytes as an editor's text: what is no UTF-8 goes as U+FFFD.
    const std::string text(bytes);
    Notify(server, "textDocument/didOpen",
           Json{{"textDocument",
                 Json{{"uri", kUri}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}});
    const int line = size > 0 ? data[0] % 8 : 0;
    Ask(server, 2, "textDocument/codeAction", At(line));
    Ask(server, 3, "textDocument/formatting", At(line));
    Ask(server, 4, "textDocument/documentSymbol", At(line));
    Ask(server, 5, "textDocument/hover", At(line));
    // A line taken out: the text may now hold an unclosed routine.
    const Json removal{{"range", lsp::RangeJson({line, 0}, {line + 1, 0})}, {"text", ""}};
    Notify(server, "textDocument/didChange",
           Json{{"textDocument", Json{{"uri", kUri}, {"version", 2}}},
                {"contentChanges", Json::array({removal})}});
    Ask(server, 6, "textDocument/codeAction", At(line));
    Ask(server, 7, "textDocument/references", At(line));
    Ask(server, 8, "shutdown", Json::object());
    return 0;
}
