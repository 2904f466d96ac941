#include "workspace/selection.h"

#include <algorithm>

#include "host/code_host.h"
#include "host/memory/memory_host.h"
#include "platform/code_page.h"
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

// Names as the user reads them: the bytes of a project file or module in
// its code page, as UTF-8.
std::string Shown(const MemoryProject& project) {
    return text::ToUtf8(project.Name(), project.TextCodePage());
}

std::string Shown(const MemoryComponent& component) {
    return text::ToUtf8(component.Name(), component.TextCodePage());
}

template <typename Item>
std::vector<std::string> NamesOf(const std::vector<Item*>& items) {
    std::vector<std::string> names;
    for (auto* item : items) names.push_back(Shown(*item));
    return names;
}

// The item of that name (the user's text, compared as text in each item's
// code page, case ignored); a name in ASCII is looked up directly, as only
// an ASCII name can be its match, without listing the items (a run that
// picks each module of a large project in turn would list them all each
// time).
template <typename Item, typename Collection, typename ListItems>
Item* Named(Collection& collection, const ListItems& listItems, const std::string& name) {
    if (text::IsAscii(name)) return collection.Find(name);
    for (Item* item : listItems()) {
        if (text::SameTextIgnoringCase(item->Name(), item->TextCodePage(), name)) return item;
    }
    return nullptr;
}

MemoryProject& PickProject(LoadedTarget& target, const std::string& name) {
    const std::vector<MemoryProject*> projects = target.Projects();
    if (projects.empty()) Fail({.kind = Kind::NoProjectLoaded});
    if (name.empty()) {
        auto* active = static_cast<MemoryProject*>(target.Vbe().ActiveVBProject());
        return active != nullptr ? *active : *projects.front();
    }
    const auto listProjects = [&projects] { return projects; };
    if (MemoryProject* found = Named<MemoryProject>(target.Vbe().Projects(), listProjects, name)) {
        return *found;
    }
    Fail({.kind = Kind::UnknownProject, .project = name, .choices = NamesOf(projects)});
}

MemoryComponent& PickModule(LoadedTarget& target, MemoryProject& project, const std::string& name) {
    const auto listComponents = [&project] { return LoadedTarget::Components(project); };
    if (MemoryComponent* found = Named<MemoryComponent>(project.Components(), listComponents, name)) {
        return *found;
    }
    for (const host::files::BrokenModule& broken : target.BrokenModules(&project)) {
        if (text::SameTextIgnoringCase(broken.name, text::CodePage::Utf8(), name)) {
            Fail({.kind = Kind::BrokenModule, .module = broken.name, .detail = broken.message});
        }
    }
    Fail({.kind = Kind::UnknownModule,
          .project = Shown(project),
          .module = name,
          .choices = NamesOf(listComponents())});
}

// The routine's name as the module spells it: the asked name (the user's
// text) compared as text in the module's code page; "" when the module
// holds no routine of that name.
std::string SpelledIn(MemoryComponent& component, const std::string& asked) {
    MemoryCodeModule* code = component.Code();
    if (code == nullptr) return {};
    if (text::IsAscii(asked)) return asked;  // the module compares ASCII names itself
    for (const host::memory::ProcInfo& p : code->Index().Procs()) {
        if (text::SameTextIgnoringCase(p.name, code->TextCodePage(), asked)) return p.name;
    }
    return {};
}

// The kinds of the routine the module holds: the one asked for, or every
// kind when none was. askedName: the user's text.
std::vector<int> KindsIn(MemoryComponent& component, const std::string& askedName, int asked) {
    std::vector<int> kinds;
    MemoryCodeModule* code = component.Code();
    const std::string name = SpelledIn(component, askedName);
    if (code == nullptr || name.empty()) return kinds;
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
              .project = Shown(project),
              .module = selection.component != nullptr ? Shown(*selection.component) : "",
              .routine = asked});
    }
    if (holders.size() > 1) {
        Fail(
            {.kind = Kind::RoutineInSeveralModules, .routine = asked, .choices = NamesOf(holders)});
    }
    if (kinds.size() > 1) {
        Fail({.kind = Kind::SeveralAccessors, .module = Shown(*holders[0]), .routine = asked});
    }
    selection.component = holders[0];
    selection.routine = SpelledIn(*holders[0], request.routine);
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
        if (selection.line > 0) Fail({.kind = Kind::NoCode, .module = Shown(component)});
        return;
    }
    if (selection.line > code->CountOfLines()) {
        Fail({.kind = Kind::LinePastEnd,
              .module = Shown(component),
              .line = selection.line,
              .lines = code->CountOfLines()});
    }
    if (selection.line > 0 && !selection.routine.empty()) {
        int kind = 0;
        const std::string at = code->ProcOfLine(selection.line, kind);
        if (!text::EqualsIgnoreCase(at, selection.routine) || kind != selection.routineKind) {
            Fail({.kind = Kind::LineOutsideRoutine,
                  .module = Shown(component),
                  .routine = text::ToUtf8(selection.routine, code->TextCodePage()) +
                             KindSuffix(selection.routineKind),
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
