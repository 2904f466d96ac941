#include "workspace/selection.h"

#include <algorithm>

#include "host/code_host.h"
#include "host/memory/memory_host.h"
#include "platform/text.h"

namespace qv::workspace {

using host::memory::MemoryCodeModule;
using host::memory::MemoryComponent;
using host::memory::MemoryProject;
using Kind = SelectionError::Kind;

namespace {

// "", ":Get", ":Let" or ":Set" for a procedure kind.
std::string KindSuffix(int kind) {
    switch (kind) {
        case host::vbext_pk_Get:
            return ":Get";
        case host::vbext_pk_Let:
            return ":Let";
        case host::vbext_pk_Set:
            return ":Set";
        default:
            return "";
    }
}

// Picking goes step by step; the first step that fails ends it.
struct Failed {
    SelectionError error;
};

[[noreturn]] void Fail(SelectionError error) {
    throw Failed{std::move(error)};
}

std::vector<std::string> NamesOf(const std::vector<MemoryProject*>& projects) {
    std::vector<std::string> names;
    for (auto* p : projects) names.push_back(p->Name());
    return names;
}

std::vector<std::string> NamesOf(const std::vector<MemoryComponent*>& components) {
    std::vector<std::string> names;
    for (auto* c : components) names.push_back(c->Name());
    return names;
}

MemoryProject& PickProject(LoadedTarget& target, const std::string& name) {
    const std::vector<MemoryProject*> projects = target.Projects();
    if (projects.empty()) Fail({.kind = Kind::NoProjectLoaded});
    if (name.empty()) {
        auto* active = static_cast<MemoryProject*>(target.Vbe().ActiveVBProject());
        return active != nullptr ? *active : *projects.front();
    }
    if (MemoryProject* found = target.Vbe().Projects().Find(name)) return *found;
    Fail({.kind = Kind::UnknownProject, .project = name, .choices = NamesOf(projects)});
}

MemoryComponent& PickModule(LoadedTarget& target, MemoryProject& project, const std::string& name) {
    if (MemoryComponent* found = project.Components().Find(name)) return *found;
    for (const host::files::BrokenModule& broken : target.BrokenModules(&project)) {
        if (text::EqualsIgnoreCase(broken.name, name)) {
            Fail({.kind = Kind::BrokenModule, .module = name, .detail = broken.message});
        }
    }
    Fail({.kind = Kind::UnknownModule,
          .project = project.Name(),
          .module = name,
          .choices = NamesOf(LoadedTarget::Components(project))});
}

// The kinds of the routine the module holds: the one asked for, or every
// kind when none was.
std::vector<int> KindsIn(MemoryComponent& component, const std::string& name, int asked) {
    std::vector<int> kinds;
    MemoryCodeModule* code = component.Code();
    if (code == nullptr) return kinds;
    const auto has = [&](int kind) { return code->Index().Find(name, kind) >= 0; };
    if (asked >= 0) {
        if (has(asked)) kinds.push_back(asked);
        return kinds;
    }
    for (int kind :
         {host::vbext_pk_Proc, host::vbext_pk_Get, host::vbext_pk_Let, host::vbext_pk_Set}) {
        if (has(kind)) kinds.push_back(kind);
    }
    return kinds;
}

void PickRoutine(MemoryProject& project, const SelectionRequest& request, Selection& selection) {
    std::vector<MemoryComponent*> holders;
    if (selection.component != nullptr) {
        holders.push_back(selection.component);
    } else {
        for (MemoryComponent* c : LoadedTarget::Components(project)) {
            if (!KindsIn(*c, request.routine, request.routineKind).empty()) holders.push_back(c);
        }
    }
    const std::string asked = request.routine + KindSuffix(request.routineKind);
    const std::vector<int> kinds = holders.empty()
                                       ? std::vector<int>{}
                                       : KindsIn(*holders[0], request.routine, request.routineKind);
    if (kinds.empty()) {
        Fail({.kind = Kind::UnknownRoutine,
              .project = project.Name(),
              .module = selection.component != nullptr ? selection.component->Name() : "",
              .routine = asked});
    }
    if (holders.size() > 1) {
        Fail(
            {.kind = Kind::RoutineInSeveralModules, .routine = asked, .choices = NamesOf(holders)});
    }
    if (kinds.size() > 1) {
        Fail({.kind = Kind::SeveralAccessors, .module = holders[0]->Name(), .routine = asked});
    }
    selection.component = holders[0];
    selection.routine = request.routine;
    selection.routineKind = kinds[0];
}

// Puts the module's cursor on the line and makes its code pane the active
// one, as clicking into the IDE's code window would.
void PlaceCursor(MemoryComponent& component, long line) {
    host::CodePane& pane = component.Code()->CodePane();
    pane.SetSelection(line, 1, line, 1);
    pane.SetTopLine(line);
    pane.Show();
}

// Checks the line against the module and the routine and places the cursor.
void PlaceSelection(LoadedTarget& target, Selection& selection) {
    MemoryComponent& component = *selection.component;
    target.Vbe().SetSelectedComponent(&component);
    MemoryCodeModule* code = component.Code();
    if (code == nullptr) {
        if (selection.line > 0) Fail({.kind = Kind::NoCode, .module = component.Name()});
        return;
    }
    if (selection.line > code->CountOfLines()) {
        Fail({.kind = Kind::LinePastEnd,
              .module = component.Name(),
              .line = selection.line,
              .lines = code->CountOfLines()});
    }
    if (selection.line > 0 && !selection.routine.empty()) {
        int kind = 0;
        const std::string at = code->ProcOfLine(selection.line, kind);
        if (!text::EqualsIgnoreCase(at, selection.routine) || kind != selection.routineKind) {
            Fail({.kind = Kind::LineOutsideRoutine,
                  .module = component.Name(),
                  .routine = selection.routine + KindSuffix(selection.routineKind),
                  .line = selection.line});
        }
    }
    long cursor = selection.line;
    if (cursor == 0 && !selection.routine.empty()) {
        cursor = code->ProcBodyLine(selection.routine, selection.routineKind);
    }
    PlaceCursor(component, cursor > 0 ? cursor : 1);
}

}  // namespace

std::variant<Selection, SelectionError> Select(LoadedTarget& target,
                                               const SelectionRequest& request) {
    try {
        Selection selection;
        MemoryProject& project = PickProject(target, request.project);
        selection.project = &project;
        target.Vbe().SetActiveProject(&project);
        if (request.project.empty()) selection.projects = target.NamedProjects();
        if (std::find(selection.projects.begin(), selection.projects.end(), &project) ==
            selection.projects.end()) {
            selection.projects = {&project};
        }
        if (!request.module.empty()) {
            selection.component = &PickModule(target, project, request.module);
        }
        if (!request.routine.empty()) PickRoutine(project, request, selection);
        selection.line = request.line;
        if (selection.line > 0 && selection.component == nullptr) {
            Fail({.kind = Kind::LineWithoutModule, .line = selection.line});
        }
        if (selection.component != nullptr) PlaceSelection(target, selection);
        return selection;
    } catch (Failed& failed) {
        return std::move(failed.error);
    }
}

}  // namespace qv::workspace
