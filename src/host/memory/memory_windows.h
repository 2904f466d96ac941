#pragma once
// The IDE's windows as plain records: type, caption, visibility, position.
// A closed window stays in the collection, hidden, as a code window does.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/code_host.h"

namespace qv::host::memory {

class MemoryWindow;

class MemoryLinkedWindows : public LinkedWindows {
public:
    void Add(Window& window) override;
    const std::vector<Window*>& Items() const { return items_; }

private:
    std::vector<Window*> items_;
};

class MemoryWindow : public Window {
public:
    MemoryWindow(int type, std::string caption);
    std::string Caption() const override { return caption_; }
    int Type() const override { return type_; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override { visible_ = visible; }
    long Left() const override { return left_; }
    long Top() const override { return top_; }
    long Width() const override { return width_; }
    long Height() const override { return height_; }
    void SetLeft(long value) override { left_ = value; }
    void SetTop(long value) override { top_ = value; }
    void SetWidth(long value) override { width_ = value; }
    void SetHeight(long value) override { height_ = value; }
    void SetFocus() override;
    void Close() override;
    long long HWnd() const override { return handle_; }
    Window* LinkedWindowFrame() override { return frame_; }
    host::LinkedWindows* LinkedWindows() override { return linked_.get(); }

    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    void SetFrame(Window* frame) { frame_ = frame; }
    void SetFocusHandler(std::function<void(MemoryWindow&)> handler) {
        onFocus_ = std::move(handler);
    }
    bool Closed() const { return closed_; }
    void SetDocument(std::unique_ptr<DocumentObject> document) { document_ = std::move(document); }
    DocumentObject* Document() { return document_.get(); }

private:
    int type_;
    std::string caption_;
    bool visible_ = false;
    bool closed_ = false;
    long left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
    long long handle_;
    Window* frame_ = nullptr;
    std::unique_ptr<MemoryLinkedWindows> linked_;
    std::unique_ptr<DocumentObject> document_;
    std::function<void(MemoryWindow&)> onFocus_;
};

// Makes the document object of a tool window, by its programmatic id.
using DocumentFactory = std::function<std::unique_ptr<DocumentObject>()>;

class MemoryWindows : public Windows {
public:
    long Count() const override { return static_cast<long>(items_.size()); }
    Window& Item(long index) override;
    Window& CreateToolWindow(AddInInstance& addIn, std::string_view progId,
                             std::string_view caption, std::string_view positionGuid,
                             DocumentObject*& docObject) override;

    // Windows the IDE makes itself (code windows are made by their panes).
    MemoryWindow& Add(int type, std::string caption);
    // Adopts a window that another object owns (a code pane's window).
    void Adopt(MemoryWindow& window) { items_.push_back(&window); }
    void Forget(MemoryWindow& window);
    void RegisterDocument(std::string progId, DocumentFactory factory);

private:
    std::vector<Window*> items_;
    std::vector<std::unique_ptr<MemoryWindow>> owned_;
    std::map<std::string, DocumentFactory> factories_;
};

}  // namespace qv::host::memory
