#include "shell/add_in_ui.h"

namespace qv::shell {

namespace {
AddInUi* currentUi = nullptr;
}  // namespace

AddInUi* GetAddInUi() { return currentUi; }
void SetAddInUi(AddInUi* ui) { currentUi = ui; }

bool VerbOffered(std::string_view verb) {
    if (verb != "check" && verb != "tool" && verb != "find") return true;
    return currentUi != nullptr && currentUi->Offers(verb);
}

}  // namespace qv::shell
