#pragma once
// Find references: every place in the document's project where the
// identifier under the cursor stands in code, its case ignored as VB ignores
// it, whole identifiers only. The declarations of the name (the routine's
// declaration line, a Dim, a parameter, ...) come only when the client asks
// for them; words of comments and string literals only when the client's
// options ask for them.

#include "lsp/json.h"
#include "lsp/open_document.h"

namespace qv::lsp {

struct ReferenceOptions {
    bool includeDeclaration = true;
    bool commentsAndStrings = false;
};

Json References(OpenDocument& document, Position position, const ReferenceOptions& options);

}  // namespace qv::lsp
