#include "stats/stats_table.h"

#include <algorithm>

#include "analysis/routine_parsing.h"
#include "analysis/side_by_side.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::stats {

namespace {

void Report(const StatsProgress& progress, long done, long max) {
    if (progress) progress(done, max);
}

// Appends the module rows of one project, adding each to the total; a row
// is named project.module when qualified. The modules are counted side by
// side and taken in the project's order.
void AddProjectRows(host::VBProject& project, RoutineCounting counting, bool qualified,
                    ModuleTable& table, long& done, long max, const StatsProgress& progress,
                    const FigureSource& source) {
    const std::string projectName = project.Name();
    const std::vector<std::string> components = StatisticsModules(project);
    std::vector<host::CodeModule*> modules;
    for (const std::string& component : components) {
        modules.push_back(project.VBComponents().Item(component).CodeModule());
    }
    std::vector<ModuleFigures> figures(components.size());
    analysis::RunSideBySide(
        components.size(),
        [&](size_t i) {
            figures[i] = source ? source(*modules[i], counting)
                                : GetModuleFigures(*modules[i], counting);
        },
        [&](size_t i) {
            ModuleRow row;
            row.text = qualified ? projectName + "." + components[i] : components[i];
            row.project = projectName;
            row.component = components[i];
            row.figures = figures[i];
            AddFigures(table.total.figures, row.figures);
            table.modules.push_back(std::move(row));
            Report(progress, ++done, max);
        });
}

}  // namespace

std::string TotalRowText(long moduleRows) {
    return std::string(kTotalRowText) + " " + std::to_string(moduleRows) + " modules";
}

void AddFigures(ModuleFigures& total, const ModuleFigures& figures) {
    total.routines += figures.routines;
    total.totalLines += figures.totalLines;
    total.declaration += figures.declaration;
    total.blank += figures.blank;
    total.comments += figures.comments;
    total.code += figures.code;
}

std::vector<std::string> StatisticsModules(host::VBProject& project) try {
    std::vector<std::string> names;
    host::VBComponents& components = project.VBComponents();
    const long count = components.Count();
    for (long i = 1; i <= count; ++i) {
        host::VBComponent& component = components.Item(i);
        if (component.Type() == host::vbext_ct_RelatedDocument) continue;
        if (component.CodeModule() == nullptr) continue;
        names.push_back(component.Name());
    }
    return names;
} QV_PASS_UP("frmStats", "StatisticsModules")

ModuleTable ProjectStatistics(host::VBE& vbe, std::string_view projectName,
                              const StatsProgress& progress, const FigureSource& figures) try {
    ModuleTable table;
    table.total.text = kTotalRowText;
    host::VBProject& project = vbe.VBProjects().Item(projectName);
    const long max = static_cast<long>(StatisticsModules(project).size());
    long done = 0;
    AddProjectRows(project, RoutineCounting::RoutineList, false, table, done, max, progress,
                   figures);
    table.total.text = TotalRowText(static_cast<long>(table.modules.size()));
    return table;
} QV_PASS_UP("frmStats", "DoStats")

ModuleTable ProjectsStatistics(host::VBE& vbe, const std::vector<std::string>& projectNames,
                               const StatsProgress& progress, const FigureSource& figures) try {
    ModuleTable table;
    long max = 0;
    for (const std::string& name : projectNames) {
        max += static_cast<long>(StatisticsModules(vbe.VBProjects().Item(name)).size());
    }
    long done = 0;
    for (const std::string& name : projectNames) {
        AddProjectRows(vbe.VBProjects().Item(name), RoutineCounting::RoutineList, true, table,
                       done, max, progress, figures);
    }
    table.total.text = TotalRowText(static_cast<long>(table.modules.size()));
    return table;
} QV_PASS_UP("frmStats", "ProjectsStatistics")

bool GroupStatisticsAvailable(host::VBE& vbe) { return vbe.VBProjects().Count() > 1; }

ModuleTable GroupStatistics(host::VBE& vbe, const StatsProgress& progress,
                            const FigureSource& figures) try {
    ModuleTable table;
    table.total.text = kTotalRowText;
    host::VBProjects& projects = vbe.VBProjects();
    long max = 0;
    for (long p = 1; p <= projects.Count(); ++p) {
        max += static_cast<long>(StatisticsModules(projects.Item(p)).size());
    }
    long done = 0;
    for (long p = 1; p <= projects.Count(); ++p) {
        AddProjectRows(projects.Item(p), RoutineCounting::Members, true, table, done, max,
                       progress, figures);
    }
    table.total.text = TotalRowText(static_cast<long>(table.modules.size()));
    return table;
} QV_PASS_UP("frmStats", "GroupStatistics")

void SortModuleRows(std::vector<ModuleRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const ModuleRow& a, const ModuleRow& b) {
        return text::ToLower(a.text) < text::ToLower(b.text);
    });
}

std::string RoutineRowText(std::string_view name, int kind, long copy) {
    std::string text(name);
    switch (kind) {
        case host::vbext_pk_Let: text += "  (Let)"; break;
        case host::vbext_pk_Set: text += "  (Set)"; break;
        case host::vbext_pk_Get: text += "  (Get)"; break;
        default: break;
    }
    return text + analysis::CopySuffix(copy);
}

std::vector<RoutineRow> RoutineStatistics(host::VBE& vbe, std::string_view projectName,
                                          std::string_view componentName,
                                          const StatsProgress& progress) try {
    std::vector<RoutineRow> rows;
    host::CodeModule* module =
        vbe.VBProjects().Item(projectName).VBComponents().Item(componentName).CodeModule();
    if (module == nullptr) return rows;
    analysis::RoutineList routines;
    analysis::GetRoutineNames(vbe, projectName, componentName, routines, false);
    const long max = static_cast<long>(routines.size()) - 1;
    rows.push_back({std::string(analysis::kDeclarationsName),
                    std::string(analysis::kDeclarationsName), 0, 0, GetDeclarationsFigures(*module)});
    for (size_t i = 1; i < routines.size(); ++i) {
        const analysis::RoutineEntry& routine = routines[i];
        rows.push_back({RoutineRowText(routine.name, routine.kind, routine.copy), routine.name,
                        routine.kind, routine.copy, GetRoutineFigures(*module, routine)});
        Report(progress, static_cast<long>(i), max);
    }
    return rows;
} QV_PASS_UP("frmStats", "RoutineStatistics")

}  // namespace qv::stats
