// qvaddin list <target>: every project, its components and their routines.

#include <ostream>
#include <optional>

#include "analysis/side_by_side.h"
#include "app/cli/broken_modules.h"
#include "app/cli/command.h"
#include "app/cli/loaded_modules.h"
#include "app/cli/project_target.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "host/files/module_loader.h"

namespace qv::cli {

namespace {

using host::memory::MemoryComponent;
using host::memory::MemoryProject;

const char* ProjectTypeName(int type) {
    switch (type) {
        case host::vbext_pt_ActiveXExe:
            return "ActiveX EXE";
        case host::vbext_pt_ActiveXDll:
            return "ActiveX DLL";
        case host::vbext_pt_ActiveXControl:
            return "ActiveX Control";
        default:
            return "Standard EXE";
    }
}

const char* ComponentTypeName(int type) {
    switch (type) {
        case host::vbext_ct_StdModule:
            return "Module";
        case host::vbext_ct_ClassModule:
            return "Class";
        case host::vbext_ct_MSForm:
            return "MS Form";
        case host::vbext_ct_ResFile:
            return "Resource File";
        case host::vbext_ct_VBForm:
            return "Form";
        case host::vbext_ct_VBMDIForm:
            return "MDI Form";
        case host::vbext_ct_PropPage:
            return "Property Page";
        case host::vbext_ct_UserControl:
            return "User Control";
        case host::vbext_ct_DocObject:
            return "User Document";
        case host::vbext_ct_RelatedDocument:
            return "Related Document";
        case host::vbext_ct_ActiveXDesigner:
            return "Designer";
        default:
            return "Component";
    }
}

// What is listed of a component: its routines without the "(Declarations)"
// entry and, for the text, each routine's type; for JSON, the routines'
// objects.
struct ComponentRoutines {
    analysis::RoutineList routines;
    std::vector<std::string> types;
    JsonNode json = JsonNode::array();
};

// Reads the component's routines; touches nothing but its module, so that
// the components can be read side by side.
ComponentRoutines ReadRoutines(MemoryComponent& component, bool json) {
    ComponentRoutines read;
    host::CodeModule* code = component.Code();
    if (code == nullptr) return read;
    read.routines = analysis::ReadRoutineNames(*code);
    read.routines.erase(read.routines.begin());
    for (const analysis::RoutineEntry& r : read.routines) {
        if (json) {
            read.json.push_back(RoutineJson(*code, r));
            continue;
        }
        const analysis::RoutineCopyScope copy(*code, r);
        read.types.push_back(analysis::GetRoutineType(*code, r.name, r.kind));
    }
    return read;
}

class ListCommand : public Command {
  public:
    std::string Name() const override { return "list"; }
    std::string Summary() const override {
        return "List the projects, their modules and each module's routines.";
    }
    void AddOptions(OptionParser& parser) const override { AddTargetOptions(parser); }

    int Run(CommandContext& context) override {
        const bool json = context.format == OutputFormat::Json;
        // Each module's routines are read as it is loaded; a module to
        // select needs its code kept.
        KeptAtLoad<ComponentRoutines> read(
            [json](MemoryComponent& component) -> std::optional<ComponentRoutines> {
                return ReadRoutines(component, json);
            });
        auto target = context.parser.IsSet("module") || context.parser.IsSet("routine")
                          ? LoadTarget(context)
                          : LoadTarget(context, context.arguments, true, false, {},
                                       read.OnLoaded());
        const Selection selection = SelectTarget(context, *target);
        const bool oneProject = context.parser.IsSet("project");
        JsonNode projects = JsonNode::array();
        auto& all = target->Vbe().Projects();
        for (long p = 1; p <= all.Count(); ++p) {
            MemoryProject& project = all.At(p);
            if (oneProject && &project != selection.project) continue;
            JsonNode components = JsonNode::array();
            if (!json) {
                context.out << DisplayText(project.Name(), project.TextCodePage()) << " ("
                            << ProjectTypeName(project.Type()) << ")"
                            << (project.FileName().empty() ? "" : "  ")
                            << DisplayMessage(project.FileName(), target->Vbe().TextCodePage())
                            << '\n';
            }
            std::vector<MemoryComponent*> listed;
            for (long c = 1; c <= project.Components().Count(); ++c) {
                MemoryComponent& component = project.Components().At(c);
                if (selection.component != nullptr && &component != selection.component) continue;
                listed.push_back(&component);
            }
            // The components' routines are read side by side and listed in order.
            std::vector<ComponentRoutines> routinesOf(listed.size());
            analysis::RunSideBySide(listed.size(), [&](size_t i) {
                std::optional<ComponentRoutines> kept = read.Take(*listed[i]);
                routinesOf[i] = kept ? std::move(*kept) : ReadRoutines(*listed[i], json);
            }, [&](size_t i) {
                MemoryComponent& component = *listed[i];
                ComponentRoutines routines = std::move(routinesOf[i]);
                if (json) {
                    JsonNode object = ComponentJson(*target, component);
                    object["routines"] = std::move(routines.json);
                    components.push_back(std::move(object));
                } else {
                    PrintComponent(context, *target, component, routines);
                }
            });
            if (json) {
                JsonNode object = ProjectJson(project);
                object["components"] = std::move(components);
                projects.push_back(std::move(object));
            }
        }
        // A broken module is reported wherever its project is listed whole.
        const BrokenList broken =
            selection.component != nullptr
                ? BrokenList{}
                : BrokenModules(*target, oneProject ? selection.project : nullptr);
        ReportBrokenModules(context.err, broken);
        if (json) {
            JsonNode object = JsonNode::object();
            object["projects"] = std::move(projects);  // large: moved, not copied
            object["errors"] = BrokenModulesJson(broken);
            WriteJson(context.out, object);
        }
        return broken.empty() ? kExitOk : kExitBadInput;
    }

  private:
    static void PrintComponent(CommandContext& context, LoadedTarget& target,
                               MemoryComponent& component, const ComponentRoutines& read) {
        const text::CodePage page = component.TextCodePage();
        context.out << "  " << DisplayText(component.Name(), page) << " ("
                    << ComponentTypeName(component.Type()) << ")  "
                    << DisplayMessage(ComponentFile(target, component), target.Vbe().TextCodePage())
                    << (analysis::IsReadOnly(component) ? "  [read-only]" : "") << '\n';
        for (size_t i = 0; i < read.routines.size(); ++i) {
            const analysis::RoutineEntry& r = read.routines[i];
            const std::string kindWord = analysis::KindWord(r.kind);
            context.out << "    " << read.types[i] << (kindWord.empty() ? "" : " " + kindWord) << ' '
                        << DisplayText(r.name + analysis::CopySuffix(r.copy), page) << '\n';
        }
    }
};

}  // namespace

QV_REGISTER_COMMAND("list", ListCommand);

}  // namespace qv::cli
