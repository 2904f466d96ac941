#include "findwindow/find_dock.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "platform/vb_error.h"
#include "settings/store_names.h"

namespace qv::findwindow {

namespace {

constexpr int kSaveDelayMs = 300;
// The share of the main window's height the find window takes when it is
// first shown, in percent.
constexpr int kFirstHeightShare = 55;

std::string PlaceSection(std::string_view positionId) {
    return "Tool Windows\\" + std::string(positionId);
}

long StoredNumber(const settings::CRegSettings& store, const std::string& section,
                  std::string_view key) {
    try {
        return std::stol(store.GetSetting(section, key, "0"));
    } catch (const std::exception&) {
        return 0;  // a value edited by hand into something else
    }
}

Qt::DockWidgetArea KnownArea(long value) {
    switch (value) {
        case Qt::LeftDockWidgetArea:
        case Qt::RightDockWidgetArea:
        case Qt::TopDockWidgetArea:
        case Qt::BottomDockWidgetArea: return static_cast<Qt::DockWidgetArea>(value);
        default: return Qt::RightDockWidgetArea;
    }
}

QRect PrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

settings::CRegSettings IdeStore() {
    settings::CRegSettings store;
    store.SetCompany(settings::kIdeCompany);
    store.SetAppName(settings::kIdeAppName);
    return store;
}

std::optional<DockPlace> LoadDockPlace(const settings::CRegSettings& store,
                                       std::string_view positionId) {
    const std::string section = PlaceSection(positionId);
    if (!store.HasSetting(section, "Width")) return std::nullopt;
    DockPlace place;
    place.area = KnownArea(StoredNumber(store, section, "Area"));
    place.floating = StoredNumber(store, section, "Floating") != 0;
    place.frame = QRect(static_cast<int>(StoredNumber(store, section, "Left")),
                        static_cast<int>(StoredNumber(store, section, "Top")),
                        static_cast<int>(StoredNumber(store, section, "Width")),
                        static_cast<int>(StoredNumber(store, section, "Height")));
    return place;
}

void SaveDockPlace(settings::CRegSettings& store, std::string_view positionId,
                   const DockPlace& place) {
    const std::string section = PlaceSection(positionId);
    store.SaveSetting(section, "Area", std::to_string(static_cast<int>(place.area)));
    store.SaveSetting(section, "Floating", place.floating ? "1" : "0");
    store.SaveSetting(section, "Left", std::to_string(place.frame.left()));
    store.SaveSetting(section, "Top", std::to_string(place.frame.top()));
    store.SaveSetting(section, "Width", std::to_string(place.frame.width()));
    store.SaveSetting(section, "Height", std::to_string(place.frame.height()));
}

FindDock::FindDock(QMainWindow& main, host::Window& window, FindWindow& find)
    : QDockWidget(QString::fromStdString(window.Caption()), &main), main_(main), window_(window) {
    setObjectName("qvaddin.find");
    setWidget(&find);
    saveTimer_.setSingleShot(true);
    connect(&saveTimer_, &QTimer::timeout, this, [this] { SavePlace(); });
    connect(this, &QDockWidget::dockLocationChanged, this, [this](Qt::DockWidgetArea area) {
        if (area != Qt::NoDockWidgetArea) area_ = area;
        PlaceChanged();
    });
    connect(this, &QDockWidget::topLevelChanged, this, [this] { PlaceChanged(); });
    RestorePlace();
}

FindDock::~FindDock() {
    if (saveTimer_.isActive()) IgnoringErrors([this] { SavePlace(); });
}

void FindDock::RestorePlace() {
    const std::optional<DockPlace> place = LoadDockPlace(IdeStore(), kFindWindowPositionId);
    area_ = place ? place->area : Qt::RightDockWidgetArea;
    main_.addDockWidget(area_, this);
    hide();
    if (!place) {
        // First shown beside the project window: most of the column's
        // height, so that the results have rows to show.
        RecordInHostWindow();
        window_.SetHeight(std::max<long>(window_.Height(), main_.height() * kFirstHeightShare / 100));
        return;
    }
    setFloating(place->floating);
    window_.SetLeft(place->frame.left());
    window_.SetTop(place->frame.top());
    window_.SetWidth(place->frame.width());
    window_.SetHeight(place->frame.height());
}

void FindDock::ApplyHostWindow() {
    applying_ = true;
    const QRect frame(static_cast<int>(window_.Left()), static_cast<int>(window_.Top()),
                      static_cast<int>(window_.Width()), static_cast<int>(window_.Height()));
    setVisible(window_.Visible());
    if (isFloating()) {
        setGeometry(frame);
    } else {
        ResizeInArea(frame.size());
    }
    applying_ = false;
    RecordInHostWindow();
}

void FindDock::ResizeInArea(const QSize& size) {
    const bool sideways = area_ == Qt::LeftDockWidgetArea || area_ == Qt::RightDockWidgetArea;
    main_.resizeDocks({this}, {sideways ? size.width() : size.height()},
                      sideways ? Qt::Horizontal : Qt::Vertical);
    // Along the area the docks beside it share what the find window leaves.
    QList<QDockWidget*> docks{this};
    for (QDockWidget* dock : main_.findChildren<QDockWidget*>()) {
        if (dock != this && dock->isVisible() && !dock->isFloating() &&
            main_.dockWidgetArea(dock) == area_)
            docks << dock;
    }
    if (docks.size() < 2) return;
    const int along = sideways ? size.height() : size.width();
    const int space = sideways ? main_.centralWidget()->height() : main_.centralWidget()->width();
    const int rest = std::max(0, space - along);
    // The others keep their proportions among themselves.
    int others = 0;
    for (qsizetype i = 1; i < docks.size(); ++i)
        others += std::max(1, sideways ? docks[i]->height() : docks[i]->width());
    QList<int> sizes{along};
    for (qsizetype i = 1; i < docks.size(); ++i) {
        const int now = std::max(1, sideways ? docks[i]->height() : docks[i]->width());
        sizes << static_cast<int>(static_cast<long long>(rest) * now / others);
    }
    main_.resizeDocks(docks, sizes, sideways ? Qt::Vertical : Qt::Horizontal);
}

DockPlace FindDock::Place() const {
    const QPoint topLeft = isFloating() ? geometry().topLeft() : mapToGlobal(QPoint(0, 0));
    return {area_, isFloating(), QRect(topLeft, size())};
}

void FindDock::moveEvent(QMoveEvent* event) {
    QDockWidget::moveEvent(event);
    PlaceChanged();
}

void FindDock::resizeEvent(QResizeEvent* event) {
    QDockWidget::resizeEvent(event);
    PlaceChanged();
}

void FindDock::PlaceChanged() {
    if (applying_ || !isVisible()) return;
    RecordInHostWindow();
    saveTimer_.start(kSaveDelayMs);
}

void FindDock::RecordInHostWindow() {
    const DockPlace place = Place();
    window_.SetLeft(place.frame.left());
    window_.SetTop(place.frame.top());
    window_.SetWidth(place.frame.width());
    window_.SetHeight(place.frame.height());
}

void FindDock::SavePlace() {
    settings::CRegSettings store = IdeStore();
    SaveDockPlace(store, kFindWindowPositionId, Place());
}

void ShowFindDock(FindToolWindow& tool, host::AddInInstance& addIn, host::VBE& vbe,
                  QMainWindow& main) try {
    if (tool.window == nullptr) CreateFindToolWindow(tool, addIn, vbe);
    if (tool.dock.isNull()) {
        FindWindow* find = tool.document->Window();
        if (find == nullptr) Raise(err::kObjectRequired, "The find window is gone");
        tool.dock = new FindDock(main, *tool.window, *find);
    }
    ShowFindWindow(tool, addIn, vbe, PrimaryScreen());
    static_cast<FindDock*>(tool.dock.data())->ApplyHostWindow();
    // The command that showed the window gives the focus back to where it
    // was when it ends: the search box takes it once the command is over.
    // (The timer goes with the window, should that go first.)
    FindWindow* find = tool.document->Window();
    QTimer::singleShot(0, find, [find] {
        if (find->isVisible()) find->FocusSearchBox();
    });
} QV_PASS_UP("CommonCode", "ShowFindDock")

}  // namespace qv::findwindow
