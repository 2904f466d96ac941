#include "stats/module_figures.h"

#include "host/memory/memory_host.h"
#include "platform/vb_error.h"
#include "stats/line_count.h"

namespace qv::stats {

namespace {

long CountRoutineList(host::VBE& vbe, std::string_view projectName,
                      std::string_view componentName) {
    analysis::RoutineList names;
    analysis::GetRoutineNames(vbe, projectName, componentName, names, false);
    // Entry 0 is the declarations section.
    return names.empty() ? 0 : static_cast<long>(names.size()) - 1;
}

long CountCodeMembers(host::CodeModule& module) {
    host::Members& members = module.Members();
    const long count = members.Count();
    long routines = 0;
    for (long i = 1; i <= count; ++i) {
        const int type = members.Item(i).Type();
        if (type != host::vbext_mt_Variable && type != host::vbext_mt_Event &&
            type != host::vbext_mt_Const) {
            ++routines;
        }
    }
    return routines;
}

// How many entries the routine list has after "(Declarations)"; the
// in-memory host counts them from its procedure index without making them.
long CountRoutineEntries(host::CodeModule& module) {
    if (const auto* memory = dynamic_cast<const host::memory::MemoryCodeModule*>(&module)) {
        long count = 0;
        if (memory->ListRoutines([&](const std::string&, int, long) { ++count; })) return count;
    }
    return static_cast<long>(analysis::ReadRoutineNames(module).size()) - 1;
}

// The line figures of a module with its count of routines.
ModuleFigures FiguresOf(host::CodeModule& module, long routines) {
    ModuleFigures figures;
    figures.routines = routines;
    const long d = module.CountOfDeclarationLines();
    const long n = module.CountOfLines();
    const LineCounts body = CountLines(module, d + 1, n);
    const LineCounts declarations = CountLines(module, 1, d + 1);
    figures.totalLines = n;
    figures.declaration = d - declarations.blanks - declarations.comments;
    figures.blank = body.blanks + declarations.blanks;
    figures.comments = body.comments + declarations.comments;
    figures.code = n - figures.declaration - figures.blank - figures.comments;
    return figures;
}

}  // namespace

ModuleFigures GetModuleFigures(host::VBE& vbe, std::string_view projectName,
                               std::string_view componentName, RoutineCounting counting) try {
    host::CodeModule* module =
        vbe.VBProjects().Item(projectName).VBComponents().Item(componentName).CodeModule();
    if (module == nullptr) return {};
    return FiguresOf(*module, counting == RoutineCounting::Members
                                  ? CountCodeMembers(*module)
                                  : CountRoutineList(vbe, projectName, componentName));
} QV_PASS_UP("frmStats", "DoStats")

ModuleFigures GetModuleFigures(host::CodeModule& module, RoutineCounting counting) try {
    return FiguresOf(module, counting == RoutineCounting::Members
                                 ? CountCodeMembers(module)
                                 : CountRoutineEntries(module));
} QV_PASS_UP("frmStats", "DoStats")

RoutineFigures GetDeclarationsFigures(host::CodeModule& module) try {
    RoutineFigures figures;
    figures.totalLines = module.CountOfDeclarationLines();
    const LineCounts counts = CountLines(module, 1, figures.totalLines);
    figures.comments = counts.comments;
    figures.blank = counts.blanks;
    figures.actualCode = figures.totalLines - figures.comments - figures.blank;
    return figures;
} QV_PASS_UP("frmStats", "GetDeclarationsFigures")

RoutineFigures GetRoutineFigures(host::CodeModule& module,
                                 const analysis::RoutineEntry& routine) try {
    const analysis::RoutineCopyScope copy(module, routine);
    RoutineFigures figures;
    figures.totalLines = module.ProcCountLines(routine.name, routine.kind);
    const long start = module.ProcStartLine(routine.name, routine.kind);
    const LineCounts counts = CountLines(module, start, start + figures.totalLines - 1);
    figures.comments = counts.comments;
    figures.blank = counts.blanks;
    figures.actualCode = figures.totalLines - figures.comments - figures.blank;
    return figures;
} QV_PASS_UP("frmStats", "GetRoutineFigures")

}  // namespace qv::stats
