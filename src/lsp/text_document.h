#pragma once
// An open document as the editor holds it: its text (UTF-8), kept in step
// with the editor's changes (the whole text, or a range replaced), and
// positions as the protocol gives them: a line (after CR LF, LF or a lone
// CR) and a character offset in UTF-16 code units.

#include <string>
#include <string_view>
#include <vector>

#include "lsp/json.h"

namespace qv::lsp {

struct Position {
    int line = 0;
    int character = 0;
};

Position PositionFromJson(const Json& position);
Json PositionJson(Position position);
Json RangeJson(Position start, Position end);

class TextDocument {
  public:
    TextDocument(std::string uri, std::string languageId, int version, std::string text);

    const std::string& Uri() const { return uri_; }
    const std::string& LanguageId() const { return languageId_; }
    int Version() const { return version_; }
    const std::string& Text() const { return text_; }

    // One entry of didChange's contentChanges: with a range, that range is
    // replaced; without, the whole text. Positions past a line's end or the
    // document's end stand for those ends, as the protocol asks.
    void ApplyChange(const Json& change);
    void SetVersion(int version) { version_ = version; }

    // The byte offset in Text() of a position.
    size_t Offset(Position position) const;
    int LineCount() const { return static_cast<int>(lineStarts_.size()); }
    // A line without its break ("" past the last line).
    std::string_view Line(int line) const;
    // The length of a line in the protocol's characters (UTF-16 code units).
    int LineLength(int line) const;

  private:
    void IndexLines();

    std::string uri_;
    std::string languageId_;
    int version_ = 0;
    std::string text_;
    std::vector<size_t> lineStarts_;
};

}  // namespace qv::lsp
