#include <algorithm>

#include "host/memory/memory_host.h"
#include "host/memory/memory_vbe.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::host::memory {

namespace {
template <typename T>
T& ItemAt(std::vector<std::unique_ptr<T>>& items, long index) {
    if (index < 1 || index > static_cast<long>(items.size())) Raise(err::kSubscriptOutOfRange);
    return *items[static_cast<size_t>(index - 1)];
}
}  // namespace

// ---------------------------------------------------------------- properties

Property& MemoryProperties::Item(long index) { return ItemAt(items_, index); }

Property& MemoryProperties::Item(std::string_view name) {
    for (auto& p : items_) {
        if (text::EqualsIgnoreCase(p->Name(), name)) return *p;
    }
    Raise(err::kSubscriptOutOfRange);
}

void MemoryProperties::Set(std::string_view name, std::string_view value) {
    for (auto& p : items_) {
        if (text::EqualsIgnoreCase(p->Name(), name)) {
            p->SetValue(value);
            return;
        }
    }
    items_.push_back(std::make_unique<MemoryProperty>(std::string(name), std::string(value)));
}

bool MemoryProperties::Has(std::string_view name) const {
    return std::any_of(items_.begin(), items_.end(),
                       [&](const auto& p) { return text::EqualsIgnoreCase(p->Name(), name); });
}

// ---------------------------------------------------------------- controls

MemoryControl::MemoryControl(std::string name) : name_(std::move(name)) {
    properties_.Set("Name", name_);
}

VBControl& MemoryControls::Item(long index) { return ItemAt(items_, index); }

VBControl& MemoryControls::Item(std::string_view name) {
    // A control array answers with its first element.
    for (auto& c : items_) {
        if (text::EqualsIgnoreCase(c->ControlName(), name)) return *c;
    }
    Raise(err::kSubscriptOutOfRange);
}

MemoryControl& MemoryControls::Add(std::string name) {
    items_.push_back(std::make_unique<MemoryControl>(std::move(name)));
    return *items_.back();
}

// ---------------------------------------------------------------- components

MemoryComponent::MemoryComponent(MemoryComponents& collection, std::string name, int type)
    : collection_(collection), name_(std::move(name)), type_(type) {
    // Resource files and related documents hold no code.
    if (type != vbext_ct_ResFile && type != vbext_ct_RelatedDocument) {
        code_ = std::make_unique<MemoryCodeModule>(*this);
    }
}

std::string MemoryComponent::FileNames(int index) const {
    if (index < 1 || index > static_cast<int>(files_.size())) Raise(err::kSubscriptOutOfRange);
    return files_[static_cast<size_t>(index - 1)];
}

VBComponents& MemoryComponent::Collection() { return collection_; }

MemoryDesigner& MemoryComponent::EnsureDesigner() {
    if (!designer_) designer_ = std::make_unique<MemoryDesigner>();
    return *designer_;
}

VBComponent& MemoryComponents::Item(long index) { return ItemAt(items_, index); }

VBComponent& MemoryComponents::Item(std::string_view name) {
    if (MemoryComponent* c = Find(name)) return *c;
    Raise(err::kSubscriptOutOfRange);
}

MemoryComponent* MemoryComponents::Find(std::string_view name) {
    auto found = byName_.find(text::ToLower(name));
    return found == byName_.end() ? nullptr : found->second;
}

VBProject& MemoryComponents::Parent() { return project_; }

MemoryComponent& MemoryComponents::Add(std::string name, int type) {
    items_.push_back(std::make_unique<MemoryComponent>(*this, std::move(name), type));
    byName_.emplace(text::ToLower(items_.back()->Name()), items_.back().get());
    return *items_.back();
}

void MemoryComponents::Remove(MemoryComponent& component) {
    project_.Vbe().ComponentRemoved(component);
    const std::string key = text::ToLower(component.Name());
    auto named = byName_.find(key);
    if (named != byName_.end() && named->second == &component) byName_.erase(named);
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [&](const auto& c) { return c.get() == &component; }),
                 items_.end());
    // Another component of the same name becomes the one found by it.
    for (auto& c : items_) {
        if (text::ToLower(c->Name()) == key) {
            byName_.emplace(key, c.get());
            break;
        }
    }
}

// ---------------------------------------------------------------- projects

MemoryProject::MemoryProject(MemoryVbe& vbe, std::string name, int type)
    : vbe_(vbe), name_(std::move(name)), type_(type), components_(*this) {}

host::VBE& MemoryProject::VBE() { return vbe_; }

text::CodePage MemoryProject::TextCodePage() const {
    return codePage_ ? *codePage_ : vbe_.TextCodePage();
}

void MemoryComponent::ReleaseCode() {
    if (code_ == nullptr) return;
    Owner().Project().Vbe().CodeRemoved(*code_);
    code_.reset();
}

text::CodePage MemoryComponent::TextCodePage() const {
    return codePage_ ? *codePage_ : Owner().Project().Vbe().TextCodePage();
}

void MemoryProject::Rename(std::string name) {
    std::string old = std::move(name_);
    name_ = std::move(name);
    vbe_.Projects().NotifyRenamed(*this, old);
}

VBProject& MemoryProjects::Item(long index) { return ItemAt(items_, index); }

VBProject& MemoryProjects::Item(std::string_view name) {
    if (MemoryProject* p = Find(name)) return *p;
    Raise(err::kSubscriptOutOfRange);
}

MemoryProject* MemoryProjects::Find(std::string_view name) {
    for (auto& p : items_) {
        if (text::EqualsIgnoreCase(p->Name(), name)) return p.get();
    }
    return nullptr;
}

void MemoryProjects::Subscribe(ProjectsObserver* observer) { observers_.push_back(observer); }

void MemoryProjects::Unsubscribe(ProjectsObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer),
                     observers_.end());
}

MemoryProject& MemoryProjects::Add(std::string name, int type) {
    items_.push_back(std::make_unique<MemoryProject>(vbe_, std::move(name), type));
    MemoryProject& added = *items_.back();
    for (ProjectsObserver* o : std::vector<ProjectsObserver*>(observers_)) o->ItemAdded(added);
    return added;
}

void MemoryProjects::Remove(MemoryProject& project) {
    for (ProjectsObserver* o : std::vector<ProjectsObserver*>(observers_)) o->ItemRemoved(project);
    vbe_.ProjectRemoved(project);
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [&](const auto& p) { return p.get() == &project; }),
                 items_.end());
}

void MemoryProjects::Clear() {
    observers_.clear();
    while (!items_.empty()) {
        vbe_.ProjectRemoved(*items_.back());
        items_.pop_back();
    }
}

void MemoryProjects::NotifyRenamed(MemoryProject& project, std::string_view oldName) {
    for (ProjectsObserver* o : std::vector<ProjectsObserver*>(observers_)) {
        o->ItemRenamed(project, oldName);
    }
}

}  // namespace qv::host::memory
