#pragma once
// What the statistics window lists, without the window: the module table
// (a total row above one row per module), its group form over every project,
// and the routine table of one module. The window shows these rows; the
// command line prints them.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/code_host.h"
#include "stats/module_figures.h"

namespace qv::stats {

// The total row's text while the modules are being counted.
inline constexpr std::string_view kTotalRowText = " <Total>";

struct ModuleRow {
    std::string text;  // module name; project + "." + module in group mode
    std::string project;
    std::string component;
    ModuleFigures figures;
};

struct ModuleTable {
    ModuleRow total;                // text " <Total> N modules", the column sums
    std::vector<ModuleRow> modules; // in listing order
};

struct RoutineRow {
    std::string text;  // the name, "  (Let)" and the like after accessors
    std::string name;
    int kind = 0;
    long copy = 0;  // which copy of a routine defined more than once
    RoutineFigures figures;
};

// Called once per row counted: how many are done of how many in all.
using StatsProgress = std::function<void(long done, long max)>;

// A module's figures when they were counted already (as the modules were
// loaded, say); unset: each module is counted when its row is made.
using FigureSource = std::function<ModuleFigures(host::CodeModule& module, RoutineCounting counting)>;

// The total row's text once every module row is in: " <Total> 3 modules".
std::string TotalRowText(long moduleRows);

// Adds each figure of a module to the total.
void AddFigures(ModuleFigures& total, const ModuleFigures& figures);

// The modules the statistics list for a project: every component that has a
// code module and is not a related document, in collection order.
std::vector<std::string> StatisticsModules(host::VBProject& project);

// The module table of one project.
ModuleTable ProjectStatistics(host::VBE& vbe, std::string_view projectName,
                              const StatsProgress& progress = {},
                              const FigureSource& figures = {});

// Group statistics are offered only when more than one project is open.
bool GroupStatisticsAvailable(host::VBE& vbe);

// The module tables of several projects in one, each as ProjectStatistics
// counts it, with the rows named project.module as in the group's table.
ModuleTable ProjectsStatistics(host::VBE& vbe, const std::vector<std::string>& projectNames,
                               const StatsProgress& progress = {},
                               const FigureSource& figures = {});

// The module table of every open project in turn, all modules in one total;
// a module's Routines figure counts its members that are neither variables,
// events nor constants.
ModuleTable GroupStatistics(host::VBE& vbe, const StatsProgress& progress = {},
                            const FigureSource& figures = {});

// The list's text sort on the first column, ascending, case ignored; rows
// with the same text keep their order.
void SortModuleRows(std::vector<ModuleRow>& rows);

// A routine row's text: the name, and for a property accessor two spaces and
// "(Let)", "(Set)" or "(Get)"; a copy after the first is marked " (copy 2)".
std::string RoutineRowText(std::string_view name, int kind, long copy = 0);

// The routine table of one module: the "(Declarations)" row first, then one
// row per routine of its routine list, in that order.
std::vector<RoutineRow> RoutineStatistics(host::VBE& vbe, std::string_view projectName,
                                          std::string_view componentName,
                                          const StatsProgress& progress = {});

}  // namespace qv::stats
