#pragma once
// The language server: the protocol's life cycle (initialize, shutdown,
// exit), the open documents kept in step with the editor, and the requests
// answered from the engines. Messages come in as framed bytes and go out as
// framed bytes, so that the same server runs over standard input and output
// and, in the tests, in the test's own process.
//
//     Server server;
//     const std::string replies = server.Receive(bytesFromTheEditor);

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "lsp/code_actions.h"
#include "lsp/diagnostics.h"
#include "lsp/json_rpc.h"
#include "lsp/open_document.h"

namespace qv::lsp {

class Server {
  public:
    Server();
    ~Server();

    // Takes bytes as they arrive and returns the framed messages the server
    // sends in answer (responses, diagnostics, messages), in order.
    std::string Receive(std::string_view bytes);

    // The editor sent exit: the process ends with ExitCode() (0 after a
    // shutdown request, 1 without one).
    bool ExitRequested() const { return exitRequested_; }
    int ExitCode() const { return shutdownRequested_ ? 0 : 1; }

  private:
    // params: the message's params when they are an object, else an empty
    // object.
    using Handler = std::function<Json(const Json& params)>;

    void Handle(const Frame& frame);
    void HandleMessage(const Json& message);
    void Send(const Json& message) { out_ += Framed(message); }
    void ShowMessage(int type, const std::string& text);
    void Publish(OpenDocument& document);
    OpenDocument* Document(const Json& params);

    Json Initialize(const Json& params);
    void DidOpen(const Json& params);
    void DidChange(const Json& params);
    void DidClose(const Json& params);
    Json CodeAction(const Json& params);
    Json ResolveAction(const Json& params);
    Json ExecuteCommand(const Json& params);
    Json Formatting(const Json& params, bool range);
    Json References(const Json& params);

    MessageFramer framer_;
    std::string out_;
    bool initialized_ = false;
    bool shutdownRequested_ = false;
    bool exitRequested_ = false;
    ActionSupport actionSupport_;
    bool matchCase_ = false;
    bool referencesInText_ = false;  // references take words of comments and strings
    analysis::SeverityOverrides severities_;
    ProjectCache projects_;
    std::map<std::string, std::unique_ptr<OpenDocument>, std::less<>> documents_;
    std::map<std::string, Handler, std::less<>> requests_;
    std::map<std::string, std::function<void(const Json&)>, std::less<>> notifications_;
};

}  // namespace qv::lsp
