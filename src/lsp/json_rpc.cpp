#include "lsp/json_rpc.h"

#include <QJsonDocument>

namespace qv::lsp {

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
// A header block longer than this without its end is not one: the bytes are
// dropped rather than kept without bound.
constexpr qsizetype kLongestHeader = 8192;
// Nor is a message this long (a 1M-line module is about 40 MB).
constexpr qint64 kLongestBody = qint64{1} << 30;

// The Content-Length of a header block; -1 when it names none or a bad one.
qint64 ContentLength(const QByteArray& header) {
    for (const QByteArray& line : header.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) continue;
        if (line.left(colon).trimmed().toLower() != "content-length") continue;
        bool ok = false;
        const qint64 length = line.mid(colon + 1).trimmed().toLongLong(&ok);
        return ok && length >= 0 && length <= kLongestBody ? length : -1;
    }
    return -1;
}

}  // namespace

void MessageFramer::Append(std::string_view bytes) {
    pending_.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::optional<Frame> MessageFramer::Next() {
    const qsizetype end = pending_.indexOf(QByteArrayView(kHeaderEnd.data(), 4));
    if (end < 0) {
        if (pending_.size() > kLongestHeader) {
            pending_.clear();
            return Frame{{}, true};
        }
        return std::nullopt;
    }
    const qint64 length = ContentLength(pending_.left(end));
    const qsizetype bodyStart = end + 4;
    if (length < 0) {
        pending_.remove(0, bodyStart);
        return Frame{{}, true};
    }
    if (pending_.size() - bodyStart < length) return std::nullopt;
    Frame frame{pending_.mid(bodyStart, static_cast<qsizetype>(length)), false};
    pending_.remove(0, bodyStart + static_cast<qsizetype>(length));
    return frame;
}

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
