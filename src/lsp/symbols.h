#pragma once
// What the editor's outline, symbol search and hover show: the routines of
// a module with their kinds (a property with its accessors beneath it), the
// routines of every loaded project whose name holds a text, and, over a
// routine's name, its status words and line figures.

#include <string>
#include <string_view>
#include <vector>

#include "lsp/json.h"
#include "lsp/open_document.h"
#include "settings/settings_record.h"
#include "workspace/loaded_target.h"

namespace qv::lsp {

Json DocumentSymbols(OpenDocument& document);

// Routines whose name holds query (case ignored; every routine for "").
Json WorkspaceSymbols(const std::vector<workspace::LoadedTarget*>& targets,
                      std::string_view query);

// A Hover, or null when the position is not on the name of a routine of
// the document.
Json Hover(OpenDocument& document, Position position, const settings::SettingsRecord& settings);

// The identifier at a position of the document ("" for none).
std::string WordAt(const TextDocument& document, Position position);

}  // namespace qv::lsp
