#pragma once
// The search itself: every hit of a text in the projects in scope becomes a
// code-line node of the result tree, under its project, component group,
// component and procedure, up to 1000 hits. The host's Find does the text
// scanning.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "find/find_tree.h"
#include "host/code_host.h"
#include "platform/code_page.h"

namespace qv::find {

enum class FindScope {
    Module,   // the module of the active code pane, else the selected component
    Project,  // the active project
    Group,    // every open project
};

struct FindOptions {
    bool wholeWord = false;
    bool matchCase = false;
    bool patternSearch = false;  // the search text is a Like pattern
    bool firstPerLine = false;   // after a hit, go on with the next line
    FindScope scope = FindScope::Project;
    // The projects of the Project scope; empty: the active project alone.
    std::vector<const host::VBProject*> projects{};
    // The run's code page, which the modules are searched in (a file
    // written in UTF-8 is searched as UTF-8 whatever it says).
    text::CodePage codePage{};
    // Where the modules' code may not be read yet: called (on the thread
    // that searches it) before a module is searched, with a test of its
    // text that a module with a hit passes (a module that fails it holds
    // none); it reads the module's code when the text passes and returns
    // true, else returns false and the module is passed over. Unset: every
    // module's code is there.
    using ModuleText = std::function<bool(std::string_view text)>;
    std::function<bool(host::VBComponent& component, const ModuleText& mayHoldHit)> readCode{};
};

inline constexpr long kHitLimit = 1000;
inline constexpr std::string_view kNotFoundText = "Search String Not Found";

struct SearchOutcome {
    long hits = 0;
    // The search stopped at the limit and at least one more hit exists in the
    // scope (the summary then begins with "> ").
    bool beyondLimit = false;
};

// The test a module's text passes when it may hold a hit of findWhat (the
// one FindOptions::readCode is given), for a loader that reads modules
// before the search: utf8 tells that the module's file is written in UTF-8.
// Empty for a pattern, which may match anything. Thread-safe.
std::function<bool(std::string_view text, bool utf8)> ModuleTextTest(std::string_view findWhat,
                                                                     const FindOptions& options);

// "1 hit found.", "12 hits found.", "> 1000 hits found.".
std::string SummaryText(long hits, bool beyondLimit);

// Adds the hits of findWhat (the user's text, UTF-8; each module is searched
// for it as written in the module's code page, whole characters only) to
// the tree (which should be empty), then the
// summary node first among the roots, or the root "Search String Not Found".
SearchOutcome SearchProjects(host::VBE& vbe, std::string_view findWhat, const FindOptions& options,
                             FindTree& tree);

}  // namespace qv::find
