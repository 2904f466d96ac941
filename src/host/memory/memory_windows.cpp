#include "host/memory/memory_windows.h"

#include <algorithm>

#include "platform/vb_error.h"

namespace qv::host::memory {

namespace {
long long NextHandle() {
    static long long next = 0x10000;
    return next += 4;
}
}  // namespace

void MemoryLinkedWindows::Add(Window& window) {
    if (std::find(items_.begin(), items_.end(), &window) == items_.end()) {
        items_.push_back(&window);
    }
}

MemoryWindow::MemoryWindow(int type, std::string caption)
    : type_(type), caption_(std::move(caption)), handle_(NextHandle()) {
    if (type == vbext_wt_LinkedWindowFrame) linked_ = std::make_unique<MemoryLinkedWindows>();
}

void MemoryWindow::SetFocus() {
    if (onFocus_) onFocus_(*this);
}

void MemoryWindow::Close() {
    visible_ = false;
    closed_ = true;
}

Window& MemoryWindows::Item(long index) {
    if (index < 1 || index > static_cast<long>(items_.size())) Raise(err::kSubscriptOutOfRange);
    return *items_[static_cast<size_t>(index - 1)];
}

MemoryWindow& MemoryWindows::Add(int type, std::string caption) {
    owned_.push_back(std::make_unique<MemoryWindow>(type, std::move(caption)));
    items_.push_back(owned_.back().get());
    return *owned_.back();
}

void MemoryWindows::Forget(MemoryWindow& window) {
    items_.erase(std::remove(items_.begin(), items_.end(), &window), items_.end());
}

void MemoryWindows::RegisterDocument(std::string progId, DocumentFactory factory) {
    factories_[std::move(progId)] = std::move(factory);
}

Window& MemoryWindows::CreateToolWindow(AddInInstance&, std::string_view progId,
                                        std::string_view caption, std::string_view,
                                        DocumentObject*& docObject) {
    auto factory = factories_.find(std::string(progId));
    if (factory == factories_.end()) Raise(err::kObjectRequired, "No document " + std::string(progId));
    MemoryWindow& window = Add(vbext_wt_ToolWindow, std::string(caption));
    window.SetDocument(factory->second());
    docObject = window.Document();
    return window;
}

}  // namespace qv::host::memory
