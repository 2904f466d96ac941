#pragma once
// The page "&Options" of the main window: every user setting in an editable
// control, "&Save" enabled only while the page differs from what is stored,
// saving to the user's store (after which the engines use the new values at
// once) and "Defaults".

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <array>
#include <string>

#include "settings/settings_record.h"
#include "settings/string_table.h"

namespace qv::mainwindow {

// The sixteen window types of "Close &Windows", in the order of the flags.
const QStringList& WindowTypeNames();

class OptionsPage : public QWidget {
  public:
    // settings: the window's run of settings, which the page shows and
    // renews when it stores the user's values. companyDefaults: the string
    // table whose company defaults the page shows, explains and locks.
    explicit OptionsPage(settings::SettingsRecord& settings, QWidget* parent = nullptr,
                         settings::StringTable companyDefaults = settings::CompiledStringTable());

    // Record → page. The page counts as clean afterwards.
    void GetFormSettings();
    // Enables "&Save" exactly while the page differs from the stored values
    // (only while the page is visible).
    void CheckForChange();
    // Page → store → the window's record → labels. A value that would make the commands
    // write code that is not VB is refused with its reason, and nothing is
    // stored; returns false then.
    bool Save();
    // The built-in templates and every other setting's default.
    void Defaults();
    // Appends a routine name (trimmed of spaces) to the omit list; a name
    // of spaces only adds nothing.
    void AddOmit(const QString& name);
    void RemoveOmit();
    // When the company defaults may not be overridden, the controls of the
    // settings they govern (menu, select, insert, comment) are locked.
    void LockCompanySettings();

    // What a field shows on the page, as it would be stored ("" for a
    // comment option when none is chosen, so that it is not written).
    std::string PageValue(std::string_view key) const;

    QPushButton& SaveButton() { return *save_; }
    QPushButton& DefaultsButton() { return *defaults_; }
    QPlainTextEdit& Template(std::string_view key);
    QCheckBox& Check(std::string_view key);
    QButtonGroup& CommentOptions() { return *commentOptions_; }
    QListWidget& WindowList() { return *windows_; }
    QListWidget& OmitList() { return *omit_; }
    QLineEdit& CommentText() { return *insert_; }
    QLineEdit& NormalExitLabel() { return *label1_; }
    QLineEdit& ErrorExitLabel() { return *label2_; }
    const QString& WindowFlags() const { return windowFlags_; }
    QLabel& ErrorTrapLabel() { return *errorTrap_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* TemplatesTabs();
    QWidget* GeneralTabs();
    QPlainTextEdit* NewTemplate(const char* key);
    QWidget* TemplateFrame(std::initializer_list<QWidget*> widgets);
    void ConnectChanges();
    void RefreshLabels();
    // Shows a field's value (as the record holds it) in its control.
    void ShowValue(std::string_view key, const std::string& value);
    static bool Shows(std::string_view key);
    void WindowChecked();
    std::string StoredValue(std::string_view key) const;
    bool Differs() const;

    std::array<std::pair<const char*, QPlainTextEdit*>, 8> templates_{};
    QCheckBox* head_ = nullptr;
    QCheckBox* select_ = nullptr;
    QCheckBox* menu_ = nullptr;
    QCheckBox* ten_ = nullptr;
    QButtonGroup* commentOptions_ = nullptr;
    QListWidget* windows_ = nullptr;
    QListWidget* omit_ = nullptr;
    QLineEdit* insert_ = nullptr;
    QLineEdit* label1_ = nullptr;
    QLineEdit* label2_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* defaults_ = nullptr;
    QList<QLabel*> exitLabels_;
    QList<QLabel*> errorLabels_;
    QLabel* errorTrap_ = nullptr;
    QWidget* generalTabs_ = nullptr;
    QString windowFlags_;
    settings::SettingsRecord& settings_;  // the window list's flags, rebuilt on every check change
    settings::StringTable companyDefaults_;
};

}  // namespace qv::mainwindow
