#include "app/workbench/add_in_manager.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/workbench/add_in_list.h"
#include "app/workbench/ide_window.h"
#include "host/host_constants.h"
#include "settings/upgrade_settings.h"
#include "shell/process_start.h"

namespace qv::workbench {

namespace {

// One entry of the list as the dialog holds it until OK.
struct ManagedAddIn {
    AddInEntry entry;
    bool available = false;  // the add-in this program can load
    bool loaded = false;
    bool startup = false;
};

QString DisplayName(const ManagedAddIn& addIn) {
    if (!addIn.available) return QString::fromStdString(addIn.entry.progId);
    return QObject::tr("QVAddin %1 (Brell's Add-In)")
        .arg(QString::fromStdString(settings::VersionText(settings::RunningVersion())));
}

QString Description(const ManagedAddIn& addIn) {
    const QString id = QString::fromStdString(addIn.entry.progId);
    if (!addIn.available) {
        return QObject::tr("%1 is in the add-in list, but no add-in of that name comes with "
                           "this program: it cannot be loaded.")
            .arg(id);
    }
    return QObject::tr(
               "Judges the error handling of every procedure; adds, replaces and removes "
               "standard error handlers; adds line numbers; tidies (re-indents) code; stamps "
               "comments; counts lines; finds text in the open projects. Its full-screen "
               "interface lists every module and routine with its status.\n\nRegistered as %1.")
        .arg(id);
}

QString LoadBehavior(const ManagedAddIn& addIn) {
    if (addIn.startup && addIn.loaded) return QObject::tr("Startup / Loaded");
    if (addIn.startup) return QObject::tr("Startup");
    if (addIn.loaded) return QObject::tr("Loaded");
    return {};
}

class AddInManagerDialog : public QDialog {
  public:
    AddInManagerDialog(std::vector<ManagedAddIn> addIns, QWidget* parent)
        : QDialog(parent), addIns_(std::move(addIns)) {
        setWindowTitle(tr("Add-In Manager"));
        list_ = new QTreeWidget(this);
        list_->setHeaderLabels({tr("Available Add-Ins"), tr("Load Behavior")});
        list_->setRootIsDecorated(false);
        list_->setAllColumnsShowFocus(true);
        for (const ManagedAddIn& addIn : addIns_) {
            new QTreeWidgetItem(list_, {DisplayName(addIn), LoadBehavior(addIn)});
        }
        list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        list_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
        list_->header()->setStretchLastSection(false);

        description_ = new QLabel(this);
        description_->setWordWrap(true);
        description_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        description_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* descriptionBox = new QGroupBox(tr("Description"), this);
        (new QVBoxLayout(descriptionBox))->addWidget(description_);

        loaded_ = new QCheckBox(tr("&Loaded/Unloaded"), this);
        startup_ = new QCheckBox(tr("Load on &Startup"), this);
        auto* behaviorBox = new QGroupBox(tr("Load Behavior"), this);
        auto* behavior = new QVBoxLayout(behaviorBox);
        behavior->addWidget(loaded_);
        behavior->addWidget(startup_);
        behavior->addStretch();

        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* lower = new QHBoxLayout;
        lower->addWidget(descriptionBox, 1);
        lower->addWidget(behaviorBox);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(list_, 1);
        layout->addLayout(lower);
        layout->addWidget(buttons);

        connect(list_, &QTreeWidget::currentItemChanged, this, [this] { ShowCurrent(); });
        connect(loaded_, &QCheckBox::toggled, this, [this](bool on) {
            if (ManagedAddIn* addIn = Current()) addIn->loaded = on;
            ShowBehavior();
        });
        connect(startup_, &QCheckBox::toggled, this, [this](bool on) {
            if (ManagedAddIn* addIn = Current()) addIn->startup = on;
            ShowBehavior();
        });
        if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
        ShowCurrent();
        list_->setFocus();
        resize(600, 400);
    }

    const std::vector<ManagedAddIn>& AddIns() const { return addIns_; }

  private:
    ManagedAddIn* Current() {
        const int row = list_->indexOfTopLevelItem(list_->currentItem());
        return row < 0 ? nullptr : &addIns_[static_cast<size_t>(row)];
    }

    void ShowCurrent() {
        ManagedAddIn* addIn = Current();
        description_->setText(addIn != nullptr ? Description(*addIn) : QString());
        const QSignalBlocker quietLoaded(loaded_);
        const QSignalBlocker quietStartup(startup_);
        loaded_->setChecked(addIn != nullptr && addIn->loaded);
        startup_->setChecked(addIn != nullptr && addIn->startup);
        loaded_->setEnabled(addIn != nullptr && addIn->available);
        startup_->setEnabled(addIn != nullptr);
    }

    void ShowBehavior() {
        if (ManagedAddIn* addIn = Current()) list_->currentItem()->setText(1, LoadBehavior(*addIn));
    }

    std::vector<ManagedAddIn> addIns_;
    QTreeWidget* list_ = nullptr;
    QLabel* description_ = nullptr;
    QCheckBox* loaded_ = nullptr;
    QCheckBox* startup_ = nullptr;
};

}  // namespace

void RunAddInManager(IdeWindow& ide) {
    std::vector<ManagedAddIn> addIns;
    try {
        for (const AddInEntry& entry : ReadAddInList()) {
            const bool ours = entry.progId == shell::kAddInKey;
            addIns.push_back({entry, ours, ours && ide.AddInLoaded(), entry.LoadOnStartup()});
        }
    } catch (const std::exception& e) {
        QMessageBox::warning(&ide, QObject::tr("Add-In Manager"), QString::fromStdString(e.what()));
        return;
    }
    AddInManagerDialog dialog(std::move(addIns), &ide);
    if (dialog.exec() != QDialog::Accepted) return;
    try {
        for (const ManagedAddIn& addIn : dialog.AddIns()) {
            if (addIn.startup != addIn.entry.LoadOnStartup())
                SetLoadOnStartup(addIn.entry.progId, addIn.startup);
            if (!addIn.available) continue;
            if (addIn.loaded && !ide.AddInLoaded()) ide.ConnectAddIn(host::ext_cm_AfterStartup);
            if (!addIn.loaded && ide.AddInLoaded()) ide.DisconnectAddIn();
        }
    } catch (const std::exception& e) {
        QMessageBox::warning(&ide, QObject::tr("Add-In Manager"), QString::fromStdString(e.what()));
    }
}

}  // namespace qv::workbench
