#pragma once
// The IDE root of the in-memory host.

#include <memory>
#include <string>

#include "host/memory/memory_command_bars.h"
#include "host/memory/memory_host.h"
#include "host/memory/memory_windows.h"

namespace qv::host::memory {

class MemoryVbe : public VBE {
public:
    MemoryVbe();
    ~MemoryVbe() override;

    host::VBProjects& VBProjects() override { return projects_; }
    VBProject* ActiveVBProject() override { return activeProject_; }
    VBComponent* SelectedVBComponent() override { return selectedComponent_; }
    host::CodePane* ActiveCodePane() override { return activePane_; }
    host::Window* ActiveWindow() override { return activeWindow_; }
    host::Window& MainWindow() override { return *mainWindow_; }
    host::Windows& Windows() override { return windows_; }
    host::CommandBars& CommandBars() override { return commandBars_; }
    host::Events& Events() override { return events_; }

    MemoryProject& AddProject(std::string name, int type = vbext_pt_StandardExe);
    MemoryProjects& Projects() { return projects_; }
    MemoryWindows& AllWindows() { return windows_; }
    MemoryCommandBars& Bars() { return commandBars_; }
    MemoryEvents& EventSource() { return events_; }
    MemoryWindow& Main() { return *mainWindow_; }

    void SetActiveProject(MemoryProject* project) { activeProject_ = project; }
    void SetSelectedComponent(MemoryComponent* component) { selectedComponent_ = component; }
    void SetActiveCodePane(host::CodePane* pane);
    void SetActiveWindow(host::Window* window) { activeWindow_ = window; }

    // The editor's tab width, used when the host tidies the lines it receives.
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int width) { tabWidth_ = width < 1 ? 1 : width; }
    // The system's ANSI code page, which the IDE reads and writes files in
    // (a file written in UTF-8 keeps that code page of its own).
    text::CodePage TextCodePage() const override { return codePage_; }
    void SetTextCodePage(text::CodePage page) { codePage_ = page; }

    // Forgets references to a project or component that is going away.
    void ProjectRemoved(MemoryProject& project);
    void ComponentRemoved(MemoryComponent& component);
    void CodeRemoved(MemoryCodeModule& code);

private:
    MemoryWindows windows_;
    MemoryEvents events_;
    MemoryCommandBars commandBars_;
    MemoryProjects projects_;
    MemoryWindow* mainWindow_ = nullptr;
    MemoryProject* activeProject_ = nullptr;
    MemoryComponent* selectedComponent_ = nullptr;
    host::CodePane* activePane_ = nullptr;
    host::Window* activeWindow_ = nullptr;
    int tabWidth_ = 4;
    text::CodePage codePage_;
};

}  // namespace qv::host::memory
