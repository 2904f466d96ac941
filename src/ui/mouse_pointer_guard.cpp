#include "ui/mouse_pointer_guard.h"

#include <QCursor>
#include <QGuiApplication>

#include "platform/error_state.h"

namespace qv::ui {

Qt::CursorShape CursorShapeOf(int vbPointer) {
    switch (vbPointer) {
        case vb_pointer::kCross:
            return Qt::CrossCursor;
        case vb_pointer::kIBeam:
            return Qt::IBeamCursor;
        case vb_pointer::kSizeNESW:
            return Qt::SizeBDiagCursor;
        case vb_pointer::kSizeNS:
            return Qt::SizeVerCursor;
        case vb_pointer::kSizeNWSE:
            return Qt::SizeFDiagCursor;
        case vb_pointer::kSizeWE:
            return Qt::SizeHorCursor;
        case vb_pointer::kUpArrow:
            return Qt::UpArrowCursor;
        case vb_pointer::kHourglass:
            return Qt::WaitCursor;
        case vb_pointer::kNoDrop:
            return Qt::ForbiddenCursor;
        case vb_pointer::kArrowHourglass:
            return Qt::BusyCursor;
        case vb_pointer::kArrowQuestion:
            return Qt::WhatsThisCursor;
        case vb_pointer::kSizeAll:
            return Qt::SizeAllCursor;
        default:
            return Qt::ArrowCursor;
    }
}

void MousePointerGuard::Pointer(int vbPointer) {
    const QCursor cursor(CursorShapeOf(vbPointer));
    if (pushed_) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        pushed_ = true;
    }
}

MousePointerGuard::~MousePointerGuard() {
    const ErrorRecord pending = Err();
    if (pushed_) QGuiApplication::restoreOverrideCursor();
    Err() = pending;
}

}  // namespace qv::ui
