#include "host/memory/memory_command_bars.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::host::memory {

// ---------------------------------------------------------------- controls

MemoryCommandBarControl::MemoryCommandBarControl(MemoryCommandBarControls& owner,
                                                 MemoryEvents& events, int type, int id,
                                                 bool temporary)
    : owner_(owner), events_(events), type_(type), id_(id), temporary_(temporary) {
    if (type == msoControlPopup) children_ = std::make_unique<MemoryCommandBarControls>(events);
}

MemoryCommandBarControl::~MemoryCommandBarControl() { events_.ControlDeleted(*this); }

void MemoryCommandBarControl::Delete() { owner_.Remove(*this); }

void MemoryCommandBarControl::Execute() { events_.Click(*this); }

CommandBarControls* MemoryCommandBarControl::Controls() { return children_.get(); }

CommandBarControl& MemoryCommandBarControls::Add(int type, int id, std::string_view parameter,
                                                 int before, bool temporary) {
    auto control = std::make_unique<MemoryCommandBarControl>(*this, events_, type, id, temporary);
    control->SetParameter(parameter);
    MemoryCommandBarControl& added = *control;
    if (before >= 1 && before <= static_cast<int>(items_.size())) {
        items_.insert(items_.begin() + (before - 1), std::move(control));
    } else {
        items_.push_back(std::move(control));
    }
    return added;
}

CommandBarControl& MemoryCommandBarControls::Item(long index) {
    if (index < 1 || index > static_cast<long>(items_.size())) Raise(err::kSubscriptOutOfRange);
    return *items_[static_cast<size_t>(index - 1)];
}

CommandBarControl& MemoryCommandBarControls::Item(std::string_view caption) {
    for (auto& c : items_) {
        if (c->Caption() == caption) return *c;
    }
    for (auto& c : items_) {
        if (text::EqualsIgnoreCase(c->Caption(), caption)) return *c;
    }
    Raise(err::kSubscriptOutOfRange);
}

MemoryCommandBarControl& MemoryCommandBarControls::AddBuiltIn(int id, std::string caption) {
    auto& c = static_cast<MemoryCommandBarControl&>(Add(msoControlButton, id, {}, 0, false));
    c.SetCaption(caption);
    return c;
}

void MemoryCommandBarControls::Remove(MemoryCommandBarControl& control) {
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [&](const auto& c) { return c.get() == &control; }),
                 items_.end());
}

// ---------------------------------------------------------------- bars

MemoryCommandBars::MemoryCommandBars(MemoryEvents& events) : events_(events) {
    MemoryCommandBar& menu = Add("Menu Bar");
    for (const char* caption : {"&File", "&Edit", "&View", "&Project", "F&ormat", "&Debug",
                                "&Run", "Q&uery", "D&iagram", "&Tools", "&Add-Ins", "&Window",
                                "&Help"}) {
        menu.Items().AddBuiltIn(1, caption);
    }
    MemoryCommandBar& standard = Add("Standard");
    standard.Items().AddBuiltIn(2778, "Add Standard EXE Project");
    standard.Items().AddBuiltIn(3, "Save Project");
    standard.Items().AddBuiltIn(548, "Object Browser");
    standard.Items().AddBuiltIn(2550, "Toolbox");
    MemoryCommandBar& code = Add("Code Window");
    code.Items().AddBuiltIn(21, "Cu&t");
    code.Items().AddBuiltIn(32805, "&Toggle");
    code.Items().AddBuiltIn(2557, "&Definition");
    for (const char* name : {"Project Window", "Project Window Project"}) {
        MemoryCommandBar& bar = Add(name);
        bar.Items().AddBuiltIn(2558, "View &Code");
        bar.Items().AddBuiltIn(2578, "&Properties");
    }
    for (const char* name : {"Project Window Form Folder", "Project Window Module/Class Folder"}) {
        MemoryCommandBar& bar = Add(name);
        bar.Items().AddBuiltIn(2558, "View &Code");
        bar.Items().AddBuiltIn(222, "&Properties");
    }
}

CommandBar& MemoryCommandBars::Item(long index) {
    if (index < 1 || index > static_cast<long>(bars_.size())) Raise(err::kSubscriptOutOfRange);
    return *bars_[static_cast<size_t>(index - 1)];
}

CommandBar& MemoryCommandBars::Item(std::string_view name) {
    for (auto& b : bars_) {
        if (text::EqualsIgnoreCase(b->Name(), name)) return *b;
    }
    Raise(err::kSubscriptOutOfRange);
}

MemoryCommandBar& MemoryCommandBars::Add(std::string name) {
    bars_.push_back(std::make_unique<MemoryCommandBar>(std::move(name), events_));
    return *bars_.back();
}

// ---------------------------------------------------------------- events

void MemoryCommandBarEvents::Raise(bool& handled, bool& cancelDefault) {
    if (control_ != nullptr && handler_) handler_(*control_, handled, cancelDefault);
}

std::shared_ptr<host::CommandBarEvents> MemoryEvents::CommandBarEvents(CommandBarControl& control) {
    auto source = std::make_shared<MemoryCommandBarEvents>(control);
    sources_.push_back(source);
    return source;
}

void MemoryEvents::Click(CommandBarControl& control) {
    // Handlers may release sources or delete controls while they run.
    std::vector<std::shared_ptr<MemoryCommandBarEvents>> live;
    for (auto& weak : sources_) {
        if (auto s = weak.lock(); s && s->Control() == &control) live.push_back(s);
    }
    bool handled = false, cancelDefault = false;
    for (auto& s : live) s->Raise(handled, cancelDefault);
    sources_.erase(std::remove_if(sources_.begin(), sources_.end(),
                                  [](const auto& w) { return w.expired(); }),
                   sources_.end());
}

void MemoryEvents::ControlDeleted(CommandBarControl& control) {
    for (auto& weak : sources_) {
        if (auto s = weak.lock(); s && s->Control() == &control) s->Detach();
    }
}

}  // namespace qv::host::memory
