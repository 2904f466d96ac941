// qvaddin stats <target>: the line statistics of every module (the total row
// first, then the modules by name), or with --module the routine statistics
// of one module; --group lists every project's modules in one table.

#include <algorithm>
#include <optional>
#include <ostream>

#include "app/cli/broken_modules.h"
#include "app/cli/command.h"
#include "app/cli/loaded_modules.h"
#include "app/cli/project_target.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "host/files/module_loader.h"
#include "platform/services.h"
#include "stats/stats_table.h"

namespace qv::cli {

namespace {

using host::memory::MemoryComponent;
using host::memory::MemoryProject;

const Option kGroupOption{{"group"}, "Every module of every project in one table (row: project.module)."};

using Row = std::vector<std::string>;  // the name, then the figures

const Row kModuleColumns{"Module name", "Routines", "Total Lines", "Declaration",
                         "Blank",       "Comments", "Code"};
const Row kRoutineColumns{"Routine name", "Total Lines", "Blank", "Comments", "Actual Code"};

// The module a row counts (nullptr for the total row), whose code page its
// text is written in.
MemoryComponent* ComponentOf(LoadedTarget& target, const stats::ModuleRow& row) {
    MemoryProject* project = target.Vbe().Projects().Find(row.project);
    return project != nullptr ? project->Components().Find(row.component) : nullptr;
}

text::CodePage PageOf(LoadedTarget& target, const stats::ModuleRow& row) {
    const MemoryComponent* component = ComponentOf(target, row);
    return component != nullptr ? component->TextCodePage() : target.Vbe().TextCodePage();
}

Row ModuleCells(const stats::ModuleRow& row, text::CodePage page) {
    const stats::ModuleFigures& f = row.figures;
    return {DisplayText(row.text, page),   std::to_string(f.routines), std::to_string(f.totalLines),
            std::to_string(f.declaration), std::to_string(f.blank),   std::to_string(f.comments),
            std::to_string(f.code)};
}

Row RoutineCells(const stats::RoutineRow& row, text::CodePage page) {
    const stats::RoutineFigures& f = row.figures;
    return {DisplayText(row.text, page), std::to_string(f.totalLines), std::to_string(f.blank),
            std::to_string(f.comments), std::to_string(f.actualCode)};
}

// The name column left-aligned, the figures right-aligned under their headers.
void PrintTable(std::ostream& out, const Row& columns, const std::vector<Row>& rows) {
    std::vector<size_t> width(columns.size());
    for (size_t c = 0; c < columns.size(); ++c) width[c] = DisplayWidth(columns[c]);
    for (const Row& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], DisplayWidth(row[c]));
    }
    auto print = [&](const Row& row) {
        std::string line = row[0] + std::string(width[0] - DisplayWidth(row[0]), ' ');
        for (size_t c = 1; c < row.size(); ++c) {
            line += "  " + std::string(width[c] - DisplayWidth(row[c]), ' ') + row[c];
        }
        out << line << '\n';
    };
    print(columns);
    for (const Row& row : rows) print(row);
}

std::string CsvField(const std::string& s) {
    const bool quote = s.find_first_of(",\"\r\n") != std::string::npos ||
                       (!s.empty() && (s.front() == ' ' || s.back() == ' '));
    if (!quote) return s;
    std::string quoted = "\"";
    for (char c : s) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void PrintCsv(std::ostream& out, const Row& columns, const std::vector<Row>& rows) {
    auto print = [&](const Row& row) {
        for (size_t c = 0; c < row.size(); ++c) out << (c ? "," : "") << CsvField(row[c]);
        out << "\r\n";
    };
    print(columns);
    for (const Row& row : rows) print(row);
}

void PrintRows(CommandContext& context, const Row& columns, const std::vector<Row>& rows) {
    if (context.format == OutputFormat::Csv) PrintCsv(context.out, columns, rows);
    else PrintTable(context.out, columns, rows);
}

JsonNode FiguresJson(const stats::ModuleFigures& f, const std::string& text,
                        text::CodePage page) {
    return JsonNode{{"text", VbText(text, page)}, {"routines", std::int64_t(f.routines)},
                       {"totalLines", std::int64_t(f.totalLines)}, {"declaration", std::int64_t(f.declaration)},
                       {"blank", std::int64_t(f.blank)},   {"comments", std::int64_t(f.comments)},
                       {"code", std::int64_t(f.code)}};
}

JsonNode FiguresJson(const stats::RoutineFigures& f, const std::string& text,
                        text::CodePage page) {
    return JsonNode{{"text", VbText(text, page)},
                       {"totalLines", std::int64_t(f.totalLines)},
                       {"blank", std::int64_t(f.blank)},
                       {"comments", std::int64_t(f.comments)},
                       {"actualCode", std::int64_t(f.actualCode)}};
}

// Shows how far the count has come on a terminal (nothing otherwise).
class CountingProgress {
public:
    CountingProgress() : window_(GetServices().GetStatusWindow()) {
        window_.SetTitle("Counting lines");
        window_.SetBarVisible(0, true);
        window_.Show();
    }
    ~CountingProgress() { window_.Unload(); }
    CountingProgress(const CountingProgress&) = delete;
    CountingProgress& operator=(const CountingProgress&) = delete;

    stats::StatsProgress Callback() {
        return [this](long done, long max) {
            window_.SetBarMax(0, static_cast<int>(max));
            window_.SetBarValue(0, static_cast<int>(done));
        };
    }

private:
    StatusWindow& window_;
};

// The figures of each module, counted as the load reads it.
class CountedAsLoaded {
public:
    explicit CountedAsLoaded(stats::RoutineCounting counting)
        : counting_(counting),
          kept_([counting](MemoryComponent& component) -> std::optional<stats::ModuleFigures> {
              host::CodeModule* code = component.CodeModule();
              if (code == nullptr) return std::nullopt;
              return stats::GetModuleFigures(*code, counting);
          }) {}

    host::files::ModuleLoaded OnLoaded() { return kept_.OnLoaded(); }
    // A module not counted at its load still holds its code: it is counted now.
    stats::FigureSource Source() const {
        return [this](host::CodeModule& module, stats::RoutineCounting counting) {
            const stats::ModuleFigures* counted = kept_.Find(module.Parent());
            return counted != nullptr && counting == counting_
                       ? *counted
                       : stats::GetModuleFigures(module, counting);
        };
    }

private:
    stats::RoutineCounting counting_;
    KeptAtLoad<stats::ModuleFigures> kept_;
};

class StatsCommand : public Command {
public:
    std::string Name() const override { return "stats"; }
    std::string Summary() const override {
        return "Count blank, comment and code lines per module, or per routine of one module.";
    }
    void AddOptions(OptionParser& parser) const override {
        AddTargetOptions(parser);
        parser.AddOption(kGroupOption);
    }
    bool SupportsFormat(OutputFormat format) const override { return format != OutputFormat::Sarif; }

    int Run(CommandContext& context) override {
        const bool group = context.parser.IsSet(kGroupOption);
        if (group && (context.parser.IsSet("module") || context.parser.IsSet("project"))) {
            throw CliError(kExitUsage,
                           "--group counts every module of every project; leave out --module "
                           "and --project");
        }
        if (context.parser.IsSet("routine") || context.parser.IsSet("line")) {
            throw CliError(kExitUsage, "stats lists modules or a module's routines; use --module "
                                       "instead of --routine or --line");
        }
        // The module table counts each module as it is loaded; one module's
        // routine table needs the module's code kept.
        const bool oneModule = context.parser.IsSet("module");
        CountedAsLoaded counted(group ? stats::RoutineCounting::Members
                                      : stats::RoutineCounting::RoutineList);
        auto target = oneModule ? LoadTarget(context)
                                : LoadTarget(context, context.arguments, true, false, {},
                                             counted.OnLoaded());
        const Selection selection = SelectTarget(context, *target);
        if (selection.component != nullptr) return RoutineTable(context, *target, selection);
        const BrokenList broken =
            group ? BrokenModules(*target, nullptr) : BrokenModules(*target, selection.projects);
        ReportBrokenModules(context.err, broken);
        ModuleTable(context, *target, selection, group, broken, counted.Source());
        return broken.empty() ? kExitOk : kExitBadInput;
    }

private:
    static void ModuleTable(CommandContext& context, LoadedTarget& target,
                            const Selection& selection, bool group, const BrokenList& broken,
                            const stats::FigureSource& figures) {
        stats::ModuleTable table;
        {
            CountingProgress progress;
            if (group) {
                table = stats::GroupStatistics(target.Vbe(), progress.Callback(), figures);
            } else if (selection.projects.size() > 1) {
                // Every project the command line names, rows named project.module.
                std::vector<std::string> names;
                for (const MemoryProject* project : selection.projects) names.push_back(project->Name());
                table = stats::ProjectsStatistics(target.Vbe(), names, progress.Callback(),
                                                  figures);
            } else {
                table = stats::ProjectStatistics(target.Vbe(), selection.project->Name(),
                                                 progress.Callback(), figures);
            }
        }
        stats::SortModuleRows(table.modules);
        if (context.format == OutputFormat::Json) {
            JsonNode object = ModuleTableJson(target, table);
            object["errors"] = BrokenModulesJson(broken);
            WriteJson(context.out, object);
            return;
        }
        std::vector<Row> rows{ModuleCells(table.total, target.Vbe().TextCodePage())};
        for (const auto& row : table.modules) rows.push_back(ModuleCells(row, PageOf(target, row)));
        PrintRows(context, kModuleColumns, rows);
    }

    // {"total":{...}, "projects":[{name, type, file, "components":[{name,
    // type, file, readOnly, "stats":{...}}]}]}, rows in the table's order.
    static JsonNode ModuleTableJson(LoadedTarget& target, const stats::ModuleTable& table) {
        JsonNode projects = JsonNode::array();
        JsonNode components = JsonNode::array();
        MemoryProject* current = nullptr;
        auto closeProject = [&] {
            if (current == nullptr) return;
            JsonNode object = ProjectJson(*current);
            object["components"] = std::move(components);
            projects.push_back(std::move(object));
            components = JsonNode::array();
        };
        for (const stats::ModuleRow& row : table.modules) {
            MemoryProject* project = target.Vbe().Projects().Find(row.project);
            if (project != current) {
                closeProject();
                current = project;
            }
            MemoryComponent& component = *project->Components().Find(row.component);
            JsonNode object = ComponentJson(target, component);
            object["stats"] = FiguresJson(row.figures, row.text, component.TextCodePage());
            components.push_back(std::move(object));
        }
        closeProject();
        JsonNode object = JsonNode::object();
        object["total"] =
            FiguresJson(table.total.figures, table.total.text, target.Vbe().TextCodePage());
        object["projects"] = std::move(projects);  // large: moved, not copied
        return object;
    }

    static int RoutineTable(CommandContext& context, LoadedTarget& target,
                            const Selection& selection) {
        MemoryProject& project = *selection.project;
        MemoryComponent& component = *selection.component;
        const text::CodePage page = component.TextCodePage();
        if (component.Code() == nullptr) {
            throw CliError(kExitBadInput,
                           text::ToUtf8(component.Name(), page) + " holds no code to count");
        }
        std::vector<stats::RoutineRow> rows;
        {
            CountingProgress progress;
            rows = stats::RoutineStatistics(target.Vbe(), project.Name(), component.Name(),
                                            progress.Callback());
        }
        if (context.format == OutputFormat::Json) {
            WriteJson(context.out, RoutineTableJson(target, project, component, rows));
            return kExitOk;
        }
        std::vector<Row> cells;
        for (const auto& row : rows) cells.push_back(RoutineCells(row, page));
        PrintRows(context, kRoutineColumns, cells);
        return kExitOk;
    }

    // The module's component object with "declarations":{"stats"} and
    // "routines":[{name, kind, routineType, "stats"}].
    static JsonNode RoutineTableJson(LoadedTarget& target, MemoryProject& project,
                                        MemoryComponent& component,
                                        const std::vector<stats::RoutineRow>& rows) {
        JsonNode object = ComponentJson(target, component);
        const text::CodePage page = component.TextCodePage();
        JsonNode routines = JsonNode::array();
        for (size_t i = 0; i < rows.size(); ++i) {
            const stats::RoutineRow& row = rows[i];
            if (i == 0) {
                object["declarations"] = JsonNode{{"stats", FiguresJson(row.figures, row.text, page)}};
                continue;
            }
            JsonNode routine = RoutineJson(*component.Code(), {row.name, row.kind});
            routine["stats"] = FiguresJson(row.figures, row.text, page);
            routines.push_back(std::move(routine));
        }
        object["routines"] = std::move(routines);
        JsonNode projectObject = ProjectJson(project);
        projectObject["components"] = JsonNode::array({object});
        return JsonNode{{"projects", JsonNode::array({projectObject})}};
    }
};

}  // namespace

QV_REGISTER_COMMAND("stats", StatsCommand);

}  // namespace qv::cli
