#pragma once
// Find references: every place in the document's project where the
// identifier under the cursor stands in code, its case ignored as VB ignores
// it, whole identifiers only. The declarations of the name (the routine's
// declaration line, a Dim, a parameter, ...) come only when the client asks
// for them; words of comments and string literals only when the client's
// options ask for them. Names keep to their scope: a routine's local (a
// Dim, a Static, a parameter) is found in that routine alone, and any other
// name everywhere except in the routines that declare a local of that name.

#include "lsp/json.h"
#include "lsp/open_document.h"

namespace qv::lsp {

struct ReferenceOptions {
    bool includeDeclaration = true;
    bool commentsAndStrings = false;
};

Json References(OpenDocument& document, Position position, const ReferenceOptions& options);

}  // namespace qv::lsp
