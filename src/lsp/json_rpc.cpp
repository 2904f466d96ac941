#include "lsp/json_rpc.h"

#include <QJsonDocument>

namespace qv::lsp {

QByteArray Framed(const QJsonObject& message) {
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QJsonObject ResultMessage(const QJsonValue& id, const QJsonValue& result) {
    return QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}};
}

QJsonObject ErrorMessage(const QJsonValue& id, int code, const QString& text) {
    return QJsonObject{{"jsonrpc", "2.0"},
                       {"id", id},
                       {"error", QJsonObject{{"code", code}, {"message", text}}}};
}

QJsonObject NotificationMessage(const QString& method, const QJsonValue& params) {
    return QJsonObject{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
}

}  // namespace qv::lsp
