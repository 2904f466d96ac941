#include "mainwindow/options_page.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <QVBoxLayout>

#include "analysis/markers.h"
#include "platform/event_trap.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "settings/field_source.h"
#include "settings/reg_settings.h"
#include "settings/setting_checks.h"
#include "settings/settings_fields.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "settings/store_names.h"
#include "settings/string_table.h"
#include "ui/window_helpers.h"

namespace qv::mainwindow {

namespace {

constexpr const char* kModule = "frmQVAddIn";
constexpr int kHighestCommentOption = 3;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The record keeps lines joined with CR LF; the boxes with LF.
QString ToBox(const std::string& text) { return Q(text).replace("\r\n", "\n"); }
std::string FromBox(const QString& text) {
    return QString(text).replace("\r\n", "\n").replace("\n", "\r\n").toStdString();
}

std::string IntegerText(long value) { return std::to_string(value); }

long NumberOf(const std::string& text) {
    try {
        return std::stol(text);
    } catch (...) {
        return 0;
    }
}

// The string-table entry explaining a setting the company governs.
QString Explanation(settings::StringTable table, int entry) {
    try {
        return Q(settings::StringTableText(entry + 100, table)).trimmed();
    } catch (...) {
        return {};
    }
}

settings::CRegSettings Store() { return settings::SystemStore(); }

}  // namespace

const QStringList& WindowTypeNames() {
    static const QStringList names{"Code",     "Designer",    "Browser",     "Watch",
                                   "Locals",   "Immediate",   "Project",     "Property",
                                   "Find",     "FindReplace", "Toolbox",     "LinkedWindowFrame",
                                   "MainWindow", "Preview",   "ColorPalette", "ToolWindow"};
    return names;
}

OptionsPage::OptionsPage(settings::SettingsRecord& settings, QWidget* parent,
                         settings::StringTable companyDefaults)
    : QWidget(parent), settings_(settings), companyDefaults_(companyDefaults) {
    save_ = new QPushButton("&Save", this);
    save_->setToolTip("Save the settings");
    save_->setEnabled(false);
    defaults_ = new QPushButton("Defaults", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(defaults_);
    buttons->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TemplatesTabs(), 3);
    layout->addWidget(GeneralTabs(), 2);
    layout->addLayout(buttons);
    ConnectChanges();
}

QPlainTextEdit* OptionsPage::NewTemplate(const char* key) {
    auto* box = new QPlainTextEdit(this);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setTabChangesFocus(true);
    for (auto& slot : templates_) {
        if (slot.first == nullptr) {
            slot = {key, box};
            break;
        }
    }
    return box;
}

QWidget* OptionsPage::TemplateFrame(std::initializer_list<QWidget*> widgets) {
    auto* frame = new QWidget(this);
    auto* layout = new QVBoxLayout(frame);
    for (QWidget* w : widgets) layout->addWidget(w, qobject_cast<QPlainTextEdit*>(w) ? 1 : 0);
    return frame;
}

QWidget* OptionsPage::TemplatesTabs() {
    auto marker = [this](std::string_view text) {
        auto* label = new QLabel(Q(text), this);
        label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    auto exitLabel = [this] {
        auto* label = new QLabel(this);
        exitLabels_ << label;
        return label;
    };
    auto errorLabel = [this] {
        auto* label = new QLabel(this);
        errorLabels_ << label;
        return label;
    };
    errorTrap_ = new QLabel(this);
    auto* tabs = new QTabWidget(this);
    tabs->addTab(TemplateFrame({marker(analysis::kOpeningMarker), NewTemplate("add0"), errorTrap_,
                                NewTemplate("add1"), marker(analysis::kClosingMarker)}),
                 "Top of &Routine");
    tabs->addTab(TemplateFrame({exitLabel(), NewTemplate("add2"), new QLabel("Exit ...", this)}),
                 "&Exit Routine");
    tabs->addTab(TemplateFrame({errorLabel(), NewTemplate("add3")}), "&Top Level Error");
    tabs->addTab(TemplateFrame({errorLabel(), NewTemplate("add4")}), "C&alled Errors");
    tabs->addTab(TemplateFrame({errorLabel(), NewTemplate("add5")}), "&User Control");
    tabs->addTab(TemplateFrame({errorLabel(), NewTemplate("add6")}), "&MTS");
    tabs->addTab(TemplateFrame({exitLabel(), NewTemplate("add2a"), new QLabel("Exit ...", this)}),
                 "Exit Routine for MT&S");
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs, 1);
    layout->addWidget(new QLabel("Placeholders: %m - module name,  %r - routime name, %p - "
                                 "parameter list (use %P to insert a leading comma)",
                                 this));
    layout->addWidget(new QLabel("%e - Exit ..., %f Function value", this));
    return box;
}

QWidget* OptionsPage::GeneralTabs() {
    auto* tabs = new QTabWidget(this);
    generalTabs_ = tabs;

    auto* comments = new QWidget(this);
    auto* commentsLayout = new QVBoxLayout(comments);
    commentOptions_ = new QButtonGroup(this);
    const char* captions[] = {"&Leave comments alone", "Indent comments with &code",
                              "Leave comments starting in column &1",
                              "Ma&ke comments start in column 1"};
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(captions[i], comments);
        commentOptions_->addButton(option, i);
        commentsLayout->addWidget(option);
    }
    commentsLayout->addStretch();
    comments->setToolTip(Explanation(companyDefaults_, settings::kCommentEntry));
    tabs->addTab(comments, "&Comments");

    auto* formatting = new QWidget(this);
    auto* formattingLayout = new QVBoxLayout(formatting);
    head_ = new QCheckBox("Reformat Procedure &Header", formatting);
    select_ = new QCheckBox("&Extra indent for Case within Select", formatting);
    select_->setToolTip(Explanation(companyDefaults_, settings::kSelectEntry));
    formattingLayout->addWidget(head_);
    formattingLayout->addWidget(select_);
    formattingLayout->addStretch();
    tabs->addTab(formatting, "&Formatting");

    windows_ = new QListWidget(this);
    for (const QString& name : WindowTypeNames()) {
        auto* item = new QListWidgetItem(name, windows_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    windowFlags_.clear();  // only check changes fill it
    tabs->addTab(windows_, "Close &Windows");

    auto* omitFrame = new QWidget(this);
    auto* omitLayout = new QHBoxLayout(omitFrame);
    omit_ = new QListWidget(omitFrame);
    auto* addOmit = new QPushButton("&Add", omitFrame);
    auto* removeOmit = new QPushButton("REMOVE", omitFrame);
    auto* omitButtons = new QVBoxLayout;
    omitButtons->addWidget(addOmit);
    omitButtons->addWidget(removeOmit);
    omitButtons->addStretch();
    omitLayout->addWidget(omit_, 1);
    omitLayout->addLayout(omitButtons);
    connect(addOmit, &QPushButton::clicked, this, [this] {
        EventTrap("frmQVAddIn.cmdAddOmit_Click", [&] {
            AddOmit(QInputDialog::getText(this, QString(), "Enter new procedure name"));
        });
    });
    connect(removeOmit, &QPushButton::clicked, this,
            [this] { EventTrap("frmQVAddIn.cmdRemoveOmit_Click", [&] { RemoveOmit(); }); });
    tabs->addTab(omitFrame, "Omit Error Handling");

    auto* other = new QWidget(this);
    auto* otherLayout = new QVBoxLayout(other);
    menu_ = new QCheckBox("I&ndividual Menu Items (requires that addin is unloaded and reloaded)",
                          other);
    menu_->setToolTip("this requries that the add-in is restarted");
    ten_ = new QCheckBox("Lines increment by 10", other);
    insert_ = new QLineEdit(other);
    insert_->setToolTip(Explanation(companyDefaults_, settings::kInsertEntry));
    insert_->installEventFilter(this);
    otherLayout->addWidget(menu_);
    otherLayout->addWidget(ten_);
    otherLayout->addWidget(new QLabel("Text for comment:", other));
    otherLayout->addWidget(insert_);
    otherLayout->addWidget(new QLabel("Placeholders: %u - User Id, %d - Date, %t - Date and Time", other));
    otherLayout->addStretch();
    tabs->addTab(other, "&Other");

    auto* labels = new QWidget(this);
    auto* labelsLayout = new QGridLayout(labels);
    label1_ = new QLineEdit(labels);
    label2_ = new QLineEdit(labels);
    labelsLayout->addWidget(new QLabel("Normal Exit:", labels), 0, 0);
    labelsLayout->addWidget(label1_, 0, 1);
    labelsLayout->addWidget(new QLabel("Error Exit:", labels), 1, 0);
    labelsLayout->addWidget(label2_, 1, 1);
    labelsLayout->setRowStretch(2, 1);
    tabs->addTab(labels, "La&bels");
    return tabs;
}

void OptionsPage::ConnectChanges() {
    const auto changed = [this] { EventTrap("frmQVAddIn.CheckForChange", [&] { CheckForChange(); }); };
    for (auto& [key, box] : templates_) connect(box, &QPlainTextEdit::textChanged, this, changed);
    for (QCheckBox* box : {head_, select_, menu_, ten_}) connect(box, &QCheckBox::toggled, this, changed);
    connect(commentOptions_, &QButtonGroup::idToggled, this, changed);
    for (QLineEdit* box : {insert_, label1_, label2_}) connect(box, &QLineEdit::textChanged, this, changed);
    connect(windows_, &QListWidget::itemChanged, this,
            [this] { EventTrap("frmQVAddIn.lstWindows_ItemCheck", [&] { WindowChecked(); }); });
    connect(save_, &QPushButton::clicked, this,
            [this] { EventTrap("frmQVAddIn.cmdSaveError_Click", [&] { Save(); }); });
    connect(defaults_, &QPushButton::clicked, this,
            [this] { EventTrap("frmQVAddIn.cmdDefaults_Click", [&] { Defaults(); }); });
}

QPlainTextEdit& OptionsPage::Template(std::string_view key) {
    for (auto& [k, box] : templates_) {
        if (key == k) return *box;
    }
    Raise(err::kInvalidProcedureCall, "No template " + std::string(key));
}

QCheckBox& OptionsPage::Check(std::string_view key) {
    if (key == "header") return *head_;
    if (key == "select") return *select_;
    if (key == "menu") return *menu_;
    if (key == "ten") return *ten_;
    Raise(err::kInvalidProcedureCall, "No check box " + std::string(key));
}

void OptionsPage::GetFormSettings() try {
    for (const settings::SettingsField& field : settings::SettingsFields()) {
        if (Shows(field.key)) ShowValue(field.key, field.value(settings_));
    }
    RefreshLabels();
}
QV_PASS_UP(kModule, "GetFormSettings")

void OptionsPage::ShowValue(std::string_view key, const std::string& value) {
    if (key == "comment") {
        const long option = NumberOf(value);
        if (option >= 0 && option <= kHighestCommentOption) {
            commentOptions_->button(static_cast<int>(option))->setChecked(true);
        } else if (QAbstractButton* chosen = commentOptions_->checkedButton()) {
            commentOptions_->setExclusive(false);  // a value past the options chooses none
            chosen->setChecked(false);
            commentOptions_->setExclusive(true);
        }
    } else if (key == "menu" || key == "select" || key == "header" || key == "ten") {
        Check(key).setChecked(NumberOf(value) != 0);
    } else if (key == "omit") {
        omit_->clear();
        for (const QString& name : Q(value).split("\r\n")) omit_->addItem(name);
    } else if (key == "forms") {
        for (int i = 0; i < windows_->count(); ++i) {
            const bool ticked = static_cast<size_t>(i) < value.size() && value[static_cast<size_t>(i)] == '1';
            windows_->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
        }
    } else if (key == "insert") {
        insert_->setText(Q(value));
    } else if (key == "label1") {
        label1_->setText(Q(value));
    } else if (key == "label2") {
        label2_->setText(Q(value));
    } else {
        Template(key).setPlainText(ToBox(value));
    }
}

bool OptionsPage::Shows(std::string_view key) {
    // The largest module file read is set with the settings command only,
    // and so is the code page, which the IDE opened its projects in.
    const settings::SettingsField* field = settings::FindSettingsField(key);
    return key != "modulemb" && (field == nullptr || field->layer != settings::FieldLayer::Run);
}

void OptionsPage::RefreshLabels() {
    const settings::SettingsRecord& record = settings_;
    for (QLabel* label : exitLabels_) label->setText(Q(record.label1) + ":");
    for (QLabel* label : errorLabels_) label->setText(Q(record.label2) + ":");
    errorTrap_->setText("    On Error Goto " + Q(record.label2));
}

void OptionsPage::WindowChecked() {
    QString flags;
    for (int i = 0; i < windows_->count(); ++i) {
        flags += windows_->item(i)->checkState() == Qt::Checked ? '1' : '0';
    }
    windowFlags_ = flags;
    CheckForChange();
}

void OptionsPage::AddOmit(const QString& name) try {
    const QString trimmed = QString(name).remove(QRegularExpression("^ +| +$"));
    if (!trimmed.isEmpty()) omit_->addItem(trimmed);
    CheckForChange();
}
QV_PASS_UP(kModule, "cmdAddOmit_Click")

void OptionsPage::RemoveOmit() try {
    if (QListWidgetItem* current = omit_->currentItem()) delete current;
    CheckForChange();
}
QV_PASS_UP(kModule, "cmdRemoveOmit_Click")

std::string OptionsPage::PageValue(std::string_view key) const {
    for (const auto& [k, box] : templates_) {
        if (key == k) return FromBox(box->toPlainText());
    }
    if (key == "comment") {
        const int chosen = commentOptions_->checkedId();
        return chosen < 0 ? std::string() : IntegerText(chosen);
    }
    if (key == "menu") return IntegerText(menu_->isChecked() ? 1 : 0);
    if (key == "select") return IntegerText(select_->isChecked() ? 1 : 0);
    if (key == "header") return IntegerText(head_->isChecked() ? 1 : 0);
    if (key == "ten") return IntegerText(ten_->isChecked() ? 1 : 0);
    if (key == "insert") return insert_->text().toStdString();
    if (key == "label1") return label1_->text().toStdString();
    if (key == "label2") return label2_->text().toStdString();
    if (key == "forms") return windowFlags_.toStdString();
    if (key == "omit") {
        QStringList names;
        for (int i = 0; i < omit_->count(); ++i) names << omit_->item(i)->text();
        return names.join("\r\n").toStdString();
    }
    return {};
}

std::string OptionsPage::StoredValue(std::string_view key) const {
    return settings::StoredFieldText(settings::Field(key), companyDefaults_);
}

bool OptionsPage::Differs() const {
    for (const settings::SettingsField& field : settings::SettingsFields()) {
        if (!Shows(field.key)) continue;
        const std::string stored = StoredValue(field.key);
        if (field.key == "comment") {
            // -1 when no option is chosen.
            if (commentOptions_->checkedId() != NumberOf(stored)) return true;
        } else if (field.type != settings::FieldType::Text) {
            if (NumberOf(PageValue(field.key)) != NumberOf(stored)) return true;
        } else if (PageValue(field.key) != stored) {
            return true;
        }
    }
    return false;
}

bool OptionsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == insert_ && event->type() == QEvent::FocusIn) {
        // Typing replaces the whole stamp text.
        QTimer::singleShot(0, insert_, [this] { ui::HiLight(*insert_); });
    }
    return QWidget::eventFilter(watched, event);
}

void OptionsPage::CheckForChange() try {
    if (!isVisible()) return;
    save_->setEnabled(Differs());
}
QV_PASS_UP(kModule, "CheckForChange")

bool OptionsPage::Save() try {
    // Every value is checked before any is written, so that a refused page
    // leaves the store as it was.
    settings::SettingsRecord proposed = settings_;
    proposed.label1 = PageValue("label1");
    proposed.label2 = PageValue("label2");
    for (const settings::SettingsField& field : settings::SettingsFields()) {
        const std::string value = PageValue(field.key);
        if (field.type != settings::FieldType::Text) continue;
        if (auto problem = settings::ValueProblem(field, value, proposed)) {
            GetServices().MessageBox(*problem, mb::kExclamation, "", false);
            return false;
        }
    }
    const std::string section(settings::kSettingsSection);
    for (const settings::SettingsField& field : settings::SettingsFields()) {
        if (!Shows(field.key)) continue;
        const std::string value = PageValue(field.key);
        if (field.key == "forms" && value.empty()) {
            Store().DeleteSetting(section, field.key);
        } else if (field.key != "comment" || !value.empty()) {
            Store().SaveSetting(section, field.key, value);
        }
    }
    settings::GetSettings(settings_, companyDefaults_);
    RefreshLabels();
    save_->setEnabled(false);
    return true;
}
QV_PASS_UP(kModule, "cmdSaveError_Click")

void OptionsPage::Defaults() try {
    settings::DefaultSettings();
    settings::GetSettings(settings_, companyDefaults_);
    GetFormSettings();
    save_->setEnabled(false);
}
QV_PASS_UP(kModule, "cmdDefaults_Click")

void OptionsPage::LockCompanySettings() {
    if (settings::OverrideAllowed(companyDefaults_)) return;
    // The record takes these four from the company table: the page shows
    // them but they cannot be changed here.
    for (QAbstractButton* option : commentOptions_->buttons()) option->setEnabled(false);
    menu_->setEnabled(false);
    select_->setEnabled(false);
    insert_->setReadOnly(true);
    insert_->setFocusPolicy(Qt::NoFocus);
}

}  // namespace qv::mainwindow
