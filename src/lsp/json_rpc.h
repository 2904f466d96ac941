#pragma once
// JSON-RPC 2.0 as the language server protocol frames it: each message is a
// header block ("Content-Length: n", CR LF, more header lines, an empty
// line) followed by n bytes of JSON. The framer takes the bytes as they
// arrive, in pieces of any size, and hands out whole message bodies; a
// header block without a usable length is dropped and reported, so that one
// bad message does not stop the stream.

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>
#include <string_view>

namespace qv::lsp {

// The protocol's error codes.
enum ErrorCode : int {
    kParseError = -32700,
    kInvalidRequest = -32600,
    kMethodNotFound = -32601,
    kInvalidParams = -32602,
    kInternalError = -32603,
    kServerNotInitialized = -32002,
    kRequestFailed = -32803,
};

// A body, or a header block that named no length (body then empty).
struct Frame {
    QByteArray body;
    bool badHeader = false;
};

class MessageFramer {
  public:
    void Append(std::string_view bytes);
    // The next whole message, if all of it has arrived.
    std::optional<Frame> Next();

  private:
    QByteArray pending_;
};

// The bytes of one message: header and body.
QByteArray Framed(const QJsonObject& message);

QJsonObject ResultMessage(const QJsonValue& id, const QJsonValue& result);
QJsonObject ErrorMessage(const QJsonValue& id, int code, const QString& text);
QJsonObject NotificationMessage(const QString& method, const QJsonValue& params);

}  // namespace qv::lsp
