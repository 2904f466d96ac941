#pragma once
// The numbered user messages of the engines and commands, and the one
// routine that shows them, with the system's title.

#include <string>
#include <string_view>
#include <vector>

#include "host/code_host.h"

namespace qv::errorhandling {

inline constexpr std::string_view kMessageTitle = "Brell's Add-In";
// "A read-only module cannot be updated."
inline constexpr int kReadOnlyMessage = 4;
// "Select a procedure first."
inline constexpr int kSelectProcedureMessage = 7;

// The text of message number, "%1", "%2", ... replaced by the arguments
// (from the last to the first). An unknown number gives "".
std::string MessageText(int number, const std::vector<std::string>& arguments = {});

// Shows the message and returns the button pressed. Without an icon flag the
// exclamation icon is added; the box is always system modal. atCursor: the
// box opens centred on the mouse pointer.
int MyMsgBox(int number, int buttons, bool atCursor);

// Shows why a code window command left the routine at the cursor alone: an
// information box at the mouse pointer, system modal, without a title.
void ShowRefusal(std::string_view reason);

}  // namespace qv::errorhandling
