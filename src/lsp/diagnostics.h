#pragma once
// The diagnostics of a document: one per routine that is a finding (its
// shown status is not OK at the top and OK or N/A at the exit), on its
// declaration line, with both status words and what they mean, its rule id
// as the code and its severity (the client may override it per word); one
// error for text that does not read as a module.

#include <string>
#include <vector>

#include "errorhandling/status_findings.h"
#include "lsp/json.h"
#include "lsp/open_document.h"
#include "settings/settings_record.h"

namespace qv::lsp {

Json Diagnostics(OpenDocument& document, const analysis::SeverityOverrides& severities,
                 const settings::SettingsRecord& settings);

// {"MISSING": "error", "QV-SOME": "hint", ...} from the client; returns what
// was passed over (an unknown word or level) and why.
std::vector<std::string> OverrideSeverities(const Json& levels,
                                            analysis::SeverityOverrides& severities);

}  // namespace qv::lsp
