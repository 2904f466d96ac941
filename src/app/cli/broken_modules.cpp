#include "app/cli/broken_modules.h"

#include <ostream>

#include "app/cli/vb_text.h"

namespace qv::cli {

BrokenList BrokenModules(LoadedTarget& target, const host::memory::MemoryProject* project) {
    return target.BrokenModules(project);
}

BrokenList BrokenModules(LoadedTarget& target,
                         const std::vector<host::memory::MemoryProject*>& projects) {
    BrokenList broken;
    for (const host::memory::MemoryProject* project : projects) {
        const BrokenList of = target.BrokenModules(project);
        broken.insert(broken.end(), of.begin(), of.end());
    }
    return broken;
}

void ReportBrokenModules(std::ostream& err, const BrokenList& broken) {
    // Message, name and path are UTF-8 (but for a piece of a file quoted
    // as it is, in the run's code page); the project's name is its file's.
    for (const host::files::BrokenModule& module : broken) {
        const text::CodePage run = module.project->Vbe().TextCodePage();
        err << "qvaddin: " << DisplayMessage(module.message, run) << "; module "
            << DisplayMessage(module.name, run) << " of project "
            << DisplayText(module.project->Name(), module.project->TextCodePage())
            << " is left out and left as it is\n";
    }
}

JsonNode BrokenModulesJson(const BrokenList& broken) {
    JsonNode entries = JsonNode::array();
    for (const host::files::BrokenModule& module : broken) {
        const text::CodePage run = module.project->Vbe().TextCodePage();
        entries.push_back(
            JsonNode{{"project", VbText(module.project->Name(), module.project->TextCodePage())},
                        {"module", MessageText(module.name, run)},
                        {"file", MessageText(module.path, run)},
                        {"line", static_cast<std::int64_t>(module.line)},
                        {"error", MessageText(module.message, run)}});
    }
    return entries;
}

}  // namespace qv::cli
