#include "shell/add_in_ui.h"

#include "settings/settings_operations.h"

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

CommandContext IdeCommand(host::VBE& vbe) {
    CommandContext context{.vbe = vbe, .windows = WindowsOf(vbe), .settings = settings::LoadSettings()};
    // The code page the IDE's projects were opened in.
    context.settings.codePage = vbe.TextCodePage();
    return context;
}

bool VerbOffered(host::VBE& vbe, std::string_view verb) {
    const std::optional<CommandId> id = CommandOfVerb(verb);
    return id.has_value() && Offered(*id, WindowsOf(vbe));
}

}  // namespace qv::shell
