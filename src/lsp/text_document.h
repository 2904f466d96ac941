#pragma once
// An open document as the editor holds it: its text, kept in step with the
// editor's changes (the whole text, or a range replaced), and positions as
// the protocol gives them: a line (after CR LF, LF or a lone CR) and a
// character offset in UTF-16 code units.

#include <QJsonObject>
#include <QString>
#include <vector>

namespace qv::lsp {

struct Position {
    int line = 0;
    int character = 0;
};

Position PositionFromJson(const QJsonObject& position);
QJsonObject PositionJson(Position position);
QJsonObject RangeJson(Position start, Position end);

class TextDocument {
  public:
    TextDocument(QString uri, QString languageId, int version, QString text);

    const QString& Uri() const { return uri_; }
    const QString& LanguageId() const { return languageId_; }
    int Version() const { return version_; }
    const QString& Text() const { return text_; }

    // One entry of didChange's contentChanges: with a range, that range is
    // replaced; without, the whole text. Positions past a line's end or the
    // document's end stand for those ends, as the protocol asks.
    void ApplyChange(const QJsonObject& change);
    void SetVersion(int version) { version_ = version; }

    // The offset in Text() of a position.
    qsizetype Offset(Position position) const;
    int LineCount() const { return static_cast<int>(lineStarts_.size()); }
    // A line without its break.
    QString Line(int line) const;

  private:
    void IndexLines();

    QString uri_;
    QString languageId_;
    int version_ = 0;
    QString text_;
    std::vector<qsizetype> lineStarts_;
};

}  // namespace qv::lsp
