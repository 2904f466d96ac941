#include "find/find_model.h"

#include <algorithm>

#include "platform/services.h"
#include "platform/vb_error.h"

namespace qv::find {

void FindModel::Search(host::VBE& vbe, std::string_view findWhat) try {
    ClearResults();
    if (findWhat.empty()) {
        GetServices().Beep();
        return;
    }
    AddToRecentSearch(findWhat);
    outcome_ = SearchProjects(vbe, findWhat, options_, tree_);
} QV_PASS_UP("UDFind", "Search")

void FindModel::AddToRecentSearch(std::string_view findWhat) {
    const auto same = std::find(recent_.begin(), recent_.end(), findWhat);
    if (same != recent_.end()) recent_.erase(same);
    recent_.insert(recent_.begin(), std::string(findWhat));
}

void FindModel::ClearResults() {
    tree_.Clear();
    outcome_ = {};
}

}  // namespace qv::find
