#pragma once
// The connection object: one per IDE instance that loads the add-in. Its
// creation reads the hot keys and settings; connecting builds the menu
// lists (with the commands whose windows the program has), puts the buttons on the IDE's
// command bars, records the instance for hot-key routing and registers the
// hot keys (first connection of the process); disconnecting undoes all of it
// in reverse.

#include <string>

#include "host/code_host.h"
#include "shell/command_bar_menus.h"
#include "shell/menu_items.h"

namespace qv::shell {

class Connect : public host::IDTExtensibility {
  public:
    Connect();
    ~Connect() override;
    Connect(const Connect&) = delete;
    Connect& operator=(const Connect&) = delete;

    void OnConnection(host::VBE& vbInst, int connectMode, host::AddInInstance& addInInst) override;
    void OnDisconnection(int removeMode) override;
    void OnStartupComplete() override;
    void OnAddInsUpdate() override {}

    // Opens the find window.
    void ShowFind();
    // Adds error handling to the routine at the active code pane's cursor.
    void Show();
    void Hide() {}

    host::VBE* Vbe() const { return vbe_; }
    const MenuLists& Lists() const { return lists_; }
    bool Connected() const { return connected_; }

  private:
    void AddMenus();

    host::VBE* vbe_ = nullptr;
    host::AddInInstance* addIn_ = nullptr;
    MenuLists lists_;
    MenuHandlers handlers_;
    bool connected_ = false;
    bool individualButtons_ = false;
    std::string key_;
};

// The key of an IDE instance in the instance collection. The workbench runs
// several IDEs on one thread, so the main window's handle (unique per IDE)
// stands where the IDE's thread id stood.
std::string InstanceKey(host::VBE& vbe);

// The connection recorded under the key, nullptr when none.
Connect* FindInstance(const std::string& key);
long InstanceCount();

}  // namespace qv::shell
