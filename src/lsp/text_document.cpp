#include "lsp/text_document.h"

#include <algorithm>

namespace qv::lsp {

Position PositionFromJson(const QJsonObject& position) {
    return {std::max(0, position.value("line").toInt()),
            std::max(0, position.value("character").toInt())};
}

QJsonObject PositionJson(Position position) {
    return QJsonObject{{"line", position.line}, {"character", position.character}};
}

QJsonObject RangeJson(Position start, Position end) {
    return QJsonObject{{"start", PositionJson(start)}, {"end", PositionJson(end)}};
}

TextDocument::TextDocument(QString uri, QString languageId, int version, QString text)
    : uri_(std::move(uri)), languageId_(std::move(languageId)), version_(version),
      text_(std::move(text)) {
    IndexLines();
}

void TextDocument::IndexLines() {
    lineStarts_.assign(1, 0);
    const qsizetype n = text_.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text_[i];
        if (c == u'\r' && i + 1 < n && text_[i + 1] == u'\n') ++i;
        if (c == u'\r' || c == u'\n') lineStarts_.push_back(i + 1);
    }
}

qsizetype TextDocument::Offset(Position position) const {
    if (position.line >= LineCount()) return text_.size();
    const qsizetype start = lineStarts_[static_cast<size_t>(position.line)];
    return start + std::min<qsizetype>(position.character, Line(position.line).size());
}

QString TextDocument::Line(int line) const {
    if (line < 0 || line >= LineCount()) return {};
    const qsizetype start = lineStarts_[static_cast<size_t>(line)];
    qsizetype end = line + 1 < LineCount() ? lineStarts_[static_cast<size_t>(line) + 1]
                                           : text_.size();
    while (end > start && (text_[end - 1] == u'\n' || text_[end - 1] == u'\r')) --end;
    return text_.mid(start, end - start);
}

void TextDocument::ApplyChange(const QJsonObject& change) {
    const QString text = change.value("text").toString();
    if (!change.contains("range")) {
        text_ = text;
    } else {
        const QJsonObject range = change.value("range").toObject();
        qsizetype from = Offset(PositionFromJson(range.value("start").toObject()));
        qsizetype to = Offset(PositionFromJson(range.value("end").toObject()));
        if (to < from) std::swap(from, to);
        text_.replace(from, to - from, text);
    }
    IndexLines();
}

}  // namespace qv::lsp
