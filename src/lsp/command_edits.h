#pragma once
// What a command of the catalogue would do to an open document: the command
// runs on the document's module as the editor's text has it, its target the
// routine at a line or the whole module, inside an edit group that is
// cancelled once the module's new text has been compared with the old:
// nothing changes until the editor applies the edits.

#include <string>
#include <vector>

#include "lsp/document_module.h"
#include "lsp/text_edits.h"
#include "shell/command_catalogue.h"

namespace qv::lsp {

struct CommandEdits {
    std::vector<TextEdit> edits;
    // Why the command left the code alone, as its numbered message says;
    // "" when it did not refuse.
    std::string refusal;
};

// codeLine: a line of the routine to run a routine command on (1-based, in
// the code module); ignored for module commands. text: the document's text
// as UTF-8, which the module holds before and after.
CommandEdits RunOnDocument(DocumentModule& document, const std::string& text,
                           shell::CommandId id, long codeLine);

}  // namespace qv::lsp
