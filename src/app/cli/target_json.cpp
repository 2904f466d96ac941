#include "app/cli/target_json.h"

#include <ostream>

#include "app/cli/vb_text.h"

namespace qv::cli {

std::string ComponentFile(LoadedTarget& target, host::memory::MemoryComponent& component) {
    if (const host::files::ModuleFile* file = target.Files().FileOf(component)) return file->path;
    return component.FileCount() > 0 ? component.FileNames(1) : std::string();
}

JsonNode ProjectJson(host::memory::MemoryProject& project) {
    return JsonNode{{"name", VbText(project.Name(), project.TextCodePage())},
                       {"type", project.Type()},
                       {"file", MessageText(project.FileName(), project.Vbe().TextCodePage())}};
}

JsonNode ComponentJson(LoadedTarget& target, host::memory::MemoryComponent& component) {
    return JsonNode{
        {"name", VbText(component.Name(), component.TextCodePage())},
        {"type", component.Type()},
        {"file", MessageText(ComponentFile(target, component), target.Vbe().TextCodePage())},
        {"readOnly", analysis::IsReadOnly(component)}};
}

JsonNode RoutineJson(host::CodeModule& module, const analysis::RoutineEntry& routine) {
    const text::CodePage page = module.TextCodePage();
    const analysis::RoutineCopyScope copy(module, routine);
    JsonNode object{
        {"name", VbText(routine.name, page)},
        {"kind", routine.kind},
        {"routineType",
         VbText(analysis::GetRoutineType(module, routine.name, routine.kind), page)}};
    if (routine.copy > 0) object["copy"] = static_cast<std::int64_t>(routine.copy + 1);
    return object;
}

}  // namespace qv::cli
