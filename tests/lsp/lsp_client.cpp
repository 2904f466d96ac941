#include "lsp_client.h"

#include <gtest/gtest.h>

#include "lsp/file_uri.h"
#include "lsp/json_rpc.h"
#include "lsp/text_edits.h"
#include "shell/process_start.h"

namespace qv::test {

namespace {

// The text after the edits (none overlapping, in document order), as an
// editor applies them: from the last to the first, so that the offsets of
// the earlier ones stay.
std::string ApplyEdits(const lsp::TextDocument& document, const std::vector<lsp::TextEdit>& edits) {
    std::string text = document.Text();
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const size_t from = document.Offset(it->start);
        const size_t to = document.Offset(it->end);
        text.replace(from, to - from, it->newText);
    }
    return text;
}

}  // namespace

std::string UriOf(const std::string& path) { return lsp::UriOfPath(path); }

std::vector<Json> Messages(const std::string& framed) {
    lsp::MessageFramer framer;
    framer.Append(framed);
    std::vector<Json> messages;
    while (auto frame = framer.Next()) {
        EXPECT_FALSE(frame->Broken());
        std::string problem;
        auto message = lsp::ParseMessage(frame->body, problem);
        EXPECT_TRUE(message) << problem << " in " << frame->body;
        messages.push_back(message ? *message : Json());
    }
    return messages;
}

LspClient::LspClient() { shell::CommandLineStart(); }

std::vector<Json> LspClient::SendBytes(const std::string& bytes) {
    // A pipe hands the bytes over in pieces that need not end with a message.
    lastOutput_.clear();
    const size_t piece = 7;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        lastOutput_ += server_.Receive(std::string_view(bytes).substr(at, piece));
    }
    std::vector<Json> messages = test::Messages(lastOutput_);
    for (const Json& message : messages) Take(message);
    return messages;
}

void LspClient::Take(const Json& message) {
    const std::string& method = lsp::StringAt(message, "method");
    if (method == "textDocument/publishDiagnostics") {
        const Json& params = lsp::ObjectAt(message, "params");
        diagnostics_[lsp::StringAt(params, "uri")] = lsp::ArrayOf(lsp::Member(params, "diagnostics"));
    } else if (!method.empty()) {
        messages_.push_back(message);
    }
}

Json LspClient::Request(const std::string& method, const Json& params) {
    const int id = nextId_++;
    const Json request{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}};
    for (const Json& message : SendBytes(lsp::Framed(request))) {
        if (lsp::IntOf(lsp::Member(message, "id"), -1) == id) return message;
    }
    ADD_FAILURE() << "no response to " << method;
    return Json::object();
}

void LspClient::Notify(const std::string& method, const Json& params) {
    SendBytes(lsp::Framed(lsp::NotificationMessage(method, params)));
}

Json LspClient::Initialize(const Json& options, bool resolveSupport, bool disabledSupport) {
    Json codeAction = Json::object();
    if (resolveSupport) codeAction["resolveSupport"] = Json{{"properties", Json::array({"edit"})}};
    if (disabledSupport) codeAction["disabledSupport"] = true;
    const Json capabilities{{"textDocument", Json{{"codeAction", codeAction}}}};
    const Json response = Request("initialize", Json{{"processId", nullptr},
                                                     {"capabilities", capabilities},
                                                     {"initializationOptions", options}});
    Notify("initialized");
    return response;
}

void LspClient::Open(const std::string& uri, const std::string& text) {
    documents_.insert_or_assign(uri, lsp::TextDocument(uri, "vb", 1, text));
    Notify("textDocument/didOpen",
           Json{{"textDocument",
                 Json{{"uri", uri}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}});
}

void LspClient::ChangeAll(const std::string& uri, const std::string& text) {
    lsp::TextDocument& document = documents_.at(uri);
    const Json change{{"text", text}};
    document.ApplyChange(change);
    document.SetVersion(document.Version() + 1);
    Notify("textDocument/didChange",
           Json{{"textDocument", Json{{"uri", uri}, {"version", document.Version()}}},
                {"contentChanges", Json::array({change})}});
}

void LspClient::ChangeRange(const std::string& uri, lsp::Position start, lsp::Position end,
                            const std::string& text) {
    lsp::TextDocument& document = documents_.at(uri);
    const Json change{{"range", lsp::RangeJson(start, end)}, {"text", text}};
    document.ApplyChange(change);
    document.SetVersion(document.Version() + 1);
    Notify("textDocument/didChange",
           Json{{"textDocument", Json{{"uri", uri}, {"version", document.Version()}}},
                {"contentChanges", Json::array({change})}});
}

std::string LspClient::Text(const std::string& uri) const { return documents_.at(uri).Text(); }

void LspClient::Apply(const std::string& uri, const Json& edits) {
    std::vector<lsp::TextEdit> list;
    for (const Json& edit : lsp::ArrayOf(edits)) {
        const Json& range = lsp::ObjectAt(edit, "range");
        list.push_back({lsp::PositionFromJson(lsp::ObjectAt(range, "start")),
                        lsp::PositionFromJson(lsp::ObjectAt(range, "end")),
                        lsp::StringAt(edit, "newText")});
    }
    ChangeAll(uri, ApplyEdits(documents_.at(uri), list));
}

Json LspClient::Diagnostics(const std::string& uri) const {
    const auto it = diagnostics_.find(uri);
    return it == diagnostics_.end() ? Json::array() : it->second;
}

}  // namespace qv::test
