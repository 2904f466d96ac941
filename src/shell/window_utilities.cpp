#include "shell/window_utilities.h"

#include <string>
#include <vector>

#include "platform/vb_error.h"
#include "settings/settings_record.h"

namespace qv::shell {

namespace {

bool TypeIsFlagged(const std::string& forms, int type) {
    return type >= 0 && static_cast<size_t>(type) < forms.size() &&
           forms[static_cast<size_t>(type)] == '1';
}

}  // namespace

void DoHide(host::VBE& vbe, const settings::SettingsRecord& settings) try {
    // The active project's IDE is the given one; the collection is taken
    // through it as the command always did.
    host::VBProject* active = vbe.ActiveVBProject();
    host::Windows& windows = active != nullptr ? active->VBE().Windows() : vbe.Windows();
    // Closing may take a window out of the collection; walk a snapshot.
    std::vector<host::Window*> all;
    for (long i = 1; i <= windows.Count(); ++i) all.push_back(&windows.Item(i));
    const std::string& forms = settings.forms;
    for (host::Window* window : all) {
        if (TypeIsFlagged(forms, window->Type()) && window->Visible()) window->Close();
    }
} QV_PASS_UP("AddIn", "DoHide")

}  // namespace qv::shell
