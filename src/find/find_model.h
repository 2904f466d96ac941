#pragma once
// What the find window holds besides its widgets: the search options, the
// result tree and the list of recent searches. The window reads its check
// boxes and scope buttons into the options, calls Search, and shows the tree.

#include <string>
#include <string_view>
#include <vector>

#include "find/find_search.h"
#include "find/find_tree.h"
#include "host/code_host.h"

namespace qv::find {

class FindModel {
public:
    FindOptions& Options() { return options_; }
    const FindOptions& Options() const { return options_; }
    const FindTree& Tree() const { return tree_; }
    FindTree& Tree() { return tree_; }
    // Most recent first, as the user's UTF-8 text.
    const std::vector<std::string>& RecentSearches() const { return recent_; }
    // The outcome of the last search (0 hits after a clear).
    const SearchOutcome& LastOutcome() const { return outcome_; }

    // Replaces the tree with the hits of findWhat (UTF-8). An empty text only beeps.
    void Search(host::VBE& vbe, std::string_view findWhat);
    // Moves the text to the top of the recent searches (it stands there once).
    void AddToRecentSearch(std::string_view findWhat);
    // The results are stale (the search text or the projects changed).
    void ClearResults();

private:
    FindOptions options_;
    FindTree tree_;
    std::vector<std::string> recent_;
    SearchOutcome outcome_;
};

}  // namespace qv::find
