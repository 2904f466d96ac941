#include "shell/routine_run.h"

#include <algorithm>
#include <functional>
#include <mutex>

#include "analysis/side_by_side.h"
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

// Whether a project run passes over the component, and why (Skip::None:
// it runs).
ModuleOutcome Passed(host::VBComponent& component) {
    ModuleOutcome skipped;
    skipped.component = &component;
    // Read-only components are passed over silently.
    if (analysis::IsReadOnly(component)) {
        skipped.skipped = Skip::ReadOnly;
    } else if (component.Type() == host::vbext_ct_RelatedDocument) {
        skipped.skipped = Skip::RelatedDocument;
    } else if (component.CodeModule() == nullptr) {
        skipped.skipped = Skip::NoCode;
    }
    return skipped;
}

// The component bar counts every component that is not read-only, as it
// is reached.
void Count(const ModuleOutcome& passed, StatusWindow& window, int& counted) {
    if (passed.skipped != Skip::ReadOnly) window.SetBarValue(kComponentBar, ++counted);
}

// The services a module run side by side with others is given: its
// progress is not shown (no window or report may be told from two threads
// at once), and its other calls go on to the program's services one thread
// at a time.
class SideBySideServices : public ForwardingServices {
  public:
    SideBySideServices(Services& program, std::mutex& turn)
        : ForwardingServices(program), turn_(turn) {}
    int MessageBox(std::string_view prompt, int buttons, std::string_view title,
                   bool atCursor) override {
        const std::lock_guard<std::mutex> held(turn_);
        return ForwardingServices::MessageBox(prompt, buttons, title, atCursor);
    }
    void DoStatus(int, int, int, int) override {}
    void DoEvents() override {}
    StatusWindow& GetStatusWindow() override { return none_; }
    void SetClipboardText(std::string_view text) override {
        const std::lock_guard<std::mutex> held(turn_);
        ForwardingServices::SetClipboardText(text);
    }
    void LogError(std::string_view report) override {
        const std::lock_guard<std::mutex> held(turn_);
        ForwardingServices::LogError(report);
    }
    void Beep() override {}
    void ShellOpen(std::string_view) override {}
    std::string UserName() override {
        const std::lock_guard<std::mutex> held(turn_);
        return ForwardingServices::UserName();
    }
    std::string FormatGeneralDate(std::time_t when, bool withTime) override {
        const std::lock_guard<std::mutex> held(turn_);
        return ForwardingServices::FormatGeneralDate(when, withTime);
    }
    bool FileIsReadOnly(std::string_view path) override {
        const std::lock_guard<std::mutex> held(turn_);
        return ForwardingServices::FileIsReadOnly(path);
    }

  private:
    std::mutex& turn_;
    NoStatusWindow none_;
};

// How many modules past the one that is staged next may be run: enough to
// keep the threads busy while a module is staged (the calling thread stages
// every module and runs some too, so a helper held back by a smaller bound
// waited for it), few enough that the modules' new code waiting to be
// staged stays small.
constexpr size_t kModulesAhead = 32;

// Runs the project's modules on the machine's cores, each module on one
// thread, and hands them to done and to the outcome in the project's order
// on the calling thread, as the run in turn would: a module's run reads and
// changes only its own code, so its outcome does not depend on which thread
// ran it or when. Whether a module is passed over (its files read-only) is
// asked on the thread that runs it, and the component bar counts it when
// its turn comes, as in turn. An error that escapes a module (its routine
// list could not be read) is thrown when its turn comes, as in turn.
void RunModulesSideBySide(host::VBE& vbe, host::VBProject& project, StatusWindow& window,
                          const RoutineAction& action, const ModuleDone& done,
                          RunOutcome& outcome) {
    host::VBComponents& components = project.VBComponents();
    std::vector<ModuleOutcome> modules(static_cast<size_t>(components.Count()));
    outcome.modules.reserve(modules.size());
    std::mutex servicesTurn;
    SideBySideServices services(GetServices(), servicesTurn);
    int counted = 0;
    analysis::RunSideBySideWhile(
        modules.size(),
        [&](size_t i) {
            host::VBComponent& component = components.Item(static_cast<long>(i) + 1);
            const ThreadServicesScope scope(services);
            modules[i] = Passed(component);
            if (modules[i].skipped != Skip::None) return;
            modules[i] = RunRoutines(component, RoutinesOf(vbe, project, component),
                                     Shown(component) + ": ", action, services.GetStatusWindow(),
                                     OnModuleFailure::KeepWhole);
        },
        [&](size_t i) {
            const bool ran = modules[i].skipped == Skip::None;
            Count(modules[i], window, counted);
            outcome.modules.push_back(std::move(modules[i]));
            if (ran && done) done(outcome.modules.back());
            return true;
        },
        kModulesAhead);
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
                        OnModuleFailure onFailure, host::VBProject* target, const ModuleDone& done,
                        bool sideBySide) try {
    RunOutcome outcome;
    host::VBProject* project = target != nullptr ? target : vbe.ActiveVBProject();
    if (project == nullptr) return outcome;
    host::VBComponents& components = project->VBComponents();
    RunScope window(std::string(titlePrefix) +
                    text::ToUtf8(project->Name(), project->TextCodePage()));
    window->SetBarMax(kComponentBar, static_cast<int>(components.Count()) + 1);
    window->SetBarVisible(kComponentBar, true);
    window->Show();
    // A module that fails in the middle stops a PassUp run there: the
    // modules after it must not have run, so such a run goes in turn.
    if (sideBySide && onFailure == OnModuleFailure::KeepWhole) {
        RunModulesSideBySide(vbe, *project, *window, action, done, outcome);
        return outcome;
    }
    int counted = 0;
    for (long c = 1; c <= components.Count(); ++c) {
        host::VBComponent& component = components.Item(c);
        ModuleOutcome skipped = Passed(component);
        Count(skipped, *window, counted);
        if (skipped.skipped != Skip::None) {
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
