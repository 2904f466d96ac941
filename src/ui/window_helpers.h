#pragma once
// Small window and control helpers of the windows, applying the rules of
// ui/placement.h to real widgets.

class QWidget;

namespace qv::ui {

// Moves the mouse pointer onto a control (or window) at a position 1-9
// (1 top-left, 5 centre, 9 bottom-right).
void SetCursorOverControl(QWidget& control, int position);

// Places a window in the work area of its screen (the screen less panels and
// task bars) at a position 1-10 (1 centred; see AlignedTopLeft).
void AlignForm(QWidget& window, int position);

// Keeps the window above other windows, without moving or resizing it.
void SetTopmost(QWidget& window);

// Selects the whole text of a text box (a line edit, including one with an
// input mask, or a plain-text edit); any other control is left alone.
void HiLight(QWidget& control);

}  // namespace qv::ui
