#include "shell/hot_keys.h"

#include "platform/error_state.h"
#include "platform/vb_error.h"
#include "shell/add_in_ui.h"
#include "shell/command_bar_menus.h"
#include "shell/command_catalogue.h"
#include "shell/connection.h"
#include "shell/error_report.h"
#include "shell/menu_items.h"
#include "shell/verb_dispatch.h"

namespace qv::shell {

namespace {

HotKeyPlatform* platform = nullptr;
bool registered = false;

// The command of each hot key, by id − 1.
constexpr CommandId kHotKeyCommands[kHotKeyCount] = {
    CommandId::CodeAdd,     CommandId::CodeLine,     CommandId::CodeTidy,
    CommandId::CodeComment, CommandId::CloseWindows, CommandId::Find};

void RunHotKey(host::VBE& vbe, int id) {
    if (id == 6) {
        if (host::CommandBarControl* button =
                FindAddInButton(vbe, "Code Window", Info(CommandId::Find).verb)) {
            button->Execute();
        }
        return;
    }
    if (id != 5 && vbe.ActiveCodePane() == nullptr) return;
    RunAsOneCommand(vbe, [&] {
        CommandContext context = IdeCommand(vbe);
        Execute(kHotKeyCommands[id - 1], context);
    });
}

}  // namespace

HotKeyPlatform* GetHotKeyPlatform() {
    return platform;
}
void SetHotKeyPlatform(HotKeyPlatform* p) {
    platform = p;
}

void RegisterHotKeys() try {
    if (registered) return;
    registered = true;
    if (platform == nullptr) return;
    const HotKeyTable& keys = ProcessHotKeys();
    for (int i = 0; i < kHotKeyCount; ++i) {
        const settings::HotKey& key = keys[static_cast<size_t>(i)];
        if (key.Defined())
            IgnoringErrors([&] { platform->Register(i + 1, key.modifiers, key.keyCode); });
    }
}
QV_PASS_UP("AddIn", "RegisterHotKeys")

void UnregisterHotKeys() try {
    if (!registered) return;
    registered = false;
    if (platform == nullptr) return;
    for (int id = 1; id <= kHotKeyCount; ++id) IgnoringErrors([&] { platform->Unregister(id); });
}
QV_PASS_UP("AddIn", "UnRegisterHotKeys")

bool HotKeysRegistered() {
    return registered;
}

void DoKey(int id) {
    if (platform == nullptr || id < 1 || id > kHotKeyCount) return;
    try {
        Connect* connection = FindInstance(platform->ForegroundInstanceKey());
        if (connection == nullptr || connection->Vbe() == nullptr) return;
        host::VBE& vbe = *connection->Vbe();
        if (vbe.MainWindow().Caption().find("[design]") == std::string::npos) return;
        RunHotKey(vbe, id);
    } catch (...) {
        SetCurrentError(CurrentAsVbError());
        ErrorLog("AddIn.DoKey");
    }
}

}  // namespace qv::shell
