#include "app/workbench/ide_window.h"

// The IDE window's project window: its tree of projects, folders and
// modules, its pop-ups, and the properties of the module chosen in it.

#include <QMenu>
#include <QTableWidget>
#include <QTreeWidget>

#include "app/workbench/command_bar_view.h"
#include "app/workbench/ide_window_shared.h"
#include "host/files/module_loader.h"
#include "ui/vb_qstring.h"

namespace qv::workbench {

using host::memory::MemoryComponent;

namespace {

constexpr int kComponentRole = Qt::UserRole + 1;
constexpr int kBarRole = Qt::UserRole + 2;  // the pop-up bar of a tree item

struct Folder {
    const char* caption;
    std::vector<int> types;
    const char* bar;
};

const std::vector<Folder>& Folders() {
    static const std::vector<Folder> folders = {
        {"Forms",
         {host::vbext_ct_VBForm, host::vbext_ct_VBMDIForm, host::vbext_ct_MSForm},
         "Project Window Form Folder"},
        {"Modules", {host::vbext_ct_StdModule}, "Project Window Module/Class Folder"},
        {"Class Modules", {host::vbext_ct_ClassModule}, "Project Window Module/Class Folder"},
        {"User Controls", {host::vbext_ct_UserControl}, "Project Window"},
        {"Property Pages", {host::vbext_ct_PropPage}, "Project Window"},
        {"User Documents", {host::vbext_ct_DocObject}, "Project Window"},
        {"Designers", {host::vbext_ct_ActiveXDesigner}, "Project Window"},
        {"Related Documents",
         {host::vbext_ct_RelatedDocument, host::vbext_ct_ResFile},
         "Project Window"},
    };
    return folders;
}

size_t FolderOf(int type) {
    for (size_t i = 0; i < Folders().size(); ++i) {
        for (int t : Folders()[i].types) {
            if (t == type) return i;
        }
    }
    return 1;
}

}  // namespace

void IdeWindow::FillProjectTree() {
    tree_->clear();
    for (long p = 1; p <= vbe_->Projects().Count(); ++p) {
        auto& project = vbe_->Projects().At(p);
        auto* root = new QTreeWidgetItem(tree_);
        root->setText(
            0, ui::VbQString(project.Name(), project.TextCodePage()) +
                   (project.FileName().empty() ? QString()
                                               : " (" + FileName(project.FileName()) + ")"));
        root->setData(0, kBarRole, "Project Window Project");
        std::vector<QTreeWidgetItem*> folders(Folders().size(), nullptr);
        auto folderItem = [&](size_t f) {
            if (folders[f] == nullptr) {
                folders[f] = new QTreeWidgetItem(root, {tr(Folders()[f].caption)});
                folders[f]->setData(0, kBarRole, Folders()[f].bar);
            }
            return folders[f];
        };
        for (long c = 1; c <= project.Components().Count(); ++c) {
            MemoryComponent& component = project.Components().At(c);
            const size_t f = FolderOf(component.Type());
            QString label = ui::VbQString(component.Name(), component.TextCodePage());
            if (component.FileCount() > 0) label += " (" + FileName(component.FileNames(1)) + ")";
            auto* item = new QTreeWidgetItem(folderItem(f), {label});
            item->setData(0, kComponentRole, QVariant::fromValue(quintptr(&component)));
            item->setData(0, kBarRole, Folders()[f].bar);
        }
        for (const host::files::BrokenModule& broken : target_->BrokenModules(&project)) {
            const size_t f = FolderOf(host::files::TypeOfExtension(broken.path));
            auto* item = new QTreeWidgetItem(folderItem(f),
                                             {ui::MessageQString(broken.name) +
                                              tr(" (cannot be read)")});
            item->setForeground(0, Qt::gray);
            item->setToolTip(0, ui::MessageQString(broken.message));
        }
        root->setExpanded(true);
        for (QTreeWidgetItem* folder : folders) {
            if (folder != nullptr) folder->setExpanded(true);
        }
    }
}

MemoryComponent* IdeWindow::ComponentOf(QTreeWidgetItem* item) {
    if (item == nullptr) return nullptr;
    return reinterpret_cast<MemoryComponent*>(item->data(0, kComponentRole).value<quintptr>());
}

void IdeWindow::OnTreeSelection() {
    QTreeWidgetItem* item = tree_->currentItem();
    MemoryComponent* component = ComponentOf(item);
    vbe_->SetSelectedComponent(component);
    while (item != nullptr && item->parent() != nullptr) item = item->parent();
    if (item != nullptr)
        vbe_->SetActiveProject(&vbe_->Projects().At(tree_->indexOfTopLevelItem(item) + 1));
    ShowProperties(component);
}

void IdeWindow::OnTreeActivated(QTreeWidgetItem* item) {
    if (MemoryComponent* component = ComponentOf(item)) OpenCodeWindow(*component);
}

void IdeWindow::ShowProperties(MemoryComponent* component) {
    properties_->setRowCount(0);
    if (component == nullptr) return;
    host::memory::MemoryProperties& props = component->Props();
    properties_->setRowCount(static_cast<int>(props.Count()) + 1);
    properties_->setItem(0, 0, new QTableWidgetItem("(Name)"));
    const text::CodePage page = component->TextCodePage();
    properties_->setItem(0, 1, new QTableWidgetItem(ui::VbQString(component->Name(), page)));
    for (long i = 1; i <= props.Count(); ++i) {
        properties_->setItem(static_cast<int>(i), 0,
                             new QTableWidgetItem(ui::VbQString(props.Item(i).Name(), page)));
        properties_->setItem(static_cast<int>(i), 1,
                             new QTableWidgetItem(ui::VbQString(props.Item(i).Value(), page)));
    }
}

void IdeWindow::ProjectPopup(const QPoint& position) {
    QTreeWidgetItem* item = tree_->itemAt(position);
    if (item != nullptr) tree_->setCurrentItem(item);
    const QString bar = item != nullptr ? item->data(0, kBarRole).toString() : "Project Window";
    QMenu popup(this);
    bars_->FillPopup(popup, bar.toStdString());
    popup.exec(tree_->viewport()->mapToGlobal(position));
}

}  // namespace qv::workbench
