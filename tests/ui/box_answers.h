#pragma once
// Answers the next message box that opens, from inside its own event loop.

#include <QMessageBox>
#include <functional>

namespace qv::ui::testing {

// Waits (polling the event loop) for a modal message box and hands it to
// act, which looks at it and may press a button.
void WhenBoxOpens(std::function<void(QMessageBox&)> act);

// Presses a button of the box as the user would.
void Press(QMessageBox& box, QMessageBox::StandardButton button);

}  // namespace qv::ui::testing
