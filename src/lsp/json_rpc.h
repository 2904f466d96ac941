#pragma once
// JSON-RPC 2.0 as the language server protocol frames it: each message is a
// header block ("Content-Length: n", CR LF, more header lines, an empty
// line) followed by n bytes of JSON. Reading frames is the framer's
// (message_framer.h); here are the messages and their bytes.

#include <string>

#include "lsp/json.h"
#include "lsp/message_framer.h"

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

// The bytes of one message: header and body.
std::string Framed(const Json& message);

Json ResultMessage(const Json& id, Json result);
Json ErrorMessage(const Json& id, int code, const std::string& text);
Json NotificationMessage(const std::string& method, Json params);

}  // namespace qv::lsp
