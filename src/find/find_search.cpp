#include "find/find_search.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
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

// The search text as the bytes of the run's code page and of UTF-8 (a
// module's lines are in one or the other), made once; a text a page cannot
// write is nowhere in its modules.
struct SearchTexts {
    SearchTexts(std::string_view findWhat, const FindOptions& options) {
        run = text::FromUtf8(findWhat, options.codePage);
        utf8 = text::FromUtf8(findWhat, text::CodePage::Utf8());
        if (!options.patternSearch) {
            if (run) runFinder.emplace(*run, options.matchCase, options.codePage);
            if (utf8) utf8Finder.emplace(*utf8, options.matchCase, text::CodePage::Utf8());
        }
    }

    const std::optional<std::string>& Target(bool inUtf8) const { return inUtf8 ? utf8 : run; }

    // Whether text in that code page may hold a hit: the text of a plain
    // search somewhere in its bytes, which every hit is (a pattern may
    // match anything).
    bool MayHoldHit(std::string_view text, bool inUtf8) const {
        if (!Target(inUtf8)) return false;
        const std::optional<text::TextFinder>& finder = inUtf8 ? utf8Finder : runFinder;
        return !finder || finder->Find(text, 0) != std::string_view::npos;
    }

    std::optional<std::string> run;   // the search text in the run's code page
    std::optional<std::string> utf8;  // and in UTF-8
    // Their finders, for a plain search.
    std::optional<text::TextFinder> runFinder;
    std::optional<text::TextFinder> utf8Finder;
};

// The nodes of one search, created on the first hit below them. The modules
// of a project are searched side by side; their hits are added to the tree
// in the modules' order.
class SearchRun {
public:
    SearchRun(std::string_view findWhat, const FindOptions& options, FindTree& tree)
        : texts_(findWhat, options), options_(options), tree_(tree) {}

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
    // its load deferred it and its text may hold a hit. The module's code
    // page is asked when the text is tested: reading the file again tells
    // it anew.
    bool ReadCode(host::VBComponent& component) const {
        if (!options_.readCode) return true;
        host::CodeModule& module = *component.CodeModule();
        return options_.readCode(component, [&](std::string_view text) {
            return texts_.MayHoldHit(text, PageOf(module).IsUtf8());
        });
    }

    // Every hit of one module up to one past the limit, found as the find
    // window walks a module: from line 1, on from the column after a hit, or
    // from the next line when only the first hit of a line is shown. Reads
    // nothing but the module.
    ModuleHits SearchModule(host::CodeModule& module) const {
        ModuleHits found;
        const std::optional<std::string>& target = texts_.Target(PageOf(module).IsUtf8());
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
        procedureNodes_.clear();
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
        if (projectNode_ == FindTree::kRoot) {
            foundAny_ = true;
            projectName_ = project_->Name();
            projectNode_ = tree_.Add(FindTree::kRoot, "key" + projectName_, projectName_,
                                     std::string(ProjectImage(project_->Type())), {},
                                     host::LinesCodePage(*project_, options_.codePage));
        }
        if (componentNode_ == FindTree::kRoot) {
            // What every hit of the component shares, made on its first.
            componentPage_ = PageOf(*component.CodeModule());
            const ComponentGroup group = *GroupOfComponentType(component.Type());
            long& groupNode = groupNodes_[static_cast<size_t>(group.index)];
            if (groupNode == FindTree::kRoot) {
                groupNode = tree_.Add(projectNode_,
                                      "keyGroup" + projectName_ + "/" + std::to_string(group.index),
                                      std::string(group.caption), "Close", "Group");
            }
            const std::string name = component.Name();
            componentKey_ = "key" + projectName_ + "/" + name;
            componentNode_ = tree_.Add(groupNode, componentKey_, name, std::string(group.image), {},
                                       componentPage_);
        }
        const long parent = ProcedureNode(hit.procedure);
        ++hits_;
        std::string key;
        key.reserve(componentKey_.size() + 48);
        key.append(componentKey_);
        for (const long part : {hit.startLine, hit.startColumn, hit.endLine, hit.endColumn}) {
            key.append("/").append(std::to_string(part));
        }
        tree_.Add(parent, std::move(key), std::move(hit.line), "Code", "Code", componentPage_);
    }

    // The node of the procedure that holds the hit, made on its first hit;
    // the component node for a hit outside every procedure.
    long ProcedureNode(const std::string& name) {
        if (name.empty()) return componentNode_;
        const auto [at, added] = procedureNodes_.emplace(name, FindTree::kRoot);
        if (added) {
            at->second = tree_.Add(componentNode_, componentKey_ + "/" + name, name, "Procedure",
                                   "Procedure", componentPage_);
        }
        return at->second;
    }

    const SearchTexts texts_;
    const FindOptions& options_;
    FindTree& tree_;
    host::VBProject* project_ = nullptr;
    long projectNode_ = FindTree::kRoot;
    std::array<long, kGroupSlots> groupNodes_{};
    long componentNode_ = FindTree::kRoot;
    // Of the component whose hits are being added: its key, its code page
    // and its procedures' nodes by name.
    std::string componentKey_;
    text::CodePage componentPage_{};
    std::unordered_map<std::string, long> procedureNodes_;
    std::string projectName_;  // of project_, once it has a node
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

std::function<bool(std::string_view text, bool utf8)> ModuleTextTest(std::string_view findWhat,
                                                                     const FindOptions& options) {
    if (options.patternSearch) return {};
    auto texts = std::make_shared<const SearchTexts>(findWhat, options);
    const bool runIsUtf8 = options.codePage.IsUtf8();
    return [texts, runIsUtf8](std::string_view text, bool utf8) {
        return texts->MayHoldHit(text, utf8 || runIsUtf8);
    };
}

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
