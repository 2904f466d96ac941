#include "find/find_search.h"

#include <algorithm>
#include <array>
#include <optional>

#include "find/component_groups.h"
#include "host/lines_code_page.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::find {

namespace {

constexpr std::string_view kInfoImage = "Info";

// The nodes of one search, created on the first hit below them.
class SearchRun {
public:
    SearchRun(std::string_view findWhat, const FindOptions& options, FindTree& tree)
        : findWhat_(findWhat), options_(options), tree_(tree) {}

    void SearchProject(host::VBProject& project, host::CodeModule* target) {
        project_ = &project;
        projectNode_ = FindTree::kRoot;
        groupNodes_.fill(FindTree::kRoot);
        host::VBComponents& components = project.VBComponents();
        const long count = components.Count();
        for (long i = 1; i <= count && !Finished(); ++i) {
            host::VBComponent& component = components.Item(i);
            if (!IsSearchedComponentType(component.Type())) continue;
            host::CodeModule* module = component.CodeModule();
            if (module == nullptr) continue;
            if (options_.scope == FindScope::Module && module != target) continue;
            SearchModule(component, *module);
        }
    }

    bool LimitReached() const { return hits_ >= kHitLimit; }
    // Searching ends once the limit is reached and one more hit was seen (or
    // nothing is left to search).
    bool Finished() const { return beyondLimit_; }
    bool FoundAny() const { return foundAny_; }
    SearchOutcome Outcome() const { return {hits_, beyondLimit_}; }

private:
    bool Find(const host::CodeModule& module) {
        endLine_ = -1;
        endColumn_ = -1;
        const std::optional<std::string>& target = TargetIn(PageOf(module));
        // A text the module's code page cannot write is nowhere in it.
        found_ = target && module.Find(*target, startLine_, startColumn_, endLine_, endColumn_,
                                       options_.wholeWord, options_.matchCase,
                                       options_.patternSearch);
        return found_;
    }

    text::CodePage PageOf(const host::CodeModule& module) const {
        return host::LinesCodePage(module, options_.codePage);
    }

    // The search text as bytes of a module's code page, made once for
    // every module of that page.
    const std::optional<std::string>& TargetIn(text::CodePage page) {
        if (!target_ || targetPage_ != page) {
            target_ = text::FromUtf8(findWhat_, page);
            targetPage_ = page;
        }
        return *target_;
    }

    void SearchModule(host::VBComponent& component, host::CodeModule& module) {
        componentNode_ = FindTree::kRoot;
        startLine_ = 1;
        startColumn_ = 1;
        Find(module);
        while (found_) {
            if (LimitReached()) {
                // One hit past the limit is enough to say there are more.
                beyondLimit_ = true;
                return;
            }
            AddHit(component, module);
            if (options_.firstPerLine) {
                startColumn_ = 1;
                ++startLine_;
                if (startLine_ > module.CountOfLines()) return;
            } else {
                ++startColumn_;
            }
            Find(module);
        }
    }

    void AddHit(host::VBComponent& component, host::CodeModule& module) {
        const std::string projectName = project_->Name();
        const text::CodePage page = PageOf(module);
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
        const long parent = ProcedureNode(module, componentKey);
        ++hits_;
        const std::string key = componentKey + "/" + std::to_string(startLine_) + "/" +
                                std::to_string(startColumn_) + "/" + std::to_string(endLine_) +
                                "/" + std::to_string(endColumn_);
        tree_.Add(parent, key, std::string(text::LTrim(module.Lines(startLine_, 1))), "Code",
                  "Code", page);
    }

    // The node of the procedure that holds the hit, made on its first hit;
    // the component node for a hit outside every procedure.
    long ProcedureNode(host::CodeModule& module, const std::string& componentKey) {
        int kind = 0;
        const std::string name = module.ProcOfLine(startLine_, kind);
        if (name.empty()) return componentNode_;
        for (long child : tree_.Children(componentNode_)) {
            const FindNode& node = tree_.Node(child);
            if (node.tag == "Procedure" && node.text == name) return child;
        }
        return tree_.Add(componentNode_, componentKey + "/" + name, name, "Procedure",
                         "Procedure", PageOf(module));
    }

    std::string_view findWhat_;
    std::optional<std::optional<std::string>> target_;  // findWhat_ in targetPage_
    text::CodePage targetPage_;
    const FindOptions& options_;
    FindTree& tree_;
    host::VBProject* project_ = nullptr;
    long projectNode_ = FindTree::kRoot;
    std::array<long, kGroupSlots> groupNodes_{};
    long componentNode_ = FindTree::kRoot;
    long startLine_ = 1, startColumn_ = 1, endLine_ = -1, endColumn_ = -1;
    long hits_ = 0;
    bool found_ = false;
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
