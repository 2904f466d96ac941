#pragma once
// What the add-in needs of the program that hosts its windows: the main
// window and the find window (which come with their own units), and a busy
// guard around each command. A program without them leaves their verbs out
// of the menus.

#include <string_view>

#include "host/code_host.h"

namespace qv::shell {

class AddInUi {
public:
    virtual ~AddInUi() = default;
    // Whether the window a verb opens exists ("check", "tool", "find").
    virtual bool Offers(std::string_view verb) const = 0;
    // The main window, modal: display type 1 the full interface, 2 the check.
    virtual void ShowMainWindow(host::VBE& vbe, int displayType) = 0;
    virtual void ShowFind(host::VBE& vbe) = 0;
    // Around every command of a button or hot key: the IDE refuses input
    // meanwhile, so that a second command cannot start while events run.
    virtual void BeginCommand(host::VBE& vbe) = 0;
    virtual void EndCommand(host::VBE& vbe) = 0;
};

// The process's windows; nullptr (the default) offers none of them.
AddInUi* GetAddInUi();
void SetAddInUi(AddInUi* ui);

// Whether a verb can be offered: every verb whose window is not one of the
// optional ones, and those the program offers.
bool VerbOffered(std::string_view verb);

}  // namespace qv::shell
