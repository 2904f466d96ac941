#pragma once
// The add-in's six hot keys: registered with the platform by the first
// connection of the process and unregistered when the last one goes; a press
// runs its command in the IDE that owns the foreground window, and only
// while that IDE is in design mode.

#include <string>

namespace qv::shell {

// How the program delivers hot keys and tells which IDE is in front.
class HotKeyPlatform {
  public:
    virtual ~HotKeyPlatform() = default;
    // modifiers: sum of 1 Alt, 2 Ctrl, 4 Shift; keyCode: the key's character
    // code. A failed registration is ignored by the caller.
    virtual void Register(int id, int modifiers, int keyCode) = 0;
    virtual void Unregister(int id) = 0;
    // The instance key of the IDE that owns the foreground window ("" when
    // another program is in front).
    virtual std::string ForegroundInstanceKey() = 0;
};

HotKeyPlatform* GetHotKeyPlatform();
void SetHotKeyPlatform(HotKeyPlatform* platform);

// The hidden hot-key window's registration: the first call registers the
// six keys, later calls do nothing until UnregisterHotKeys.
void RegisterHotKeys();
void UnregisterHotKeys();
bool HotKeysRegistered();

// A press of hot key id 1-6. Errors end in the report, as a click's do.
void DoKey(int id);

}  // namespace qv::shell
