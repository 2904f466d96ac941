#include "find/find_search.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/side_by_side.h"
#include "find/component_groups.h"
#include "host/lines_code_page.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "platform/text_finder.h"
#include "platform/vb_error.h"

namespace qv::find {

namespace {

constexpr std::string_view kInfoImage = "Info";

// One hit as the tree shows it: where it stands, the procedure that holds
// it ("" outside every procedure) and its line.
struct Hit {
    long startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    std::string procedure;
    std::string line;
};

// The hits of one module, in order: at most one more than a search can
// show (the one more says that there are more).
struct ModuleHits {
    std::vector<Hit> hits;
};

// The nodes of one search, created on the first hit below them. The modules
// of a project are searched side by side; their hits are added to the tree
// in the modules' order.
class SearchRun {
public:
    SearchRun(std::string_view findWhat, const FindOptions& options, FindTree& tree)
        : options_(options), tree_(tree) {
        // A module's lines are in the run's code page, or in UTF-8 (the
        // search text as bytes of each is made once, before the helpers
        // start). A text a page cannot write is nowhere in its modules.
        runTarget_ = text::FromUtf8(findWhat, options.codePage);
        utf8Target_ = text::FromUtf8(findWhat, text::CodePage::Utf8());
        if (!options.patternSearch) {
            if (runTarget_) runFinder_.emplace(*runTarget_, options.matchCase, options.codePage);
            if (utf8Target_) {
                utf8Finder_.emplace(*utf8Target_, options.matchCase, text::CodePage::Utf8());
            }
        }
    }

    void SearchProject(host::VBProject& project, host::CodeModule* target) {
        project_ = &project;
        projectNode_ = FindTree::kRoot;
        groupNodes_.fill(FindTree::kRoot);
        host::VBComponents& components = project.VBComponents();
        const long count = components.Count();
        std::vector<host::VBComponent*> searched;
        for (long i = 1; i <= count; ++i) {
            host::VBComponent& component = components.Item(i);
            if (!IsSearchedComponentType(component.Type())) continue;
            host::CodeModule* module = component.CodeModule();
            if (module == nullptr) continue;
            if (options_.scope == FindScope::Module && module != target) continue;
            searched.push_back(&component);
        }
        std::vector<ModuleHits> found(searched.size());
        analysis::RunSideBySideWhile(
            searched.size(),
            [&](size_t i) {
                if (ReadCode(*searched[i])) found[i] = SearchModule(*searched[i]->CodeModule());
            },
            [&](size_t i) {
                AddModuleHits(*searched[i], std::move(found[i]));
                return !Finished();
            });
    }

    bool LimitReached() const { return hits_ >= kHitLimit; }
    // Searching ends once the limit is reached and one more hit was seen (or
    // nothing is left to search).
    bool Finished() const { return beyondLimit_; }
    bool FoundAny() const { return foundAny_; }
    SearchOutcome Outcome() const { return {hits_, beyondLimit_}; }

private:
    text::CodePage PageOf(const host::CodeModule& module) const {
        return host::LinesCodePage(module, options_.codePage);
    }

    // Whether the component's code is there to be searched: read now when
    // its load deferred it and its text may hold a hit (the text of a plain
    // search somewhere in its bytes, which every hit is; a pattern may
    // match anything).
    bool ReadCode(host::VBComponent& component) const {
        if (!options_.readCode) return true;
        const text::CodePage page = PageOf(*component.CodeModule());
        const std::optional<text::TextFinder>& finder = page.IsUtf8() ? utf8Finder_ : runFinder_;
        const std::optional<std::string>& target = page.IsUtf8() ? utf8Target_ : runTarget_;
        if (!target) return false;
        return options_.readCode(component, [&](std::string_view text) {
            return !finder || finder->Find(text, 0) != std::string_view::npos;
        });
    }

    // Every hit of one module up to one past the limit, found as the find
    // window walks a module: from line 1, on from the column after a hit, or
    // from the next line when only the first hit of a line is shown. Reads
    // nothing but the module.
    ModuleHits SearchModule(host::CodeModule& module) const {
        ModuleHits found;
        const text::CodePage page = PageOf(module);
        const std::optional<std::string>& target = page.IsUtf8() ? utf8Target_ : runTarget_;
        if (!target) return found;
        long startLine = 1, startColumn = 1;
        while (static_cast<long>(found.hits.size()) <= kHitLimit) {
            long endLine = -1, endColumn = -1;
            if (!module.Find(*target, startLine, startColumn, endLine, endColumn,
                             options_.wholeWord, options_.matchCase, options_.patternSearch)) {
                break;
            }
            Hit hit{startLine, startColumn, endLine, endColumn, {}, {}};
            int kind = 0;
            hit.procedure = module.ProcOfLine(startLine, kind);
            hit.line = std::string(text::LTrim(module.Lines(startLine, 1)));
            found.hits.push_back(std::move(hit));
            if (options_.firstPerLine) {
                startColumn = 1;
                ++startLine;
                if (startLine > module.CountOfLines()) break;
            } else {
                ++startColumn;
            }
        }
        return found;
    }

    void AddModuleHits(host::VBComponent& component, ModuleHits found) {
        componentNode_ = FindTree::kRoot;
        for (Hit& hit : found.hits) {
            if (LimitReached()) {
                // One hit past the limit is enough to say there are more.
                beyondLimit_ = true;
                return;
            }
            AddHit(component, hit);
        }
    }

    void AddHit(host::VBComponent& component, Hit& hit) {
        const std::string projectName = project_->Name();
        const text::CodePage page = PageOf(*component.CodeModule());
        if (projectNode_ == FindTree::kRoot) {
            foundAny_ = true;
            projectNode_ = tree_.Add(FindTree::kRoot, "key" + projectName, projectName,
                                     std::string(ProjectImage(project_->Type())), {},
                                     host::LinesCodePage(*project_, options_.codePage));
        }
        const ComponentGroup group = *GroupOfComponentType(component.Type());
        long& groupNode = groupNodes_[static_cast<size_t>(group.index)];
        if (groupNode == FindTree::kRoot) {
            groupNode = tree_.Add(projectNode_,
                                  "keyGroup" + projectName + "/" + std::to_string(group.index),
                                  std::string(group.caption), "Close", "Group");
        }
        const std::string componentKey = "key" + projectName + "/" + component.Name();
        if (componentNode_ == FindTree::kRoot) {
            componentNode_ = tree_.Add(groupNode, componentKey, component.Name(),
                                       std::string(group.image), {}, page);
        }
        const long parent = ProcedureNode(hit.procedure, componentKey, page);
        ++hits_;
        const std::string key = componentKey + "/" + std::to_string(hit.startLine) + "/" +
                                std::to_string(hit.startColumn) + "/" +
                                std::to_string(hit.endLine) + "/" + std::to_string(hit.endColumn);
        tree_.Add(parent, key, std::move(hit.line), "Code", "Code", page);
    }

    // The node of the procedure that holds the hit, made on its first hit;
    // the component node for a hit outside every procedure.
    long ProcedureNode(const std::string& name, const std::string& componentKey,
                       text::CodePage page) {
        if (name.empty()) return componentNode_;
        for (long child : tree_.Children(componentNode_)) {
            const FindNode& node = tree_.Node(child);
            if (node.tag == "Procedure" && node.text == name) return child;
        }
        return tree_.Add(componentNode_, componentKey + "/" + name, name, "Procedure",
                         "Procedure", page);
    }

    std::optional<std::string> runTarget_;   // the search text in the run's code page
    std::optional<std::string> utf8Target_;  // and in UTF-8
    // Their finders, for a plain search.
    std::optional<text::TextFinder> runFinder_;
    std::optional<text::TextFinder> utf8Finder_;
    const FindOptions& options_;
    FindTree& tree_;
    host::VBProject* project_ = nullptr;
    long projectNode_ = FindTree::kRoot;
    std::array<long, kGroupSlots> groupNodes_{};
    long componentNode_ = FindTree::kRoot;
    long hits_ = 0;
    bool foundAny_ = false;
    bool beyondLimit_ = false;
};

// The module searched in module scope: the active code pane's, else the
// selected component's; nullptr when there is neither.
host::CodeModule* TargetModule(host::VBE& vbe) {
    if (host::CodePane* pane = vbe.ActiveCodePane()) return &pane->CodeModule();
    if (host::VBComponent* component = vbe.SelectedVBComponent()) return component->CodeModule();
    return nullptr;
}

bool InScope(const FindOptions& options, const host::VBProject& project,
             const host::VBProject* active) {
    if (options.scope == FindScope::Group) return true;
    if (options.scope == FindScope::Module || options.projects.empty()) return &project == active;
    return std::find(options.projects.begin(), options.projects.end(), &project) !=
           options.projects.end();
}

}  // namespace

std::string SummaryText(long hits, bool beyondLimit) {
    return std::string(beyondLimit ? "> " : "") + std::to_string(hits) +
           (hits == 1 ? " hit" : " hits") + " found.";
}

SearchOutcome SearchProjects(host::VBE& vbe, std::string_view findWhat, const FindOptions& options,
                             FindTree& tree) try {
    SearchRun run(findWhat, options, tree);
    host::CodeModule* target = nullptr;
    bool searchable = true;
    if (options.scope == FindScope::Module) {
        target = TargetModule(vbe);
        searchable = target != nullptr;
    }
    host::VBProject* active = vbe.ActiveVBProject();
    host::VBProjects& projects = vbe.VBProjects();
    for (long p = 1; searchable && p <= projects.Count() && !run.Finished(); ++p) {
        host::VBProject& project = projects.Item(p);
        if (!InScope(options, project, active)) continue;
        run.SearchProject(project, target);
    }
    if (!run.FoundAny()) {
        tree.Add(FindTree::kRoot, {}, std::string(kNotFoundText), std::string(kInfoImage));
        return {};
    }
    const SearchOutcome outcome = run.Outcome();
    tree.InsertFirstRoot({}, SummaryText(outcome.hits, outcome.beyondLimit),
                         std::string(kInfoImage));
    return outcome;
} QV_PASS_UP("UDFind", "SearchProjects")

}  // namespace qv::find
