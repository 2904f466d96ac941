#include "shell/add_in_ui.h"

namespace qv::shell {

namespace {
AddInUi* currentUi = nullptr;
}  // namespace

AddInUi* GetAddInUi() {
    return currentUi;
}
void SetAddInUi(AddInUi* ui) {
    currentUi = ui;
}

CommandWindows WindowsOf(host::VBE& vbe) {
    return currentUi != nullptr ? currentUi->Windows(vbe) : CommandWindows{};
}

bool VerbOffered(host::VBE& vbe, std::string_view verb) {
    const std::optional<CommandId> id = CommandOfVerb(verb);
    return id.has_value() && Offered(*id, WindowsOf(vbe));
}

}  // namespace qv::shell
