#include "shell/connection.h"

#include <map>

#include "host/host_constants.h"
#include "platform/error_state.h"
#include "platform/vb_error.h"
#include "settings/settings_operations.h"
#include "settings/upgrade_settings.h"
#include "shell/add_in_ui.h"
#include "shell/command_catalogue.h"
#include "shell/hot_keys.h"
#include "shell/verb_dispatch.h"

namespace qv::shell {

namespace {

std::map<std::string, Connect*>& Instances() {
    static std::map<std::string, Connect*> instances;
    return instances;
}

void AddInstance(const std::string& key, Connect& connection) {
    Instances()[key] = &connection;
}

// Takes the connection out; the last one going takes the hot keys with it.
void RemoveInstance(const std::string& key, Connect& connection) {
    auto found = Instances().find(key);
    if (found != Instances().end() && found->second == &connection) Instances().erase(found);
    if (Instances().empty()) UnregisterHotKeys();
}

}  // namespace

std::string InstanceKey(host::VBE& vbe) {
    return std::to_string(vbe.MainWindow().HWnd()) + "K";
}

Connect* FindInstance(const std::string& key) {
    auto found = Instances().find(key);
    return found == Instances().end() ? nullptr : found->second;
}

long InstanceCount() {
    return static_cast<long>(Instances().size());
}

Connect::Connect() try {
    ProcessHotKeys();
    // A stored setting that is not a number stops the connection, as it did
    // the add-in's start; each command loads its own settings.
    settings::LoadSettings();
}
QV_PASS_UP("Connect", "Class_Initialize")

Connect::~Connect() {
    // The IDE may go without disconnecting; what the connection added to the
    // process must not outlive it.
    if (connected_) IgnoringErrors([this] { OnDisconnection(1); });
}

void Connect::OnConnection(host::VBE& vbInst, int connectMode, host::AddInInstance& addInInst) try {
    vbe_ = &vbInst;
    addIn_ = &addInInst;
    // The buttons of the commands whose windows this program has.
    lists_ = BuildMenuLists(ProcessHotKeys(), settings::VersionText(settings::RunningVersion()),
                            [&vbInst](std::string_view verb) { return VerbOffered(vbInst, verb); });
    if (connectMode == host::ext_cm_External) {
        CommandContext context = IdeCommand(vbInst);
        Execute(CommandId::Tool, context);
        return;
    }
    key_ = InstanceKey(vbInst);
    connected_ = true;
    if (connectMode == host::ext_cm_AfterStartup) AddInstance(key_, *this);
    RegisterHotKeys();
    AddMenus();
}
QV_PASS_UP("Connect", "IDTExtensibility_OnConnection")

void Connect::AddMenus() {
    individualButtons_ = IndividualButtons();
    host::VBE& vbe = *vbe_;
    auto onClick = [&vbe](host::CommandBarControl& control) { MenuClick(vbe, control); };
    for (const BarPlacement& placement : MenuPlacements(lists_, individualButtons_)) {
        AddComBar(vbe, placement.bar, *placement.items, placement.anchorId, handlers_, onClick);
    }
}

void Connect::OnStartupComplete() try {
    if (connected_) AddInstance(key_, *this);
}
QV_PASS_UP("Connect", "IDTExtensibility_OnStartupComplete")

void Connect::OnDisconnection(int) try {
    if (!connected_) return;
    connected_ = false;
    handlers_.clear();
    if (AddInUi* ui = GetAddInUi()) ui->CloseAddInWindows(*vbe_);
    RemoveInstance(key_, *this);
    RemoveMenus(*vbe_, lists_, individualButtons_);
}
QV_PASS_UP("Connect", "IDTExtensibility_OnDisconnection")

void Connect::ShowFind() try {
    if (vbe_ == nullptr) return;
    CommandContext context = IdeCommand(*vbe_);
    Execute(CommandId::Find, context);
}
QV_PASS_UP("Connect", "ShowFind")

void Connect::Show() try {
    if (vbe_ == nullptr) return;
    CommandContext context = IdeCommand(*vbe_);
    Execute(CommandId::CodeAdd, context);
}
QV_PASS_UP("Connect", "Show")

}  // namespace qv::shell
