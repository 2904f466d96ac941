#pragma once
// VB syntax colouring as the IDE draws it: keywords blue, comments green,
// everything else black. String literals are not keywords.

#include <QSyntaxHighlighter>

namespace qv::workbench {

class VbHighlighter : public QSyntaxHighlighter {
  public:
    explicit VbHighlighter(QTextDocument* document);

  protected:
    void highlightBlock(const QString& text) override;
};

// Whether the word (any case) is one of the keywords the editor colours.
bool IsColouredKeyword(const QString& word);

}  // namespace qv::workbench
