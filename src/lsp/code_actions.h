#pragma once
// The code actions of a document: on the routine at the cursor, adding,
// replacing and removing error handling, adding and removing line numbers
// and tidying it; on the whole module, the module commands. Each carries
// the exact edits its command makes; a command that would change nothing is
// not offered, one that refuses is offered disabled, with its numbered
// message as the reason. A client that does not show disabled actions
// (it does not announce disabledSupport) would offer a refused action as if
// it worked and then do nothing: there the action carries a command instead,
// which the server runs by showing the message, so that choosing it always
// says why nothing changed. Module actions may be left for the client to
// resolve, since running every module command at each cursor move costs
// more than the editor should wait.

#include <optional>
#include <string>

#include "lsp/json.h"
#include "lsp/open_document.h"

namespace qv::lsp {

struct ActionRequest {
    int line = 0;                 // the document line of the cursor
    bool resolveModule = false;   // module actions without their edit, to resolve later
    bool disabledSupport = false; // the client shows a refused action disabled
};

// What the client announced of its code actions in initialize.
struct ActionSupport {
    bool resolveEdit = false;      // resolves an action's edit later
    bool disabledSupport = false;  // shows the disabled property
};
ActionSupport ActionSupportOf(const Json& initializeParams);

// The command a refused action carries for a client that does not show
// disabled actions, and the server's answer to workspace/executeCommand:
// the message to show for that command, or nothing when the command is not
// one of ours.
inline constexpr const char* kShowRefusalCommand = "qvaddin.showRefusal";
std::optional<std::string> RefusalToShow(const Json& executeCommandParams);

Json CodeActions(OpenDocument& document, const ActionRequest& request);

// A module action as CodeActions left it, with its edit (or, when the
// command refuses, the reason it is disabled, and for a client without
// disabledSupport the command that shows it). resolved false when the
// action's data names no action of this document.
Json ResolveCodeAction(OpenDocument& document, Json action, bool disabledSupport, bool& resolved);

// Formatting: the edits tidy makes to the whole module, or those of them
// that touch the lines first..last (0-based, inclusive). refusal says why
// there are none when the command refused.
Json FormattingEdits(OpenDocument& document, int firstLine, int lastLine, std::string& refusal);

}  // namespace qv::lsp
