#include "lsp/server.h"

#include <QJsonArray>
#include <QJsonDocument>

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

QString ErrorText() {
    const VbError error = CurrentAsVbError();
    return QString::fromUtf8(error.Description()) + " (error " +
           QString::number(error.Number()) + ")";
}

}  // namespace

Server::Server() {
    requests_["initialize"] = [this](const QJsonObject& p) { return Initialize(p); };
    requests_["shutdown"] = [this](const QJsonObject&) {
        shutdownRequested_ = true;
        return QJsonValue();
    };
    requests_["textDocument/codeAction"] = [this](const QJsonObject& p) { return CodeAction(p); };
    requests_["codeAction/resolve"] = [this](const QJsonObject& p) { return ResolveAction(p); };
    requests_["workspace/executeCommand"] = [this](const QJsonObject& p) { return ExecuteCommand(p); };
    requests_["textDocument/formatting"] = [this](const QJsonObject& p) {
        return Formatting(p, false);
    };
    requests_["textDocument/rangeFormatting"] = [this](const QJsonObject& p) {
        return Formatting(p, true);
    };
    requests_["textDocument/documentSymbol"] = [this](const QJsonObject& p) -> QJsonValue {
        OpenDocument* document = Document(p);
        return document == nullptr ? QJsonArray{} : DocumentSymbols(*document);
    };
    requests_["workspace/symbol"] = [this](const QJsonObject& p) -> QJsonValue {
        return WorkspaceSymbols(projects_.Targets(), p.value("query").toString());
    };
    requests_["textDocument/hover"] = [this](const QJsonObject& p) -> QJsonValue {
        OpenDocument* document = Document(p);
        if (document == nullptr) return QJsonValue();
        return lsp::Hover(*document, PositionFromJson(p.value("position").toObject()),
                          projects_.Settings());
    };
    requests_["textDocument/references"] = [this](const QJsonObject& p) { return References(p); };
    // The search engine's own search: {"text", "wholeWord", "matchCase"}.
    requests_["qvaddin/search"] = [this](const QJsonObject& p) -> QJsonValue {
        return SearchLocations(projects_.Targets(), p.value("text").toString(),
                               p.value("wholeWord").toBool(),
                               p.value("matchCase").toBool(matchCase_),
                               projects_.Settings().codePage);
    };
    notifications_["textDocument/didOpen"] = [this](const QJsonObject& p) { DidOpen(p); };
    notifications_["textDocument/didChange"] = [this](const QJsonObject& p) { DidChange(p); };
    notifications_["textDocument/didClose"] = [this](const QJsonObject& p) { DidClose(p); };
    notifications_["textDocument/didSave"] = [](const QJsonObject&) {
        // The text is the editor's already; saving changes nothing the
        // engines see.
    };
}

Server::~Server() = default;

QByteArray Server::Receive(std::string_view bytes) {
    framer_.Append(bytes);
    while (std::optional<Frame> frame = framer_.Next()) Handle(*frame);
    QByteArray out;
    out.swap(out_);
    return out;
}

void Server::Handle(const Frame& frame) {
    if (frame.Broken()) {
        Send(ErrorMessage(QJsonValue(), kParseError, QString::fromStdString(frame.problem)));
        return;
    }
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(
        QByteArray::fromRawData(frame.body.data(), static_cast<qsizetype>(frame.body.size())),
        &error);
    if (error.error != QJsonParseError::NoError) {
        // Perhaps its Content-Length was wrong: the framer reads its bytes
        // again for the next header and hands the broken frame back once.
        framer_.Reject("not JSON: " + error.errorString().toStdString());
        return;
    }
    if (!json.isObject()) {
        Send(ErrorMessage(QJsonValue(), kInvalidRequest, "a message must be a JSON object"));
        return;
    }
    HandleMessage(json.object());
}

void Server::HandleMessage(const QJsonObject& message) {
    const QJsonValue id = message.value("id");
    const bool request = message.contains("id");
    if (!message.value("method").isString()) {
        // A response to a request of ours (none expects an answer), or junk.
        if (request && !message.contains("result") && !message.contains("error")) {
            Send(ErrorMessage(id, kInvalidRequest, "a request needs a method"));
        }
        return;
    }
    const QString method = message.value("method").toString();
    const QJsonObject params = message.value("params").toObject();
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

void Server::ShowMessage(int type, const QString& text) {
    Send(NotificationMessage("window/showMessage", QJsonObject{{"type", type}, {"message", text}}));
}

QJsonValue Server::Initialize(const QJsonObject& params) {
    if (initialized_) throw std::runtime_error("initialize was sent twice");
    initialized_ = true;
    const QJsonObject options = params.value("initializationOptions").toObject();
    try {
        // The templates, labels and layout as the user stored them (a bad
        // one stops the reading there: the fields before it are read).
        settings::GetSettings(projects_.Settings());
    } catch (...) {
        ShowMessage(kMessageWarning, "the stored settings could not all be read: " + ErrorText());
    }
    for (const QString& problem :
         OverrideSeverities(options.value("severities").toObject(), severities_)) {
        ShowMessage(kMessageWarning, problem);
    }
    matchCase_ = options.value("matchCase").toBool(false);
    referencesInText_ = options.value("referencesInCommentsAndStrings").toBool(false);
    for (const QString& problem :
         OverrideSettings(WithoutCodePage(options.value("settings").toObject()),
                          projects_.Settings())) {
        ShowMessage(kMessageWarning, problem);
    }
    QStringList codePageProblems;
    projects_.Settings().tabWidth = settings::StoredTabWidth();
    projects_.Settings().codePage = SessionCodePage(options, codePageProblems);
    for (const QString& problem : codePageProblems) ShowMessage(kMessageWarning, problem);
    actionSupport_ = ActionSupportOf(params);
    const QJsonObject capabilities{
        {"textDocumentSync",
         QJsonObject{{"openClose", true}, {"change", 2}, {"save", QJsonObject{}}}},
        {"codeActionProvider",
         QJsonObject{{"codeActionKinds", QJsonArray{"quickfix", "refactor.rewrite", "source"}},
                     {"resolveProvider", true}}},
        {"executeCommandProvider", QJsonObject{{"commands", QJsonArray{kShowRefusalCommand}}}},
        {"documentFormattingProvider", true},
        {"documentRangeFormattingProvider", true},
        {"documentSymbolProvider", true},
        {"workspaceSymbolProvider", true},
        {"hoverProvider", true},
        {"referencesProvider", true},
    };
    return QJsonObject{{"capabilities", capabilities},
                       {"serverInfo", QJsonObject{{"name", "qvaddin"}}}};
}

OpenDocument* Server::Document(const QJsonObject& params) {
    const QString uri = params.value("textDocument").toObject().value("uri").toString();
    const auto it = documents_.find(uri);
    return it == documents_.end() ? nullptr : it->second.get();
}

void Server::Publish(OpenDocument& document) {
    QJsonObject params{{"uri", document.Text().Uri()},
                       {"diagnostics", Diagnostics(document, severities_, projects_.Settings())}};
    params.insert("version", document.Text().Version());
    Send(NotificationMessage("textDocument/publishDiagnostics", params));
}

void Server::DidOpen(const QJsonObject& params) {
    const QJsonObject item = params.value("textDocument").toObject();
    const QString uri = item.value("uri").toString();
    if (uri.isEmpty()) return;
    auto document = std::make_unique<OpenDocument>(
        projects_, TextDocument(uri, item.value("languageId").toString(),
                                item.value("version").toInt(), item.value("text").toString()));
    OpenDocument& opened = *document;
    documents_[uri] = std::move(document);
    if (opened.IsVb()) Publish(opened);
}

void Server::DidChange(const QJsonObject& params) {
    OpenDocument* document = Document(params);
    if (document == nullptr) return;
    for (const QJsonValue& change : params.value("contentChanges").toArray()) {
        document->Text().ApplyChange(change.toObject());
    }
    document->Text().SetVersion(params.value("textDocument").toObject().value("version").toInt());
    document->Sync();
    if (document->IsVb()) Publish(*document);
}

void Server::DidClose(const QJsonObject& params) {
    OpenDocument* document = Document(params);
    if (document == nullptr) return;
    const QString uri = document->Text().Uri();
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
                                 QJsonObject{{"uri", uri}, {"diagnostics", QJsonArray{}}}));
    }
    documents_.erase(uri);
}

QJsonValue Server::CodeAction(const QJsonObject& params) {
    OpenDocument* document = Document(params);
    if (document == nullptr) return QJsonArray{};
    const Position at = PositionFromJson(
        params.value("range").toObject().value("start").toObject());
    return CodeActions(*document, ActionRequest{.line = at.line,
                                                .resolveModule = actionSupport_.resolveEdit,
                                                .disabledSupport = actionSupport_.disabledSupport});
}

QJsonValue Server::ResolveAction(const QJsonObject& action) {
    const QString uri = action.value("data").toObject().value("uri").toString();
    const auto it = documents_.find(uri);
    if (it == documents_.end()) return action;
    bool resolved = false;
    QJsonObject done = ResolveCodeAction(*it->second, action, actionSupport_.disabledSupport,
                                         resolved);
    // A refused action that carries its command shows the message when the
    // client runs that command; otherwise it is shown now.
    if (resolved && done.contains("disabled") && !done.contains("command")) {
        ShowMessage(kMessageInfo, done.value("disabled").toObject().value("reason").toString());
    }
    return done;
}

QJsonValue Server::ExecuteCommand(const QJsonObject& params) {
    const std::optional<QString> refusal = RefusalToShow(params);
    if (!refusal) {
        throw VbError(5, "unknown command " + params.value("command").toString().toStdString());
    }
    ShowMessage(kMessageWarning, *refusal);
    return QJsonValue();
}

QJsonValue Server::References(const QJsonObject& params) {
    OpenDocument* document = Document(params);
    if (document == nullptr || document->Module() == nullptr) return QJsonArray{};
    const ReferenceOptions options{
        .includeDeclaration =
            params.value("context").toObject().value("includeDeclaration").toBool(true),
        .commentsAndStrings = referencesInText_};
    return lsp::References(*document, PositionFromJson(params.value("position").toObject()),
                           options);
}

QJsonValue Server::Formatting(const QJsonObject& params, bool range) {
    OpenDocument* document = Document(params);
    if (document == nullptr) return QJsonArray{};
    int first = 0, last = document->Text().LineCount();
    if (range) {
        const QJsonObject r = params.value("range").toObject();
        first = PositionFromJson(r.value("start").toObject()).line;
        last = PositionFromJson(r.value("end").toObject()).line;
    }
    std::string refusal;
    QJsonArray edits = FormattingEdits(*document, first, last, refusal);
    if (!refusal.empty()) ShowMessage(kMessageInfo, QString::fromUtf8(refusal));
    return edits;
}

}  // namespace qv::lsp
