#include "app/workbench/code_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace qv::workbench {

namespace {
constexpr const char* kCodePage = "windows-1252";
}  // namespace

QString DecodeCode(std::string_view bytes) {
    QStringDecoder decoder(kCodePage);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string EncodeCode(const QString& text) {
    QStringEncoder encoder(kCodePage);
    const QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(text)) : text.toLatin1();
    return bytes.toStdString();
}

}  // namespace qv::workbench
