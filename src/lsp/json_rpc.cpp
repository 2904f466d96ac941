#include "lsp/json_rpc.h"

namespace qv::lsp {

std::string Framed(const Json& message) {
    const std::string body = Dump(message);
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

Json ResultMessage(const Json& id, Json result) {
    return Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

Json ErrorMessage(const Json& id, int code, const std::string& text) {
    return Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", Json{{"code", code}, {"message", text}}}};
}

Json NotificationMessage(const std::string& method, Json params) {
    return Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

}  // namespace qv::lsp
