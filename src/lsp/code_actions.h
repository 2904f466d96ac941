#pragma once
// The code actions of a document: on the routine at the cursor, adding,
// replacing and removing error handling, adding and removing line numbers
// and tidying it; on the whole module, the module commands. Each carries
// the exact edits its command makes; a command that would change nothing is
// not offered, one that refuses is offered disabled, with its numbered
// message as the reason. Module actions may be left for the client to
// resolve, since running every module command at each cursor move costs
// more than the editor should wait.

#include <QJsonArray>
#include <QJsonObject>

#include "lsp/open_document.h"

namespace qv::lsp {

struct ActionRequest {
    int line = 0;                 // the document line of the cursor
    bool resolveModule = false;   // module actions without their edit, to resolve later
};

QJsonArray CodeActions(OpenDocument& document, const ActionRequest& request);

// A module action as CodeActions left it, with its edit (or, when the
// command refuses, the reason it is disabled). resolved false when the
// action's data names no action of this document.
QJsonObject ResolveCodeAction(OpenDocument& document, QJsonObject action, bool& resolved);

// Formatting: the edits tidy makes to the whole module, or those of them
// that touch the lines first..last (0-based, inclusive). refusal says why
// there are none when the command refused.
QJsonArray FormattingEdits(OpenDocument& document, int firstLine, int lastLine,
                           std::string& refusal);

}  // namespace qv::lsp
