#pragma once
// An editor's side of the language server, in the test's process: it frames
// requests and notifications, feeds them to the server (in pieces, as a
// pipe delivers them), reads back the framed answers, keeps the last
// diagnostics published per document and applies text edits as an editor
// does.

#include <map>
#include <string>
#include <vector>

#include "lsp/json.h"
#include "lsp/server.h"
#include "lsp/text_document.h"

namespace qv::test {

using lsp::Json;

class LspClient {
  public:
    // Starts as the program does: a first run stores the default settings
    // (into the test program's own settings folder).
    LspClient();
    // Sends raw bytes; returns the messages the server sent back.
    std::vector<Json> SendBytes(const std::string& bytes);
    // The bytes the server wrote for the last SendBytes, as they were.
    const std::string& LastOutput() const { return lastOutput_; }
    // A request: its response (with "result" or "error").
    Json Request(const std::string& method, const Json& params = Json::object());
    void Notify(const std::string& method, const Json& params = Json::object());

    // initialize (with the options) and initialized. resolveSupport: the
    // client resolves an action's edit later; disabledSupport: it shows
    // refused actions disabled.
    Json Initialize(const Json& options = Json::object(), bool resolveSupport = false,
                    bool disabledSupport = false);
    void Open(const std::string& uri, const std::string& text);
    // A whole-text change; version counts up.
    void ChangeAll(const std::string& uri, const std::string& text);
    void ChangeRange(const std::string& uri, lsp::Position start, lsp::Position end,
                     const std::string& text);

    // The text as the client holds it (after applied edits), as UTF-8.
    std::string Text(const std::string& uri) const;
    // Applies a TextEdit[] to the client's text and tells the server the
    // whole new text, as an editor does after applying an edit.
    void Apply(const std::string& uri, const Json& edits);

    // The last diagnostics published for the document.
    Json Diagnostics(const std::string& uri) const;
    // Notifications other than diagnostics (window/showMessage).
    const std::vector<Json>& Messages() const { return messages_; }
    bool Exited() const { return server_.ExitRequested(); }
    int ExitCode() const { return server_.ExitCode(); }

  private:
    void Take(const Json& message);

    lsp::Server server_;
    int nextId_ = 1;
    std::string lastOutput_;
    std::map<std::string, lsp::TextDocument> documents_;
    std::map<std::string, Json> diagnostics_;
    std::vector<Json> messages_;
};

// The file: URI of a path.
std::string UriOf(const std::string& path);

// The messages in framed bytes (a frame that is no JSON is a failure).
std::vector<Json> Messages(const std::string& framed);

}  // namespace qv::test
