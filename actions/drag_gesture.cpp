#include "actions/drag_gesture.h"

#include <cstdlib>

namespace quillory {

void GestureState::MouseDown(int x, int y) {
    pressX_ = x;
    pressY_ = y;
    state_ = Ready;
}

bool GestureState::DragPossible(const PointerState& pointer, bool anyRowSelected) const {
    if (state_ != Ready || !anyRowSelected) return false;
    if (pointer.otherButton || pointer.shift || pointer.control || pointer.alt) return false;
    return pointer.left != pointer.right;  // not neither, not both at once
}

bool GestureState::ShouldStartDrag(const PointerState& pointer, int x, int y, bool anyRowSelected) const {
    if (!DragPossible(pointer, anyRowSelected)) return false;
    return std::abs(x - pressX_) >= kDragThreshold || std::abs(y - pressY_) >= kDragThreshold;
}

}  // namespace quillory
