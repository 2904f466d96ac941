#pragma once
// References and search through the search engine: every hit of a text in
// the loaded projects, as the protocol's locations.

#include <string>
#include <vector>

#include "find/find_search.h"
#include "lsp/json.h"
#include "workspace/loaded_target.h"

namespace qv::lsp {

// The hits of text in every project of the targets (the search engine stops
// at its hit limit per target), in the session's code page.
Json SearchLocations(const std::vector<workspace::LoadedTarget*>& targets, const std::string& text,
                     bool wholeWord, bool matchCase, text::CodePage codePage);

}  // namespace qv::lsp
