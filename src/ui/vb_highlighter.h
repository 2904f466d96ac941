#pragma once
// The colours the IDE gives code: keywords dark blue, comments green,
// everything else black. Used by the code windows and the read-only code
// box of the main window.

#include <QSyntaxHighlighter>

namespace qv::ui {

class VbHighlighter : public QSyntaxHighlighter {
  public:
    explicit VbHighlighter(QTextDocument* document);

  protected:
    void highlightBlock(const QString& text) override;
};

// Where a line's comment starts (its "'" or "Rem" outside string literals);
// -1 when it has none.
qsizetype CommentStart(const QString& line);

// Whether a word is a VB keyword the IDE colours, compared without case.
bool IsVbKeyword(const QString& word);

}  // namespace qv::ui
