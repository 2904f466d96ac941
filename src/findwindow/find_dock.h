#pragma once
// The find tool window in the workbench: a dock of the main window that shows
// the find document and mirrors the host's tool window record (visible,
// left, top, width, height, in pixels). Its place (dock area or floating)
// and size are kept in the IDE's settings store under the window's position
// identifier, so the next run opens it where the user left it.

#include <QDockWidget>
#include <QMainWindow>
#include <QTimer>
#include <string>

#include "findwindow/find_tool_window.h"
#include "settings/reg_settings.h"

namespace qv::findwindow {

// Where a dock was left: its area, whether it floats, and its frame on the
// screen.
struct DockPlace {
    Qt::DockWidgetArea area = Qt::RightDockWidgetArea;
    bool floating = false;
    QRect frame;

    bool operator==(const DockPlace&) const = default;
};

// The place stored under a position identifier; nothing when none is.
std::optional<DockPlace> LoadDockPlace(const settings::CRegSettings& store,
                                       std::string_view positionId);
void SaveDockPlace(settings::CRegSettings& store, std::string_view positionId,
                   const DockPlace& place);
// The IDE's own store (company "Microsoft", application "VBA").
settings::CRegSettings IdeStore();

class FindDock : public QDockWidget {
public:
    // Puts the find window into a new dock of the main window, at the stored
    // place, and writes that place into the host's window record.
    FindDock(QMainWindow& main, host::Window& window, FindWindow& find);
    ~FindDock() override;
    FindDock(const FindDock&) = delete;
    FindDock& operator=(const FindDock&) = delete;

    // Shows the dock as the host's record says (after the host's show rules
    // have grown it and brought it on screen).
    void ApplyHostWindow();
    // The place now.
    DockPlace Place() const;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RestorePlace();
    // Gives the dock its size across its area and along it, the docks
    // beside it sharing the rest.
    void ResizeInArea(const QSize& size);
    void PlaceChanged();
    void RecordInHostWindow();
    void SavePlace();

    QMainWindow& main_;
    host::Window& window_;
    Qt::DockWidgetArea area_ = Qt::RightDockWidgetArea;
    bool applying_ = false;  // the dock follows the record: nothing to record
    QTimer saveTimer_;       // a drag moves the dock often; the store is written once
};

// The workbench's "find" command: shows the find window in its dock,
// creating the host's tool window and the dock on first use (see
// ShowFindWindow for the rules).
void ShowFindDock(FindToolWindow& tool, host::AddInInstance& addIn, host::VBE& vbe,
                  QMainWindow& main);

}  // namespace qv::findwindow
