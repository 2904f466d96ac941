#include "lsp_client.h"

#include <QJsonDocument>
#include <QUrl>
#include <gtest/gtest.h>

#include "lsp/json_rpc.h"
#include "lsp/text_edits.h"
#include "shell/process_start.h"

namespace qv::test {

namespace {

// The text after the edits (none overlapping, in document order), as an
// editor applies them: from the last to the first, so that the offsets of
// the earlier ones stay.
QString ApplyEdits(const lsp::TextDocument& document, const std::vector<lsp::TextEdit>& edits) {
    QString text = document.Text();
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const qsizetype from = document.Offset(it->start);
        const qsizetype to = document.Offset(it->end);
        text.replace(from, to - from, it->newText);
    }
    return text;
}

}  // namespace

QString UriOf(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString();
}

LspClient::LspClient() { shell::CommandLineStart(); }

std::vector<QJsonObject> LspClient::SendBytes(const std::string& bytes) {
    // A pipe hands the bytes over in pieces that need not end with a message.
    QByteArray out;
    const size_t piece = 7;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        out += server_.Receive(std::string_view(bytes).substr(at, piece));
    }
    lsp::MessageFramer framer;
    framer.Append({out.constData(), static_cast<size_t>(out.size())});
    std::vector<QJsonObject> messages;
    while (auto frame = framer.Next()) {
        EXPECT_FALSE(frame->Broken());
        const QJsonObject message = QJsonDocument::fromJson(QByteArray::fromStdString(frame->body)).object();
        Take(message);
        messages.push_back(message);
    }
    return messages;
}

void LspClient::Take(const QJsonObject& message) {
    const QString method = message.value("method").toString();
    if (method == "textDocument/publishDiagnostics") {
        const QJsonObject params = message.value("params").toObject();
        diagnostics_[params.value("uri").toString()] = params.value("diagnostics").toArray();
    } else if (!method.isEmpty()) {
        messages_.push_back(message);
    }
}

QJsonObject LspClient::Request(const QString& method, const QJsonValue& params) {
    const int id = nextId_++;
    const QJsonObject request{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}};
    const QByteArray framed = lsp::Framed(request);
    for (const QJsonObject& message : SendBytes(framed.toStdString())) {
        if (message.value("id").toInt(-1) == id) return message;
    }
    ADD_FAILURE() << "no response to " << method.toStdString();
    return {};
}

void LspClient::Notify(const QString& method, const QJsonValue& params) {
    SendBytes(lsp::Framed(lsp::NotificationMessage(method, params)).toStdString());
}

QJsonObject LspClient::Initialize(const QJsonObject& options, bool resolveSupport,
                                  bool disabledSupport) {
    QJsonObject codeAction;
    if (resolveSupport) {
        codeAction.insert("resolveSupport", QJsonObject{{"properties", QJsonArray{"edit"}}});
    }
    if (disabledSupport) codeAction.insert("disabledSupport", true);
    const QJsonObject capabilities{{"textDocument", QJsonObject{{"codeAction", codeAction}}}};
    const QJsonObject response =
        Request("initialize", QJsonObject{{"processId", QJsonValue()},
                                          {"capabilities", capabilities},
                                          {"initializationOptions", options}});
    Notify("initialized");
    return response;
}

void LspClient::Open(const QString& uri, const std::string& text) {
    const QString qtext = QString::fromStdString(text);
    documents_.insert_or_assign(uri, lsp::TextDocument(uri, "vb", 1, qtext));
    Notify("textDocument/didOpen",
           QJsonObject{{"textDocument", QJsonObject{{"uri", uri},
                                                    {"languageId", "vb"},
                                                    {"version", 1},
                                                    {"text", qtext}}}});
}

void LspClient::ChangeAll(const QString& uri, const std::string& text) {
    lsp::TextDocument& document = documents_.at(uri);
    const QJsonObject change{{"text", QString::fromStdString(text)}};
    document.ApplyChange(change);
    document.SetVersion(document.Version() + 1);
    Notify("textDocument/didChange",
           QJsonObject{{"textDocument", QJsonObject{{"uri", uri}, {"version", document.Version()}}},
                       {"contentChanges", QJsonArray{change}}});
}

void LspClient::ChangeRange(const QString& uri, lsp::Position start, lsp::Position end,
                            const QString& text) {
    lsp::TextDocument& document = documents_.at(uri);
    const QJsonObject change{{"range", lsp::RangeJson(start, end)}, {"text", text}};
    document.ApplyChange(change);
    document.SetVersion(document.Version() + 1);
    Notify("textDocument/didChange",
           QJsonObject{{"textDocument", QJsonObject{{"uri", uri}, {"version", document.Version()}}},
                       {"contentChanges", QJsonArray{change}}});
}

std::string LspClient::Text(const QString& uri) const {
    return documents_.at(uri).Text().toStdString();
}

void LspClient::Apply(const QString& uri, const QJsonArray& edits) {
    std::vector<lsp::TextEdit> list;
    for (const QJsonValue& value : edits) {
        const QJsonObject edit = value.toObject();
        const QJsonObject range = edit.value("range").toObject();
        list.push_back({lsp::PositionFromJson(range.value("start").toObject()),
                        lsp::PositionFromJson(range.value("end").toObject()),
                        edit.value("newText").toString()});
    }
    ChangeAll(uri, ApplyEdits(documents_.at(uri), list).toStdString());
}

QJsonArray LspClient::Diagnostics(const QString& uri) const {
    const auto it = diagnostics_.find(uri);
    return it == diagnostics_.end() ? QJsonArray{} : it->second;
}

}  // namespace qv::test
