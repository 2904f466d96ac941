#include "lsp/server.h"

#include "lsp/code_actions.h"
#include "lsp/code_page_option.h"
#include "lsp/references.h"
#include "lsp/settings_overrides.h"
#include "lsp/symbols.h"
#include "lsp/text_search.h"
#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "platform/vb_error.h"
#include "settings/settings_operations.h"

namespace qv::lsp {

namespace {

enum MessageType : int { kMessageError = 1, kMessageWarning = 2, kMessageInfo = 3 };

std::string ErrorText() {
    const VbError error = CurrentAsVbError();
    return error.Description() + " (error " + std::to_string(error.Number()) + ")";
}

}  // namespace

Server::Server() {
    requests_["initialize"] = [this](const Json& p) { return Initialize(p); };
    requests_["shutdown"] = [this](const Json&) {
        shutdownRequested_ = true;
        return Json();
    };
    requests_["textDocument/codeAction"] = [this](const Json& p) { return CodeAction(p); };
    requests_["codeAction/resolve"] = [this](const Json& p) { return ResolveAction(p); };
    requests_["workspace/executeCommand"] = [this](const Json& p) { return ExecuteCommand(p); };
    requests_["textDocument/formatting"] = [this](const Json& p) { return Formatting(p, false); };
    requests_["textDocument/rangeFormatting"] = [this](const Json& p) {
        return Formatting(p, true);
    };
    requests_["textDocument/documentSymbol"] = [this](const Json& p) {
        OpenDocument* document = Document(p);
        return document == nullptr ? Json::array() : DocumentSymbols(*document);
    };
    requests_["workspace/symbol"] = [this](const Json& p) {
        return WorkspaceSymbols(projects_.Targets(), StringAt(p, "query"));
    };
    requests_["textDocument/hover"] = [this](const Json& p) {
        OpenDocument* document = Document(p);
        if (document == nullptr) return Json();
        return lsp::Hover(*document, PositionFromJson(ObjectAt(p, "position")),
                          projects_.Settings());
    };
    requests_["textDocument/references"] = [this](const Json& p) { return References(p); };
    // The search engine's own search: {"text", "wholeWord", "matchCase"}.
    requests_["qvaddin/search"] = [this](const Json& p) {
        return SearchLocations(projects_.Targets(), StringAt(p, "text"),
                               BoolOf(Member(p, "wholeWord"), false),
                               BoolOf(Member(p, "matchCase"), matchCase_),
                               projects_.Settings().codePage);
    };
    notifications_["textDocument/didOpen"] = [this](const Json& p) { DidOpen(p); };
    notifications_["textDocument/didChange"] = [this](const Json& p) { DidChange(p); };
    notifications_["textDocument/didClose"] = [this](const Json& p) { DidClose(p); };
    notifications_["textDocument/didSave"] = [](const Json&) {
        // The text is the editor's already; saving changes nothing the
        // engines see.
    };
}

Server::~Server() = default;

std::string Server::Receive(std::string_view bytes) {
    framer_.Append(bytes);
    while (std::optional<Frame> frame = framer_.Next()) Handle(*frame);
    std::string out;
    out.swap(out_);
    return out;
}

void Server::Handle(const Frame& frame) {
    if (frame.Broken()) {
        Send(ErrorMessage(Json(), kParseError, frame.problem));
        return;
    }
    std::string problem;
    const std::optional<Json> json = ParseMessage(frame.body, problem);
    if (!json) {
        // Perhaps its Content-Length was wrong: the framer reads its bytes
        // again for the next header and hands the broken frame back once.
        framer_.Reject("not JSON: " + problem);
        return;
    }
    if (!json->is_object()) {
        Send(ErrorMessage(Json(), kInvalidRequest, "a message must be a JSON object"));
        return;
    }
    HandleMessage(*json);
}

void Server::HandleMessage(const Json& message) {
    const Json id = Echoed(Member(message, "id"));
    const bool request = Has(message, "id");
    if (!Member(message, "method").is_string()) {
        // A response to a request of ours (none expects an answer), or junk.
        if (request && !Has(message, "result") && !Has(message, "error")) {
            Send(ErrorMessage(id, kInvalidRequest, "a request needs a method"));
        }
        return;
    }
    const std::string& method = StringAt(message, "method");
    const Json& params = ObjectAt(message, "params");
    if (method == "exit") {
        exitRequested_ = true;
        return;
    }
    if (!request) {
        if (!initialized_) return;
        const auto it = notifications_.find(method);
        if (it == notifications_.end()) return;
        try {
            it->second(params);
        } catch (...) {
            ShowMessage(kMessageError, method + " failed: " + ErrorText());
        }
        return;
    }
    if (!initialized_ && method != "initialize") {
        Send(ErrorMessage(id, kServerNotInitialized, "the server is not initialized yet"));
        return;
    }
    if (shutdownRequested_) {
        Send(ErrorMessage(id, kInvalidRequest, "the server is shutting down"));
        return;
    }
    const auto it = requests_.find(method);
    if (it == requests_.end()) {
        Send(ErrorMessage(id, kMethodNotFound, "unknown method " + method));
        return;
    }
    try {
        Send(ResultMessage(id, it->second(params)));
    } catch (...) {
        Send(ErrorMessage(id, kRequestFailed, method + " failed: " + ErrorText()));
    }
}

void Server::ShowMessage(int type, const std::string& text) {
    Send(NotificationMessage("window/showMessage", Json{{"type", type}, {"message", text}}));
}

Json Server::Initialize(const Json& params) {
    if (initialized_) throw std::runtime_error("initialize was sent twice");
    initialized_ = true;
    const Json& options = ObjectAt(params, "initializationOptions");
    try {
        // The templates, labels and layout as the user stored them (a bad
        // one stops the reading there: the fields before it are read).
        settings::GetSettings(projects_.Settings());
    } catch (...) {
        ShowMessage(kMessageWarning, "the stored settings could not all be read: " + ErrorText());
    }
    for (const std::string& problem :
         OverrideSeverities(ObjectAt(options, "severities"), severities_)) {
        ShowMessage(kMessageWarning, problem);
    }
    matchCase_ = BoolOf(Member(options, "matchCase"), false);
    referencesInText_ = BoolOf(Member(options, "referencesInCommentsAndStrings"), false);
    for (const std::string& problem :
         OverrideSettings(WithoutCodePage(ObjectAt(options, "settings")), projects_.Settings())) {
        ShowMessage(kMessageWarning, problem);
    }
    std::vector<std::string> codePageProblems;
    projects_.Settings().tabWidth = settings::StoredTabWidth();
    projects_.Settings().codePage = SessionCodePage(options, codePageProblems);
    for (const std::string& problem : codePageProblems) ShowMessage(kMessageWarning, problem);
    actionSupport_ = ActionSupportOf(params);
    const Json capabilities{
        {"textDocumentSync", Json{{"openClose", true}, {"change", 2}, {"save", Json::object()}}},
        {"codeActionProvider",
         Json{{"codeActionKinds", Json::array({"quickfix", "refactor.rewrite", "source"})},
              {"resolveProvider", true}}},
        {"executeCommandProvider", Json{{"commands", Json::array({kShowRefusalCommand})}}},
        {"documentFormattingProvider", true},
        {"documentRangeFormattingProvider", true},
        {"documentSymbolProvider", true},
        {"workspaceSymbolProvider", true},
        {"hoverProvider", true},
        {"referencesProvider", true},
    };
    return Json{{"capabilities", capabilities}, {"serverInfo", Json{{"name", "qvaddin"}}}};
}

OpenDocument* Server::Document(const Json& params) {
    const auto it = documents_.find(StringAt(ObjectAt(params, "textDocument"), "uri"));
    return it == documents_.end() ? nullptr : it->second.get();
}

void Server::Publish(OpenDocument& document) {
    Send(NotificationMessage(
        "textDocument/publishDiagnostics",
        Json{{"uri", document.Text().Uri()},
             {"diagnostics", Diagnostics(document, severities_, projects_.Settings())},
             {"version", document.Text().Version()}}));
}

void Server::DidOpen(const Json& params) {
    const Json& item = ObjectAt(params, "textDocument");
    const std::string& uri = StringAt(item, "uri");
    if (uri.empty()) return;
    auto document = std::make_unique<OpenDocument>(
        projects_, TextDocument(uri, StringAt(item, "languageId"), IntOf(Member(item, "version")),
                                StringAt(item, "text")));
    OpenDocument& opened = *document;
    documents_[uri] = std::move(document);
    if (opened.IsVb()) Publish(opened);
}

void Server::DidChange(const Json& params) {
    OpenDocument* document = Document(params);
    if (document == nullptr) return;
    for (const Json& change : ArrayOf(Member(params, "contentChanges"))) {
        document->Text().ApplyChange(ObjectOf(change));
    }
    document->Text().SetVersion(IntOf(Member(ObjectAt(params, "textDocument"), "version")));
    document->Sync();
    if (document->IsVb()) Publish(*document);
}

void Server::DidClose(const Json& params) {
    OpenDocument* document = Document(params);
    if (document == nullptr) return;
    const std::string uri = document->Text().Uri();
    if (document->IsVb()) {
        // The project goes on with the file as the disk has it, read as the
        // command line reads: only a regular file, and only within the size
        // limit, so that a pipe or a device in its place neither blocks the
        // server nor fills its memory. One that cannot be read so leaves the
        // editor's last text.
        if (DocumentModule* module = document->Module()) {
            try {
                const size_t largest = settings::LargestModuleFileBytes(projects_.Settings().modulemb);
                module->Load(*host::files::ReadWholeFile(PathOfUri(uri), largest));
            } catch (const host::files::FileError&) {
            }
        }
        Send(NotificationMessage("textDocument/publishDiagnostics",
                                 Json{{"uri", uri}, {"diagnostics", Json::array()}}));
    }
    documents_.erase(uri);
}

Json Server::CodeAction(const Json& params) {
    OpenDocument* document = Document(params);
    if (document == nullptr) return Json::array();
    const Position at = PositionFromJson(ObjectAt(ObjectAt(params, "range"), "start"));
    return CodeActions(*document, ActionRequest{.line = at.line,
                                                .resolveModule = actionSupport_.resolveEdit,
                                                .disabledSupport = actionSupport_.disabledSupport});
}

Json Server::ResolveAction(const Json& action) {
    const auto it = documents_.find(StringAt(ObjectAt(action, "data"), "uri"));
    if (it == documents_.end()) return Echoed(action);
    bool resolved = false;
    Json done = ResolveCodeAction(*it->second, Echoed(action), actionSupport_.disabledSupport,
                                  resolved);
    // A refused action that carries its command shows the message when the
    // client runs that command; otherwise it is shown now.
    if (resolved && Has(done, "disabled") && !Has(done, "command")) {
        ShowMessage(kMessageInfo, StringAt(ObjectAt(done, "disabled"), "reason"));
    }
    return done;
}

Json Server::ExecuteCommand(const Json& params) {
    const std::optional<std::string> refusal = RefusalToShow(params);
    if (!refusal) throw VbError(5, "unknown command " + StringAt(params, "command"));
    ShowMessage(kMessageWarning, *refusal);
    return Json();
}

Json Server::References(const Json& params) {
    OpenDocument* document = Document(params);
    if (document == nullptr || document->Module() == nullptr) return Json::array();
    const ReferenceOptions options{
        .includeDeclaration =
            BoolOf(Member(ObjectAt(params, "context"), "includeDeclaration"), true),
        .commentsAndStrings = referencesInText_};
    return lsp::References(*document, PositionFromJson(ObjectAt(params, "position")), options);
}

Json Server::Formatting(const Json& params, bool range) {
    OpenDocument* document = Document(params);
    if (document == nullptr) return Json::array();
    int first = 0, last = document->Text().LineCount();
    if (range) {
        const Json& r = ObjectAt(params, "range");
        first = PositionFromJson(ObjectAt(r, "start")).line;
        last = PositionFromJson(ObjectAt(r, "end")).line;
    }
    std::string refusal;
    Json edits = FormattingEdits(*document, first, last, refusal);
    if (!refusal.empty()) ShowMessage(kMessageInfo, refusal);
    return edits;
}

}  // namespace qv::lsp
