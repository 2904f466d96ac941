#include "lsp/references.h"

#include <set>

#include "lsp/code_identifiers.h"
#include "lsp/module_locator.h"
#include "lsp/symbols.h"
#include "lsp/utf8_text.h"
#include "platform/text.h"

namespace qv::lsp {

namespace {

std::vector<std::string> CodeLines(host::CodeModule& code) {
    const long count = code.CountOfLines();
    if (count <= 0) return {};
    return text::SplitLines(code.Lines(1, count));
}

// A module's identifiers with its lines.
struct ModuleWords {
    std::vector<std::string> lines;
    std::vector<IdentifierUse> uses;

    ModuleWords(host::CodeModule& code, bool withText)
        : lines(CodeLines(code)), uses(IdentifierUses(lines, withText)) {}

    bool Names(const IdentifierUse& use, std::string_view name) const {
        const std::string& line = lines[static_cast<size_t>(use.line) - 1];
        return text::EqualsIgnoreCase(std::string_view(line).substr(
                                          static_cast<size_t>(use.column) - 1,
                                          static_cast<size_t>(use.length)),
                                      name);
    }
    // The routines (their scopes) that declare a name of their own.
    std::set<long> LocalScopesOf(std::string_view name) const {
        std::set<long> scopes;
        for (const IdentifierUse& use : uses) {
            if (use.declares && use.scope != 0 && Names(use, name)) scopes.insert(use.scope);
        }
        return scopes;
    }
};

// The scope of the name's own routine when the word at the cursor is a
// local of it (a Dim, a parameter, ...); 0 when it is the module's or the
// project's.
long LocalScopeAt(const ModuleWords& words, DocumentModule& module, Position position,
                  std::string_view name) {
    const long codeLine = module.CodeLine(position.line);
    if (codeLine <= 0 || codeLine > static_cast<long>(words.lines.size())) return 0;
    const long byte = static_cast<long>(ByteOffsetOfUtf16(
        words.lines[static_cast<size_t>(codeLine) - 1], static_cast<size_t>(position.character)));
    for (const IdentifierUse& use : words.uses) {
        if (use.line != codeLine || byte < use.column - 1 || byte > use.column - 1 + use.length ||
            use.scope == 0 || !words.Names(use, name)) {
            continue;
        }
        return words.LocalScopesOf(name).count(use.scope) > 0 ? use.scope : 0;
    }
    return 0;
}

}  // namespace

Json References(OpenDocument& document, Position position, const ReferenceOptions& options) {
    Json locations = Json::array();
    DocumentModule* module = document.Module();
    const std::string name = WordAt(document.Text(), position);
    if (module == nullptr || name.empty()) return locations;
    host::memory::MemoryComponent* own = module->Component();
    // A local name is found in its routine alone; any other name everywhere
    // but in the routines that have a local of that name.
    const long local = LocalScopeAt(ModuleWords(*own->CodeModule(), options.commentsAndStrings),
                                    *module, position, name);
    workspace::LoadedTarget& target = *module->Target();
    ModuleLocator locator(target);
    // A module that two projects of a group share is one file: one place.
    std::set<std::string> seen;
    for (host::memory::MemoryProject* project : target.Projects()) {
        for (host::memory::MemoryComponent* component : workspace::LoadedTarget::Components(*project)) {
            host::CodeModule* code = component->CodeModule();
            if (code == nullptr || (local != 0 && component != own)) continue;
            const ModuleWords words(*code, options.commentsAndStrings);
            const std::set<long> shadowed = local != 0 ? std::set<long>{} : words.LocalScopesOf(name);
            for (const IdentifierUse& use : words.uses) {
                if (use.declares && !options.includeDeclaration) continue;
                if (local != 0 ? use.scope != local : shadowed.count(use.scope) > 0) continue;
                if (!words.Names(use, name)) continue;
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
