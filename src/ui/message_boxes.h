#pragma once
// Message boxes in the host's terms: a prompt, the host's flag word of
// buttons, icon, default button and modality, a title, and the answer as the
// host's number (vbOK 1 ... vbNo 7). The prompt is always plain text.

#include <QString>

class QWidget;

namespace qv::ui {

// The title a box shows: the given one, or, when it is empty, the title of
// the application, which is the add-in ("Brell's Add-In") in whatever
// program hosts its windows.
QString BoxTitle(const QString& title);

// An ordinary box, modal over parent (the active window when none is given;
// none while that window is disabled, since the box would be disabled too).
int ShowMessageBox(const QString& prompt, int flags, const QString& title,
                   QWidget* parent = nullptr);

// A box that opens centred on the mouse pointer and wholly on the pointer's
// screen. timeoutMs above 0 closes it after that long, answering as its
// safe button does (Cancel, else No, else Abort, else its only button);
// 0 or less never closes it by itself.
int MsgBoxCursor(const QString& prompt, int flags, const QString& title, int timeoutMs,
                 QWidget* parent = nullptr);

}  // namespace qv::ui
