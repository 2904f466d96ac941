#include "errorhandling/messages.h"


#include "platform/services.h"
#include "platform/text.h"

namespace qv::errorhandling {

namespace {

std::string_view Template(int number) {
    switch (number) {
        case 1: return "Standard Error Handling should not be added to %1.";
        case 2: return "Error handling is already in this procedure!";
        case 3: return "Some Error handling may exist in this procedure: remove it first.";
        case 4: return "A read-only module cannot be updated.";
        case 5: return "Are you sure?\r\n\r\nThe procedures will be deleted.";
        case 6:
            return "Are you sure?\r\n\r\nExisting error handing will be deleted!\r\n\r\nIf you "
                   "want to retain existing error handling then you should change the label "
                   "names from Error_Routine and Exit_Routine.";
        case 7: return "Select a procedure first.";
        case 8: return "Select a module first.";
        case 9: return "Select a project first.";
        default: return {};
    }
}

}  // namespace

std::string MessageText(int number, const std::vector<std::string>& arguments) {
    std::string message(Template(number));
    for (size_t i = arguments.size(); i >= 1; --i) {
        message = text::ReplaceAll(message, "%" + std::to_string(i), arguments[i - 1]);
    }
    return message;
}

int MyMsgBox(int number, int buttons, bool atCursor) {
    constexpr int kIcons = mb::kCritical | mb::kQuestion | mb::kInformation;
    if ((buttons & kIcons) == 0) buttons += mb::kExclamation;
    buttons += mb::kSystemModal;
    return GetServices().MessageBox(MessageText(number), buttons, kMessageTitle, atCursor);
}

void ShowRefusal(std::string_view reason) {
    GetServices().MessageBox(reason, mb::kInformation | mb::kSystemModal, "", true);
}

}  // namespace qv::errorhandling
