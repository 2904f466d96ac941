#pragma once
// A document the editor has open: its text as the editor holds it and, for
// a VB module file, the module the engines work on, loaded from that text
// after every change.

#include <memory>
#include <string>

#include "lsp/document_module.h"
#include "lsp/file_uri.h"
#include "lsp/text_document.h"

namespace qv::lsp {

class OpenDocument {
  public:
    // A document whose URI names no VB module file gets no module: every
    // request about it has an empty answer.
    OpenDocument(ProjectCache& projects, TextDocument text);

    TextDocument& Text() { return text_; }
    // The text as UTF-8, the bytes the module was loaded from.
    const std::string& Bytes() const { return text_.Text(); }
    bool IsVb() const { return module_ != nullptr; }
    // The module, when the text reads as one; nullptr otherwise.
    DocumentModule* Module();
    const LoadProblem* Problem() const;

    // Loads the module again from the text (after the editor changed it).
    void Sync();

  private:
    TextDocument text_;
    std::unique_ptr<DocumentModule> module_;
};

}  // namespace qv::lsp
