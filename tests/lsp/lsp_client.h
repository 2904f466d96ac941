#pragma once
// An editor's side of the language server, in the test's process: it frames
// requests and notifications, feeds them to the server (in pieces, as a
// pipe delivers them), reads back the framed answers, keeps the last
// diagnostics published per document and applies text edits as an editor
// does.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "lsp/server.h"
#include "lsp/text_document.h"

namespace qv::test {

class LspClient {
  public:
    // Starts as the program does: a first run stores the default settings
    // (into the test program's own settings folder).
    LspClient();
    // Sends raw bytes; returns the messages the server sent back.
    std::vector<QJsonObject> SendBytes(const std::string& bytes);
    // A request: its response (with "result" or "error").
    QJsonObject Request(const QString& method, const QJsonValue& params = QJsonObject{});
    void Notify(const QString& method, const QJsonValue& params = QJsonObject{});

    // initialize (with the options) and initialized. resolveSupport: the
    // client resolves an action's edit later; disabledSupport: it shows
    // refused actions disabled.
    QJsonObject Initialize(const QJsonObject& options = {}, bool resolveSupport = false,
                           bool disabledSupport = false);
    void Open(const QString& uri, const std::string& text);
    // A whole-text change; version counts up.
    void ChangeAll(const QString& uri, const std::string& text);
    void ChangeRange(const QString& uri, lsp::Position start, lsp::Position end,
                     const QString& text);

    // The text as the client holds it (after applied edits), as UTF-8.
    std::string Text(const QString& uri) const;
    // Applies a TextEdit[] to the client's text and tells the server the
    // whole new text, as an editor does after applying an edit.
    void Apply(const QString& uri, const QJsonArray& edits);

    // The last diagnostics published for the document.
    QJsonArray Diagnostics(const QString& uri) const;
    // Notifications other than diagnostics (window/showMessage).
    const std::vector<QJsonObject>& Messages() const { return messages_; }
    bool Exited() const { return server_.ExitRequested(); }
    int ExitCode() const { return server_.ExitCode(); }

  private:
    void Take(const QJsonObject& message);

    lsp::Server server_;
    int nextId_ = 1;
    std::map<QString, lsp::TextDocument> documents_;
    std::map<QString, QJsonArray> diagnostics_;
    std::vector<QJsonObject> messages_;
};

// The file: URI of a path.
QString UriOf(const std::string& path);

}  // namespace qv::test
