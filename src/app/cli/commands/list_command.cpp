// qvaddin list <target>: every project, its components and their routines.

#include <ostream>

#include "app/cli/broken_modules.h"
#include "app/cli/command.h"
#include "app/cli/project_target.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"

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

// The routines of a component without the "(Declarations)" entry.
analysis::RoutineList Routines(LoadedTarget& target, MemoryProject& project,
                               MemoryComponent& component) {
    analysis::RoutineList names;
    if (component.Code() == nullptr) return names;
    analysis::GetRoutineNames(target.Vbe(), project.Name(), component.Name(), names, false);
    if (!names.empty()) names.erase(names.begin());
    return names;
}

class ListCommand : public Command {
  public:
    std::string Name() const override { return "list"; }
    std::string Summary() const override {
        return "List the projects, their modules and each module's routines.";
    }
    void AddOptions(OptionParser& parser) const override { AddTargetOptions(parser); }

    int Run(CommandContext& context) override {
        auto target = LoadTarget(context);
        const Selection selection = SelectTarget(context, *target);
        const bool json = context.format == OutputFormat::Json;
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
            for (long c = 1; c <= project.Components().Count(); ++c) {
                MemoryComponent& component = project.Components().At(c);
                if (selection.component != nullptr && &component != selection.component) continue;
                const analysis::RoutineList routines = Routines(*target, project, component);
                if (json) {
                    JsonNode object = ComponentJson(*target, component);
                    JsonNode list = JsonNode::array();
                    for (const auto& r : routines) list.push_back(RoutineJson(*component.Code(), r));
                    object["routines"] = std::move(list);
                    components.push_back(std::move(object));
                } else {
                    PrintComponent(context, *target, component, routines);
                }
            }
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
                               MemoryComponent& component, const analysis::RoutineList& routines) {
        const text::CodePage page = component.TextCodePage();
        context.out << "  " << DisplayText(component.Name(), page) << " ("
                    << ComponentTypeName(component.Type()) << ")  "
                    << DisplayMessage(ComponentFile(target, component), target.Vbe().TextCodePage())
                    << (analysis::IsReadOnly(component) ? "  [read-only]" : "") << '\n';
        for (const auto& r : routines) {
            const std::string kindWord = analysis::KindWord(r.kind);
            const analysis::RoutineCopyScope copy(*component.Code(), r);
            context.out << "    " << analysis::GetRoutineType(*component.Code(), r.name, r.kind)
                        << (kindWord.empty() ? "" : " " + kindWord) << ' '
                        << DisplayText(r.name + analysis::CopySuffix(r.copy), page) << '\n';
        }
    }
};

}  // namespace

QV_REGISTER_COMMAND("list", ListCommand);

}  // namespace qv::cli
