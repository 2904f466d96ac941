#include "lsp/references.h"

#include <set>

#include "lsp/code_identifiers.h"
#include "lsp/module_locator.h"
#include "lsp/symbols.h"
#include "platform/text.h"

namespace qv::lsp {

namespace {

std::vector<std::string> CodeLines(host::CodeModule& code) {
    const long count = code.CountOfLines();
    if (count <= 0) return {};
    return text::SplitLines(code.Lines(1, count));
}

}  // namespace

Json References(OpenDocument& document, Position position, const ReferenceOptions& options) {
    Json locations = Json::array();
    DocumentModule* module = document.Module();
    const std::string name = WordAt(document.Text(), position);
    if (module == nullptr || name.empty()) return locations;
    workspace::LoadedTarget& target = *module->Target();
    ModuleLocator locator(target);
    // A module that two projects of a group share is one file: one place.
    std::set<std::string> seen;
    for (host::memory::MemoryProject* project : target.Projects()) {
        for (host::memory::MemoryComponent* component : workspace::LoadedTarget::Components(*project)) {
            host::CodeModule* code = component->CodeModule();
            if (code == nullptr) continue;
            const std::vector<std::string> lines = CodeLines(*code);
            for (const IdentifierUse& use : IdentifierUses(lines, options.commentsAndStrings)) {
                if (use.declares && !options.includeDeclaration) continue;
                const std::string& line = lines[static_cast<size_t>(use.line) - 1];
                const std::string_view word =
                    std::string_view(line).substr(static_cast<size_t>(use.column) - 1,
                                                  static_cast<size_t>(use.length));
                if (!text::EqualsIgnoreCase(word, name)) continue;
                auto location = locator.Location(*component, use.line, use.column, use.line,
                                                 use.column + use.length);
                if (!location) continue;
                if (!seen.insert(Dump(*location)).second) continue;
                locations.push_back(std::move(*location));
            }
        }
    }
    return locations;
}

}  // namespace qv::lsp
