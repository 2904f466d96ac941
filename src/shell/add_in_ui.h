#pragma once
// What the add-in needs of the program that hosts its windows: the windows
// its commands open (the main window and the find window, which come with
// their own units) and a busy guard around each command. A program without
// one of the windows leaves the commands that open it out of the menus.

#include <string_view>

#include "host/code_host.h"
#include "shell/command_catalogue.h"

namespace qv::shell {

class AddInUi {
  public:
    virtual ~AddInUi() = default;
    // The windows the commands of this IDE open; an empty hook is a window
    // the program does not have.
    virtual CommandWindows Windows(host::VBE& vbe) = 0;
    // Around every command of a button or hot key: the IDE refuses input
    // meanwhile, so that a second command cannot start while events run.
    virtual void BeginCommand(host::VBE& vbe) = 0;
    virtual void EndCommand(host::VBE& vbe) = 0;
    // A module or project command of a button has run: the program may
    // tell the user what it changed and what it refused, and why.
    virtual void ShowRunSummary(host::VBE& vbe, const CommandInfo& command,
                                const RunOutcome& run) {
        (void)vbe, (void)command, (void)run;
    }
    // The connection goes: the add-in's windows of this IDE close with it
    // (the find window is one per connection).
    virtual void CloseAddInWindows(host::VBE& vbe) { (void)vbe; }
};

// The process's windows; nullptr (the default) offers none of them.
AddInUi* GetAddInUi();
void SetAddInUi(AddInUi* ui);

// The windows of the program for an IDE; none without an AddInUi.
CommandWindows WindowsOf(host::VBE& vbe);

// The context of a command the IDE runs (a menu button, a hot key): the
// program's windows, and the settings loaded for this one command, so that
// what the options page stored holds from the next command on.
CommandContext IdeCommand(host::VBE& vbe);

// Whether a menu verb can be offered in an IDE: a command of the catalogue
// whose window, if it opens one, the program has.
bool VerbOffered(host::VBE& vbe, std::string_view verb);

}  // namespace qv::shell
