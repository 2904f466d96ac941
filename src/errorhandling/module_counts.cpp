#include "errorhandling/module_counts.h"

#include "analysis/routine_shape.h"
#include "errorhandling/templates.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::analysis {

void ModuleCounts::Add(const StatusPair& status) {
    switch (CountAs(status)) {
        case Tally::Good: ++good; break;
        case Tally::Some: ++some; break;
        case Tally::Error: ++error; break;
        case Tally::None: ++none; break;
    }
}

void ModuleCounts::Add(const RoutineStatusRow& row) {
    Add(row.status);
    if (row.standardTerminate) ++standardTerminate;
}

RoutineStatusRow JudgeRoutine(host::CodeModule& module, const RoutineEntry& entry, bool withType,
                              const settings::SettingsRecord& settings) try {
    const RoutineCopyScope copy(module, entry);
    RoutineStatusRow row;
    row.name = entry.name;
    row.kind = entry.kind;
    row.copy = entry.copy;
    RoutineShape shape;
    const RoutineSpan span = FirstAndLast(module, entry.name, entry.kind, shape);
    const std::string code = CodeWithoutComments(module, span);
    // The full text is read for a routine with the standard On Error line
    // alone: most of a project without handlers never needs it.
    std::optional<std::string> fullText;
    const auto readFullText = [&]() -> std::string_view {
        if (!fullText) fullText = BodyText(module, span);
        return *fullText;
    };
    if (!shape.oneLine && shape.closed && shape.nests) row.changeSpan = span;
    row.declarationLine = shape.body;
    row.status = GetRoutineStatus(module, entry.name, entry.kind, code, readFullText, settings);
    // The member itself only when the terminate test needs it: a handle
    // made for every routine would stay for the whole run.
    row.required = ErrorHandlingRequired(module, MemberName(module, entry.name), settings);
    row.status.top = ShownTopStatus(row.status.top, row.required);
    // (Only a name that ends in _Terminate can be a terminate routine: the
    // member handle is made for those alone.)
    row.standardTerminate = CountAs(row.status) == Tally::Some &&
                            text::EndsWithIgnoreCase(entry.name, "_Terminate") &&
                            errorhandling::IsTermimate(module.Members().Item(entry.name)) &&
                            errorhandling::HoldsTerminateHandler(code);
    if (row.status.top == kStatusInError) row.topGap = TopBlockGap(readFullText(), settings);
    if (row.status.exit == kStatusInError) row.exitGap = ExitBlockGap(readFullText(), settings);
    if (withType) {
        row.typeWord = analysis::KindWord(row.kind);
        row.routineType = row.kind != host::vbext_pk_Proc
                              ? "Property"
                              : RoutineTypeAt(module, shape.body, span.blockEnd + 1);
    }
    return row;
} QV_PASS_UP("AddIn", "JudgeRoutine")

Tally CountAs(const StatusPair& status) {
    switch (status.top) {
        case kStatusMissing: return Tally::None;
        case kStatusSome: return Tally::Some;
        case kStatusOk:
            return status.exit == kStatusOk || status.exit == kStatusNotApplicable ? Tally::Good
                                                                                   : Tally::Error;
        default: return Tally::Error;
    }
}

ModuleCounts CountModule(host::VBE& vbe, std::string_view projectName,
                         std::string_view componentName, bool withRoutines,
                         const settings::SettingsRecord& settings) try {
    ModuleCounts counts;
    host::CodeModule* module =
        vbe.VBProjects().Item(projectName).VBComponents().Item(componentName).CodeModule();
    if (module == nullptr) return counts;

    RoutineList names;
    GetRoutineNames(vbe, projectName, componentName, names, true);
    // The routine bar runs on from about half way while the routines are judged.
    const int entries = static_cast<int>(names.size());
    Services& services = GetServices();
    services.DoStatus(-1, -1, -1, 2 * entries);
    for (int i = 0; i < entries; ++i) {
        services.DoStatus(-1, entries - 1 + i);
        if (i == 0) continue;  // "(Declarations)" has no status
        RoutineStatusRow row =
            JudgeRoutine(*module, names[static_cast<size_t>(i)], withRoutines, settings);
        counts.Add(row);
        if (withRoutines) counts.routines.push_back(std::move(row));
    }
    return counts;
} QV_PASS_UP("AddIn", "CountModule")

ModuleCounts CountModule(host::CodeModule& module, bool withRoutines,
                         const settings::SettingsRecord& settings) try {
    ModuleCounts counts;
    const RoutineList names = ReadRoutineNames(module);
    for (size_t i = 1; i < names.size(); ++i) {  // "(Declarations)" has no status
        RoutineStatusRow row = JudgeRoutine(module, names[i], withRoutines, settings);
        counts.Add(row);
        if (withRoutines) counts.routines.push_back(std::move(row));
    }
    return counts;
} QV_PASS_UP("AddIn", "CountModule")

}  // namespace qv::analysis
