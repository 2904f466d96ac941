#include "app/workbench/add_in_manager.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/workbench/add_in_list.h"
#include "app/workbench/ide_window.h"
#include "host/host_constants.h"
#include "shell/process_start.h"

namespace qv::workbench {

namespace {

QTableWidgetItem* CheckItem(bool checked, bool enabled) {
    auto* item = new QTableWidgetItem;
    item->setFlags(enabled ? Qt::ItemIsUserCheckable | Qt::ItemIsEnabled : Qt::NoItemFlags);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

}  // namespace

void RunAddInManager(IdeWindow& ide) {
    std::vector<AddInEntry> entries;
    try {
        entries = ReadAddInList();
    } catch (const std::exception& e) {
        QMessageBox::warning(&ide, QObject::tr("Add-In Manager"), QString::fromStdString(e.what()));
        return;
    }
    QDialog dialog(&ide);
    dialog.setWindowTitle(QObject::tr("Add-In Manager"));
    auto* table = new QTableWidget(static_cast<int>(entries.size()), 3, &dialog);
    table->setHorizontalHeaderLabels(
        {QObject::tr("Available Add-Ins"), QObject::tr("Loaded"), QObject::tr("Load on Startup")});
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->verticalHeader()->hide();
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool ours = entries[i].progId == shell::kAddInKey;
        const int row = static_cast<int>(i);
        auto* name = new QTableWidgetItem(QString::fromStdString(entries[i].progId) +
                                          (ours ? QString() : QObject::tr(" (not available)")));
        name->setFlags(Qt::ItemIsEnabled);
        table->setItem(row, 0, name);
        table->setItem(row, 1, CheckItem(ours && ide.AddInLoaded(), ours));
        table->setItem(row, 2, CheckItem(entries[i].LoadOnStartup(), true));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog.resize(520, 260);
    if (dialog.exec() != QDialog::Accepted) return;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int row = static_cast<int>(i);
        const bool startup = table->item(row, 2)->checkState() == Qt::Checked;
        if (startup != entries[i].LoadOnStartup()) SetLoadOnStartup(entries[i].progId, startup);
        if (entries[i].progId != shell::kAddInKey) continue;
        const bool loaded = table->item(row, 1)->checkState() == Qt::Checked;
        if (loaded && !ide.AddInLoaded()) ide.ConnectAddIn(host::ext_cm_AfterStartup);
        if (!loaded && ide.AddInLoaded()) ide.DisconnectAddIn();
    }
}

}  // namespace qv::workbench
