#pragma once
// The language server: the protocol's life cycle (initialize, shutdown,
// exit), the open documents kept in step with the editor, and the requests
// answered from the engines. Messages come in as framed bytes and go out as
// framed bytes, so that the same server runs over standard input and output
// and, in the tests, in the test's own process.
//
//     Server server;
//     const QByteArray replies = server.Receive(bytesFromTheEditor);

#include <QByteArray>
#include <QJsonObject>
#include <functional>
#include <map>
#include <memory>
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
    QByteArray Receive(std::string_view bytes);

    // The editor sent exit: the process ends with ExitCode() (0 after a
    // shutdown request, 1 without one).
    bool ExitRequested() const { return exitRequested_; }
    int ExitCode() const { return shutdownRequested_ ? 0 : 1; }

  private:
    using Handler = std::function<QJsonValue(const QJsonObject& params)>;

    void Handle(const Frame& frame);
    void HandleMessage(const QJsonObject& message);
    void Send(const QJsonObject& message) { out_ += Framed(message); }
    void ShowMessage(int type, const QString& text);
    void Publish(OpenDocument& document);
    OpenDocument* Document(const QJsonObject& params);

    QJsonValue Initialize(const QJsonObject& params);
    void DidOpen(const QJsonObject& params);
    void DidChange(const QJsonObject& params);
    void DidClose(const QJsonObject& params);
    QJsonValue CodeAction(const QJsonObject& params);
    QJsonValue ResolveAction(const QJsonObject& params);
    QJsonValue ExecuteCommand(const QJsonObject& params);
    QJsonValue Formatting(const QJsonObject& params, bool range);
    QJsonValue References(const QJsonObject& params);

    MessageFramer framer_;
    QByteArray out_;
    bool initialized_ = false;
    bool shutdownRequested_ = false;
    bool exitRequested_ = false;
    ActionSupport actionSupport_;
    bool matchCase_ = false;
    bool referencesInText_ = false;  // references take words of comments and strings
    analysis::SeverityOverrides severities_;
    ProjectCache projects_;
    std::map<QString, std::unique_ptr<OpenDocument>> documents_;
    std::map<QString, Handler> requests_;
    std::map<QString, std::function<void(const QJsonObject&)>> notifications_;
};

}  // namespace qv::lsp
