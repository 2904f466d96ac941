#pragma once
// The main window: four pages on a tab strip ("&Information", "&Options",
// "&View and Insert", "Example Error&Log"), opened modally over the whole
// screen by the "tool" and "check" commands.
//
//     mainwindow::ShowMainWindow(vbe, mainwindow::kDisplayCheck, parent);

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <functional>

#include "host/code_host.h"
#include "settings/settings_record.h"

namespace qv::mainwindow {

class OptionsPage;
class ProjectBrowser;

// How the window was opened.
inline constexpr int kDisplayPlain = 0;
inline constexpr int kDisplayTool = 1;   // the active project is chosen
inline constexpr int kDisplayCheck = 2;  // also the selected component, with its routines

// Page indexes of the tab strip.
inline constexpr int kInformationPage = 0;
inline constexpr int kOptionsPage = 1;
inline constexpr int kViewPage = 2;
inline constexpr int kExamplePage = 3;

class MainWindow : public QDialog {
  public:
    MainWindow(host::VBE& vbe, int displayType, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Hides the splash and applies the display type (the first focus after
    // showing does this); the type is 0 afterwards.
    void ApplyDisplayType();
    int DisplayType() const { return displayType_; }
    bool SplashShown() const;

    // "LIST": refreshes the project list on page 3; nothing is chosen.
    void RefreshProjects();
    // Opened by "tool": the active project is chosen.
    void DisplayTool();
    // Opened by "check": also the selected component's row, its routines listed.
    void DisplayCheck();

    void ShowPage(int index);
    int PageIndex() const;
    void CopyExample();
    void OpenContact(int index);
    // "Close": only while the window is enabled (not inside a command), and
    // only when the close guard (if any) lets it go.
    void CloseWindow();
    // Asked before the window closes, with the window to ask over: false
    // keeps it open as it is. The program that shows this window alone (the
    // workbench's external mode) asks about unsaved changes here.
    void SetCloseGuard(std::function<bool(QWidget*)> mayClose) { mayClose_ = std::move(mayClose); }

    ProjectBrowser& Browser() { return *browser_; }
    OptionsPage& Options() { return *options_; }
    QTabWidget& Tabs() { return *tabs_; }
    QTextBrowser& HelpBox() { return *help_; }
    QPlainTextEdit& ExampleBox() { return *example_; }
    QPushButton& CopyButton() { return *copy_; }
    QPushButton& CloseButton() { return *close_; }
    QList<QLabel*> ContactLabelWidgets() const { return contacts_; }

    // Escape and the title bar's close button close as "Close" does.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* InformationPage();
    QWidget* ExamplePage();
    void PlaceOnScreen();
    void PageChanged(int index);

    host::VBE& vbe_;
    int displayType_;
    // The window's run of settings, loaded as it opens; the options page
    // renews it when it stores the user's values.
    settings::SettingsRecord settings_;
    int shownPage_ = -1;
    QTabWidget* tabs_ = nullptr;
    QWidget* splash_ = nullptr;
    ProjectBrowser* browser_ = nullptr;
    OptionsPage* options_ = nullptr;
    QTextBrowser* help_ = nullptr;
    QPlainTextEdit* example_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* close_ = nullptr;
    QList<QLabel*> contacts_;
    std::function<bool(QWidget*)> mayClose_;
};

// The entry point of the programs: creates the window over the host's root
// and shows it modally with the display type (kDisplayTool, kDisplayCheck);
// returns when it is closed. mayClose: the close guard (SetCloseGuard).
void ShowMainWindow(host::VBE& vbe, int displayType, QWidget* parent = nullptr,
                    std::function<bool(QWidget*)> mayClose = {});

// The window's caption: the title and the version.
QString MainWindowCaption();

}  // namespace qv::mainwindow
