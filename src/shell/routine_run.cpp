#include "shell/routine_run.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/services.h"

namespace qv::shell {

namespace {

// The status window for the length of one run; unloaded however it ends.
class RunScope {
  public:
    explicit RunScope(std::string_view title) : window_(GetServices().GetStatusWindow()) {
        window_.SetTitle(title);
    }
    ~RunScope() { window_.Unload(); }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

    StatusWindow& operator*() { return window_; }
    StatusWindow* operator->() { return &window_; }

  private:
    StatusWindow& window_;
};

// The window shows text as UTF-8; names are bytes of their module's code page.
std::string Shown(host::VBComponent& component) {
    host::CodeModule* module = component.CodeModule();
    return module != nullptr ? text::ToUtf8(component.Name(), module->TextCodePage())
                             : component.Name();
}

constexpr int kComponentBar = 0;
constexpr int kRoutineBar = 1;

analysis::RoutineList RoutinesOf(host::VBE& vbe, host::VBProject& project,
                                 host::VBComponent& component) {
    analysis::RoutineList routines;
    analysis::GetRoutineNames(vbe, project.Name(), component.Name(), routines, false);
    return routines;
}

// The routines of one module; labelPrefix goes before each routine's name
// in the window's label.
ModuleOutcome RunRoutines(host::VBComponent& component, const analysis::RoutineList& routines,
                          const std::string& labelPrefix, const RoutineAction& action,
                          StatusWindow& window, OnModuleFailure onFailure) {
    ModuleOutcome outcome;
    outcome.component = &component;
    host::CodeModule* module = component.CodeModule();
    if (module == nullptr) {
        outcome.skipped = Skip::NoCode;
        return outcome;
    }
    // One module's edits are one group: the workbench undoes them in one
    // step, and a caller may have them undone when the run fails halfway.
    host::EditTransaction edits(*module);
    outcome.routines.reserve(routines.size());
    size_t i = 0;
    try {
        for (; i < routines.size(); ++i) {
            window.SetLabel(labelPrefix + text::ToUtf8(routines[i].name, module->TextCodePage()));
            window.SetBarValue(kRoutineBar, static_cast<int>(i));
            const analysis::RoutineCopyScope copy(*module, routines[i]);
            outcome.routines.push_back(action(*module, routines[i]));
        }
    } catch (...) {
        const VbError error = CurrentAsVbError();
        if (onFailure == OnModuleFailure::PassUp) {
            // Lines already changed stay changed, as the IDE's would.
            edits.Commit();
            throw;
        }
        edits.Cancel();
        outcome.routines.clear();
        outcome.failure = error;
        outcome.failedRoutine = routines[i].name;
        return outcome;
    }
    edits.Commit();
    return outcome;
}

}  // namespace

bool ModuleOutcome::Changed() const {
    return std::any_of(routines.begin(), routines.end(),
                       [](const RoutineOutcome& r) { return r.changed; });
}

RunOutcome RunOnModule(host::VBE& vbe, std::string_view titlePrefix, const RoutineAction& action,
                       OnModuleFailure onFailure, host::VBComponent* target) try {
    host::VBProject* project = target != nullptr ? &target->Collection().Parent()
                                                 : vbe.ActiveVBProject();
    host::VBComponent* selected = target != nullptr ? target : vbe.SelectedVBComponent();
    if (project == nullptr || selected == nullptr) Raise(err::kObjectRequired);
    host::VBComponent& component =
        target != nullptr ? *target : project->VBComponents().Item(selected->Name());
    RunOutcome outcome;
    if (analysis::IsReadOnly(component)) {
        outcome.refused = true;
        return outcome;
    }
    RunScope window(std::string(titlePrefix) + Shown(component));
    window->SetLabel("Listing Procedures");
    window->SetBarVisible(kRoutineBar, false);
    window->Show();
    const analysis::RoutineList routines = RoutinesOf(vbe, *project, component);
    window->SetBarMax(kRoutineBar, static_cast<int>(routines.size()));
    window->SetBarVisible(kRoutineBar, true);
    outcome.modules.push_back(RunRoutines(component, routines, "", action, *window, onFailure));
    return outcome;
}
QV_PASS_UP("clsVBEEvents", "RunOnModule")

RunOutcome RunOnProject(host::VBE& vbe, std::string_view titlePrefix, const RoutineAction& action,
                        OnModuleFailure onFailure, host::VBProject* target,
                        const ModuleDone& done) try {
    RunOutcome outcome;
    host::VBProject* project = target != nullptr ? target : vbe.ActiveVBProject();
    if (project == nullptr) return outcome;
    host::VBComponents& components = project->VBComponents();
    RunScope window(std::string(titlePrefix) +
                    text::ToUtf8(project->Name(), project->TextCodePage()));
    window->SetBarMax(kComponentBar, static_cast<int>(components.Count()) + 1);
    window->SetBarVisible(kComponentBar, true);
    window->Show();
    int counted = 0;
    for (long c = 1; c <= components.Count(); ++c) {
        host::VBComponent& component = components.Item(c);
        ModuleOutcome skipped;
        skipped.component = &component;
        // Read-only components are passed over silently and not counted.
        if (analysis::IsReadOnly(component)) {
            skipped.skipped = Skip::ReadOnly;
            outcome.modules.push_back(std::move(skipped));
            continue;
        }
        window->SetBarValue(kComponentBar, ++counted);
        if (component.Type() == host::vbext_ct_RelatedDocument) {
            skipped.skipped = Skip::RelatedDocument;
            outcome.modules.push_back(std::move(skipped));
            continue;
        }
        if (component.CodeModule() == nullptr) {
            skipped.skipped = Skip::NoCode;
            outcome.modules.push_back(std::move(skipped));
            continue;
        }
        const analysis::RoutineList routines = RoutinesOf(vbe, *project, component);
        window->SetBarMax(kRoutineBar, static_cast<int>(routines.size()));
        window->SetBarVisible(kRoutineBar, true);
        outcome.modules.push_back(
            RunRoutines(component, routines, Shown(component) + ": ", action, *window, onFailure));
        if (done) done(outcome.modules.back());
    }
    return outcome;
}
QV_PASS_UP("clsVBEEvents", "RunOnProject")

}  // namespace qv::shell
