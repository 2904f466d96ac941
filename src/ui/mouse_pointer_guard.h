#pragma once
// A guard over the application's mouse pointer: whatever pointer it shows
// while it lives, the pointer is as before once it is released.
//
// Qt keeps the application's pointer as a stack of override cursors; the
// guard pushes at most one entry and pops it on release, so guards nested in
// one another give their pointers back in the right order.

#include <Qt>

namespace qv::ui {

// The host's mouse-pointer numbers.
namespace vb_pointer {
inline constexpr int kDefault = 0;
inline constexpr int kArrow = 1;
inline constexpr int kCross = 2;
inline constexpr int kIBeam = 3;
inline constexpr int kSizeNESW = 6;
inline constexpr int kSizeNS = 7;
inline constexpr int kSizeNWSE = 8;
inline constexpr int kSizeWE = 9;
inline constexpr int kUpArrow = 10;
inline constexpr int kHourglass = 11;
inline constexpr int kNoDrop = 12;
inline constexpr int kArrowHourglass = 13;
inline constexpr int kArrowQuestion = 14;
inline constexpr int kSizeAll = 15;
}  // namespace vb_pointer

// The Qt shape for a pointer number; unknown numbers give the arrow.
Qt::CursorShape CursorShapeOf(int vbPointer);

class MousePointerGuard {
  public:
    MousePointerGuard() = default;
    // Puts the pointer back. An error that a trap has caught and not yet
    // reported survives the release unchanged.
    ~MousePointerGuard();
    MousePointerGuard(const MousePointerGuard&) = delete;
    MousePointerGuard& operator=(const MousePointerGuard&) = delete;

    void Pointer(int vbPointer);
    void Hourglass() { Pointer(vb_pointer::kHourglass); }

  private:
    bool pushed_ = false;
};

}  // namespace qv::ui
