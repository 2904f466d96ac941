#pragma once
// The find window as a tool window of the code host: the host creates the
// window and its document (the FindWindow) on first use, under the fixed
// identifier by which it remembers the window's place; every later call only
// shows it again, at least as large as its controls need and on the screen.

#include <QDockWidget>
#include <QPointer>
#include <QRect>
#include <string_view>

#include "findwindow/find_window.h"
#include "host/code_host.h"

namespace qv::host::memory {
class MemoryWindows;
}

namespace qv::findwindow {

inline constexpr std::string_view kFindDocumentProgId = "qvaddin.UDFind";
inline constexpr std::string_view kFindWindowCaption = "Find";
// The identifier under which the host remembers the window's place and size.
inline constexpr std::string_view kFindWindowPositionId = "E50B2A82-B067-11D2-9F4F-00104B07E318";

// The document object of the tool window: it holds the find window. The
// widget may be handed to a dock, which then owns it.
class FindDocument : public host::DocumentObject {
public:
    FindDocument();
    ~FindDocument() override;
    FindDocument(const FindDocument&) = delete;
    FindDocument& operator=(const FindDocument&) = delete;

    // Null once a dock that took the widget has deleted it.
    FindWindow* Window() const { return window_.data(); }

private:
    QPointer<FindWindow> window_;
};

// Lets the in-memory host create the find document by its programmatic id.
void RegisterFindDocument(host::memory::MemoryWindows& windows);

// What the connection keeps of the find window: the host's tool window, its
// document and the dock that shows it (all null until first shown).
struct FindToolWindow {
    host::Window* window = nullptr;
    FindDocument* document = nullptr;
    QPointer<QDockWidget> dock;
};

// Asks the host for the tool window and its document.
void CreateFindToolWindow(FindToolWindow& tool, host::AddInInstance& addIn, host::VBE& vbe);

// Creates the tool window on first use; then, every time: hands the document
// the host and its projects, takes the code pane's selection as the search
// text, shows the window, grows it to its minimum size and brings it back on
// the screen (centred along the axis where it was off). screen: the screen
// in pixels.
void ShowFindWindow(FindToolWindow& tool, host::AddInInstance& addIn, host::VBE& vbe,
                    const QRect& screen);

// The on-screen rule alone: along each axis where the window is off the
// screen, it is centred.
void BringOnScreen(host::Window& window, const QRect& screen);

}  // namespace qv::findwindow
