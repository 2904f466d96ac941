#include "lsp/text_search.h"

#include "find/hit_location.h"
#include "lsp/module_locator.h"

namespace qv::lsp {

namespace {

host::memory::MemoryComponent* ComponentNamed(workspace::LoadedTarget& target,
                                              const std::string& project,
                                              const std::string& component) {
    for (host::memory::MemoryProject* p : target.Projects()) {
        if (p->Name() != project) continue;
        for (host::memory::MemoryComponent* c : workspace::LoadedTarget::Components(*p)) {
            if (c->Name() == component) return c;
        }
    }
    return nullptr;
}

}  // namespace

Json SearchLocations(const std::vector<workspace::LoadedTarget*>& targets, const std::string& text,
                     bool wholeWord, bool matchCase, text::CodePage codePage) {
    Json locations = Json::array();
    const std::string& what = text;
    if (what.empty()) return locations;
    const find::FindOptions options{.wholeWord = wholeWord,
                                    .matchCase = matchCase,
                                    .scope = find::FindScope::Group,
                                    .codePage = codePage};
    for (workspace::LoadedTarget* target : targets) {
        find::FindTree tree;
        find::SearchProjects(target->Vbe(), what, options, tree);
        ModuleLocator locator(*target);
        for (long id = 0; id < tree.Count(); ++id) {
            const auto hit = find::LocateHit(tree, id);
            if (!hit) continue;
            host::memory::MemoryComponent* component =
                ComponentNamed(*target, hit->project, hit->component);
            if (component == nullptr) continue;
            if (auto location = locator.Location(*component, hit->startLine, hit->startColumn,
                                                 hit->endLine, hit->endColumn)) {
                locations.push_back(std::move(*location));
            }
        }
    }
    return locations;
}

}  // namespace qv::lsp
