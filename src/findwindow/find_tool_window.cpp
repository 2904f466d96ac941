#include "findwindow/find_tool_window.h"

#include "host/memory/memory_windows.h"
#include "platform/services.h"
#include "platform/vb_error.h"

namespace qv::findwindow {

FindDocument::FindDocument() : window_(new FindWindow) {}

FindDocument::~FindDocument() {
    FindWindow* window = window_.data();
    if (window == nullptr) return;
    // The host that owns this document is being taken down. A dock that
    // took the widget deletes it with itself, maybe later: the window lets
    // go of the host now.
    window->ForgetHost();
    if (window->parentWidget() == nullptr) delete window;
}

void RegisterFindDocument(host::memory::MemoryWindows& windows) {
    windows.RegisterDocument(std::string(kFindDocumentProgId),
                             [] { return std::make_unique<FindDocument>(); });
}

void CreateFindToolWindow(FindToolWindow& tool, host::AddInInstance& addIn, host::VBE& vbe) {
    host::DocumentObject* document = nullptr;
    host::Window& window = vbe.Windows().CreateToolWindow(
        addIn, kFindDocumentProgId, kFindWindowCaption, kFindWindowPositionId, document);
    auto* findDocument = dynamic_cast<FindDocument*>(document);
    if (findDocument == nullptr || findDocument->Window() == nullptr) {
        Raise(err::kObjectRequired, "The tool window holds no find document");
    }
    tool.window = &window;
    tool.document = findDocument;
    GetServices().DoEvents();
    findDocument->Window()->ReSize();
}

namespace {

void GrowToMinimum(host::Window& window, const FindWindow& find) {
    if (window.Height() < find.MinHeight()) window.SetHeight(find.MinHeight());
    if (window.Width() < find.MinWidth()) window.SetWidth(find.MinWidth());
}

}  // namespace

void ShowFindWindow(FindToolWindow& tool, host::AddInInstance& addIn, host::VBE& vbe,
                    const QRect& screen) try {
    if (tool.window == nullptr) CreateFindToolWindow(tool, addIn, vbe);
    FindWindow* find = tool.document->Window();
    if (find == nullptr) Raise(err::kObjectRequired, "The find window is gone");
    find->SetVBInstance(&vbe);
    find->SetProjects(&vbe.VBProjects());
    find->ShowFind();
    tool.window->SetVisible(true);
    GrowToMinimum(*tool.window, *find);
    find->ReSize();
    BringOnScreen(*tool.window, screen);
} QV_PASS_UP("CommonCode", "ShowFindWindow")

void BringOnScreen(host::Window& window, const QRect& screen) {
    const long screenWidth = screen.width();
    const long screenHeight = screen.height();
    if (window.Left() < 0 || window.Left() + window.Width() > screenWidth) {
        window.SetLeft((screenWidth - window.Width()) / 2);
    }
    if (window.Top() < 0 || window.Top() + window.Height() > screenHeight) {
        window.SetTop((screenHeight - window.Height()) / 2);
    }
}

}  // namespace qv::findwindow
