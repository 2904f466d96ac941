#include "host/memory/memory_vbe.h"

namespace qv::host::memory {

MemoryVbe::MemoryVbe() : commandBars_(events_), projects_(*this) {
    mainWindow_ = &windows_.Add(vbext_wt_MainWindow, "Project1 - Microsoft Visual Basic [design]");
    mainWindow_->SetVisible(true);
    windows_.Add(vbext_wt_ProjectWindow, "Project - Project1").SetVisible(true);
    windows_.Add(vbext_wt_PropertyWindow, "Properties - Project1").SetVisible(true);
    windows_.Add(vbext_wt_Immediate, "Immediate");
}

MemoryVbe::~MemoryVbe() {
    // Projects hold code windows that the window collection refers to; let
    // them go first.
    projects_.Clear();
}

MemoryProject& MemoryVbe::AddProject(std::string name, int type) {
    MemoryProject& project = projects_.Add(std::move(name), type);
    if (activeProject_ == nullptr) activeProject_ = &project;
    return project;
}

void MemoryVbe::SetActiveCodePane(host::CodePane* pane) {
    activePane_ = pane;
    if (pane != nullptr) activeWindow_ = &pane->Window();
}

void MemoryVbe::ProjectRemoved(MemoryProject& project) {
    if (activeProject_ == &project) activeProject_ = nullptr;
    if (selectedComponent_ != nullptr && &selectedComponent_->Owner().Project() == &project) {
        selectedComponent_ = nullptr;
    }
    for (long i = 1; i <= project.Components().Count(); ++i) {
        ComponentRemoved(project.Components().At(i));
    }
}

void MemoryVbe::ComponentRemoved(MemoryComponent& component) {
    if (selectedComponent_ == &component) selectedComponent_ = nullptr;
    if (MemoryCodeModule* code = component.Code()) CodeRemoved(*code);
}

void MemoryVbe::CodeRemoved(MemoryCodeModule& code) {
    if (activePane_ == &code.CodePane()) activePane_ = nullptr;
    if (activeWindow_ == &code.CodePane().Window()) activeWindow_ = nullptr;
}

}  // namespace qv::host::memory
