#include "lsp/symbols.h"

#include <algorithm>
#include <map>
#include <optional>

#include "analysis/routine_parsing.h"
#include "errorhandling/module_counts.h"
#include "host/host_constants.h"
#include "errorhandling/status_findings.h"
#include "lsp/module_locator.h"
#include "lsp/utf8_text.h"
#include "stats/module_figures.h"

namespace qv::lsp {

namespace {

using host::memory::MemoryComponent;

// The protocol's symbol kinds.
enum SymbolKind : int { kMethod = 6, kProperty = 7, kFunction = 12 };

analysis::RoutineList Routines(MemoryComponent& component) {
    analysis::RoutineList routines;
    if (component.CodeModule() == nullptr) return routines;
    analysis::GetRoutineNames(component.Collection().Parent().VBE(),
                              component.Collection().Parent().Name(), component.Name(), routines,
                              false);
    if (!routines.empty()) routines.erase(routines.begin());  // the declarations
    // In the order of the code (the list keeps a property's accessors together).
    host::CodeModule& code = *component.CodeModule();
    std::vector<std::pair<long, analysis::RoutineEntry>> placed;
    for (analysis::RoutineEntry& routine : routines) {
        const analysis::RoutineCopyScope copy(code, routine);
        placed.emplace_back(code.ProcBodyLine(routine.name, routine.kind), std::move(routine));
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    routines.clear();
    for (auto& entry : placed) routines.push_back(std::move(entry.second));
    return routines;
}

int KindOf(MemoryComponent& component, const analysis::RoutineEntry& routine) {
    if (routine.kind != host::vbext_pk_Proc) return kMethod;
    return component.Type() == host::vbext_ct_StdModule ? kFunction : kMethod;
}

// Where the name stands on the line as a whole word, its case ignored, in
// UTF-16 code units: the first such place, else the line's start.
std::pair<int, int> NamePlace(std::string_view line, std::string_view name) {
    const std::vector<TextCharacter> characters = TextCharacters(line);
    const std::u32string folded = Folded(line);
    const std::u32string word = Folded(name);
    const size_t count = folded.size();
    for (size_t at = folded.find(word); !word.empty() && at != std::u32string::npos;
         at = folded.find(word, at + 1)) {
        const size_t end = at + word.size();
        const bool before = at == 0 || !IsWordCharacter(characters[at - 1].code);
        const bool after = end >= count || !IsWordCharacter(characters[end].code);
        if (before && after) {
            return {static_cast<int>(characters[at].unit), static_cast<int>(characters[end].unit)};
        }
    }
    return {0, static_cast<int>(Utf16Length(name))};
}

// The routine's lines in the document and its name on its declaration line.
Json RoutineSymbol(DocumentModule& module, const analysis::RoutineEntry& routine,
                   const TextDocument& text, int kind) {
    host::CodeModule& code = *module.Component()->CodeModule();
    const analysis::RoutineCopyScope copy(code, routine);
    const long start = code.ProcStartLine(routine.name, routine.kind);
    const long end = start + code.ProcCountLines(routine.name, routine.kind) - 1;
    const int declaration = module.DocumentLine(code.ProcBodyLine(routine.name, routine.kind));
    const int last = module.DocumentLine(end);
    const std::string& name = routine.name;
    const auto [nameStart, nameEnd] = NamePlace(text.Line(declaration), name);
    const std::string type = analysis::GetRoutineType(code, routine.name, routine.kind);
    const std::string word = analysis::KindWord(routine.kind);
    return Json{{"name", kind == kProperty ? word + " " + name : name},
                {"detail", word.empty() ? type : type + " " + word},
                {"kind", kind == kProperty ? kMethod : kind},
                {"range", RangeJson({module.DocumentLine(start), 0}, {last, text.LineLength(last)})},
                {"selectionRange", RangeJson({declaration, nameStart}, {declaration, nameEnd})}};
}

}  // namespace

Json DocumentSymbols(OpenDocument& document) {
    Json symbols = Json::array();
    DocumentModule* module = document.Module();
    if (module == nullptr) return symbols;
    MemoryComponent& component = *module->Component();
    // A property is one symbol with its accessors as children, in the place
    // of its first accessor (each copy of a property defined more than once
    // is one).
    std::map<std::pair<std::string, long>, size_t> properties;
    for (const analysis::RoutineEntry& routine : Routines(component)) {
        if (routine.kind == host::vbext_pk_Proc) {
            symbols.push_back(RoutineSymbol(*module, routine, document.Text(),
                                            KindOf(component, routine)));
            continue;
        }
        Json accessor = RoutineSymbol(*module, routine, document.Text(), kProperty);
        const auto [it, added] =
            properties.try_emplace({routine.name, routine.copy}, symbols.size());
        if (added) {
            symbols.push_back(Json{{"name", routine.name + analysis::CopySuffix(routine.copy)},
                                   {"detail", "Property"},
                                   {"kind", kProperty},
                                   {"range", accessor["range"]},
                                   {"selectionRange", accessor["selectionRange"]},
                                   {"children", Json::array()}});
        }
        Json& property = symbols[it->second];
        // The property spans its accessors.
        const Json& end = accessor["range"]["end"];
        if (IntOf(end["line"]) > IntOf(property["range"]["end"]["line"])) {
            property["range"]["end"] = end;
        }
        property["children"].push_back(std::move(accessor));
    }
    return symbols;
}

Json WorkspaceSymbols(const std::vector<workspace::LoadedTarget*>& targets,
                      std::string_view query) {
    Json symbols = Json::array();
    for (workspace::LoadedTarget* target : targets) {
        ModuleLocator locator(*target);
        for (host::memory::MemoryProject* project : target->Projects()) {
            for (MemoryComponent* component : workspace::LoadedTarget::Components(*project)) {
                if (component->CodeModule() == nullptr) continue;
                host::CodeModule& code = *component->CodeModule();
                for (const analysis::RoutineEntry& routine : Routines(*component)) {
                    const text::CodePage page = code.TextCodePage();
                    std::string name = text::ToUtf8(routine.name, page);
                    if (!ContainsIgnoringCase(name, query)) continue;
                    const analysis::RoutineCopyScope copy(code, routine);
                    const long line = code.ProcBodyLine(routine.name, routine.kind);
                    auto location = locator.Location(*component, line, 1, line, 1);
                    if (!location) continue;
                    symbols.push_back(Json{
                        {"name", std::move(name)},
                        {"kind", routine.kind == host::vbext_pk_Proc ? KindOf(*component, routine)
                                                                     : kProperty},
                        {"location", std::move(*location)},
                        {"containerName", text::ToUtf8(component->Name(), page)}});
                }
            }
        }
    }
    return symbols;
}

std::string WordAt(const TextDocument& document, Position position) {
    const std::string_view line = document.Line(position.line);
    const std::vector<TextCharacter> characters = TextCharacters(line);
    // The first character at or after the position (the end past the line).
    size_t start = 0;
    while (start + 1 < characters.size() &&
           characters[start].unit < static_cast<size_t>(position.character)) {
        ++start;
    }
    size_t end = start;
    while (start > 0 && IsWordCharacter(characters[start - 1].code)) --start;
    while (end + 1 < characters.size() && IsWordCharacter(characters[end].code)) ++end;
    return std::string(line.substr(characters[start].byte, characters[end].byte - characters[start].byte));
}

Json Hover(OpenDocument& document, Position position, const settings::SettingsRecord& settings) {
    DocumentModule* module = document.Module();
    const std::string word = WordAt(document.Text(), position);
    if (module == nullptr || word.empty()) return Json();
    host::CodeModule& code = *module->Component()->CodeModule();
    // The accessor whose lines hold the position, else the routine's first.
    const long codeLine = module->CodeLine(position.line);
    int kindHere = -1;
    const std::string routineHere = codeLine > 0 ? code.ProcOfLine(codeLine, kindHere) : "";
    const long copyHere = codeLine > 0 ? code.ProcCopyOfLine(codeLine) : 0;
    std::optional<analysis::RoutineEntry> found;
    for (const analysis::RoutineEntry& routine : Routines(*module->Component())) {
        if (!SameIgnoringCase(routine.name, word)) continue;
        if (!found || (routine.name == routineHere && routine.kind == kindHere &&
                       routine.copy == copyHere)) {
            found = routine;
        }
    }
    if (!found) return Json();
    const analysis::RoutineStatusRow row = analysis::JudgeRoutine(code, *found, true, settings);
    const stats::RoutineFigures figures = stats::GetRoutineFigures(code, *found);
    const std::string kind = analysis::KindWord(found->kind);
    std::string text = "**" + found->name + analysis::CopySuffix(found->copy) + "**" +
                       (kind.empty() ? std::string() : " (" + kind + ")") + "\n\n";
    auto statusLine = [&](const char* label, bool top) {
        const std::string meaning = analysis::StatusMeaning(row, top);
        const int value = top ? row.status.top : row.status.exit;
        return std::string(label) + ": " + analysis::StatusString(value) +
               (meaning.empty() ? std::string() : " (" + meaning + ")") + "  \n";
    };
    text += statusLine("Top Status", true) + statusLine("Exit Status", false);
    text += "\nLines: " + std::to_string(figures.totalLines) + " total, " +
            std::to_string(figures.blank) + " blank, " + std::to_string(figures.comments) +
            " comments, " + std::to_string(figures.actualCode) + " code";
    return Json{{"contents", Json{{"kind", "markdown"}, {"value", std::move(text)}}}};
}

}  // namespace qv::lsp
