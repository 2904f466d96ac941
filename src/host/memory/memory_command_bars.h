#pragma once
// The IDE's command bars as plain records, and the Click events of their
// controls. The built-in controls the add-in anchors on are there from the
// start; Execute raises Click on every event source that a holder keeps.

#include <memory>
#include <string>
#include <vector>

#include "host/code_host.h"

namespace qv::host::memory {

class MemoryEvents;
class MemoryCommandBarControls;

class MemoryCommandBarControl : public CommandBarControl {
public:
    MemoryCommandBarControl(MemoryCommandBarControls& owner, MemoryEvents& events, int type,
                            int id, bool temporary);
    ~MemoryCommandBarControl() override;
    std::string Caption() const override { return caption_; }
    void SetCaption(std::string_view caption) override { caption_ = caption; }
    std::string Parameter() const override { return parameter_; }
    void SetParameter(std::string_view parameter) override { parameter_ = parameter; }
    int FaceId() const override { return faceId_; }
    void SetFaceId(int faceId) override { faceId_ = faceId; }
    int Id() const override { return id_; }
    int Type() const override { return type_; }
    void Delete() override;
    void Execute() override;
    CommandBarControls* Controls() override;

    bool Temporary() const { return temporary_; }

private:
    MemoryCommandBarControls& owner_;
    MemoryEvents& events_;
    int type_;
    int id_;
    bool temporary_;
    std::string caption_;
    std::string parameter_;
    int faceId_ = 0;
    std::unique_ptr<MemoryCommandBarControls> children_;
};

class MemoryCommandBarControls : public CommandBarControls {
public:
    explicit MemoryCommandBarControls(MemoryEvents& events) : events_(events) {}
    CommandBarControl& Add(int type, int id, std::string_view parameter, int before,
                           bool temporary) override;
    long Count() const override { return static_cast<long>(items_.size()); }
    CommandBarControl& Item(long index) override;
    CommandBarControl& Item(std::string_view caption) override;

    // A built-in control of the IDE.
    MemoryCommandBarControl& AddBuiltIn(int id, std::string caption);
    void Remove(MemoryCommandBarControl& control);

private:
    MemoryEvents& events_;
    std::vector<std::unique_ptr<MemoryCommandBarControl>> items_;
};

class MemoryCommandBar : public CommandBar {
public:
    MemoryCommandBar(std::string name, MemoryEvents& events)
        : name_(std::move(name)), controls_(events) {}
    std::string Name() const override { return name_; }
    CommandBarControls& Controls() override { return controls_; }
    MemoryCommandBarControls& Items() { return controls_; }

private:
    std::string name_;
    MemoryCommandBarControls controls_;
};

class MemoryCommandBars : public CommandBars {
public:
    // The IDE's bars: the menu bar (index 1), "Standard" (index 2), the code
    // window and project window pop-ups, each with the built-in controls the
    // add-in anchors on.
    explicit MemoryCommandBars(MemoryEvents& events);
    long Count() const override { return static_cast<long>(bars_.size()); }
    CommandBar& Item(long index) override;
    CommandBar& Item(std::string_view name) override;
    MemoryCommandBar& Add(std::string name);

private:
    MemoryEvents& events_;
    std::vector<std::unique_ptr<MemoryCommandBar>> bars_;
};

class MemoryCommandBarEvents : public CommandBarEvents {
public:
    explicit MemoryCommandBarEvents(CommandBarControl& control) : control_(&control) {}
    void OnClick(ClickHandler handler) override { handler_ = std::move(handler); }
    CommandBarControl* Control() const { return control_; }
    void Detach() { control_ = nullptr; }
    void Raise(bool& handled, bool& cancelDefault);

private:
    CommandBarControl* control_;
    ClickHandler handler_;
};

class MemoryEvents : public Events {
public:
    std::shared_ptr<host::CommandBarEvents> CommandBarEvents(CommandBarControl& control) override;
    // Raises Click on every live source of the control.
    void Click(CommandBarControl& control);
    void ControlDeleted(CommandBarControl& control);

private:
    std::vector<std::weak_ptr<MemoryCommandBarEvents>> sources_;
};

}  // namespace qv::host::memory
