#pragma once
// The text edits that turn a document's text into what an engine made of
// it: the lines that differ, found by the line diff, as few whole-line
// replacements, each as small as the diff allows. Lines that stay are not
// touched, so the editor keeps its marks and folds around them.

#include <string>
#include <string_view>
#include <vector>

#include "lsp/json.h"
#include "lsp/text_document.h"

namespace qv::lsp {

struct TextEdit {
    Position start;
    Position end;
    std::string newText;  // UTF-8: the engine's lines read in their code page
};

// oldText is the document's text, newText the engine's, both as UTF-8 (the
// engine's bytes decoded first: see DocumentModule::RenderUtf8).
std::vector<TextEdit> LineEdits(std::string_view oldText, std::string_view newText);

Json EditsJson(const std::vector<TextEdit>& edits);

}  // namespace qv::lsp
