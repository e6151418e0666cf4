#pragma once
// When a mouse gesture in the result list starts a drag, and whether a context menu may
// still follow it. One state per list: a press makes the list ready; a drag or a shown menu
// uses the gesture up, so a right-button drag is not followed by the context menu when the
// button goes up, and only the next press makes a drag or a menu possible again.

#include <cstdint>

namespace quillory {

// The buttons and modifier keys held during a mouse move.
struct PointerState {
    bool left = false;
    bool right = false;
    bool otherButton = false;  // middle, back, forward, ...
    bool shift = false;
    bool control = false;
    bool alt = false;
};

class GestureState {
  public:
    enum State : uint8_t { Ready = 0, Dragged = 1, MenuShown = 2 };

    // Distance from the press point, in either direction, at which a move starts a drag.
    static constexpr int kDragThreshold = 10;

    // A press of any button in the list: remembers the point and makes the list ready.
    void MouseDown(int x, int y);
    // The Applications key: a menu may be shown again.
    void KeyboardMenuKey() { state_ = Ready; }

    // A move starts a drag only while ready, with at least one row selected, with exactly
    // the left button alone or exactly the right button alone (no Shift, Ctrl or Alt), once
    // the pointer is kDragThreshold pixels or more from the press point in either direction.
    bool ShouldStartDrag(const PointerState& pointer, int x, int y, bool anyRowSelected) const;
    // Every condition of ShouldStartDrag but the distance: the move belongs to a possible
    // drag, so the list must not treat it as anything else (such as selecting by dragging).
    bool DragPossible(const PointerState& pointer, bool anyRowSelected) const;

    void DragDone() { state_ = Dragged; }
    void MenuDone() { state_ = MenuShown; }

    State Current() const { return state_; }
    // Only a ready gesture may open the context menu.
    bool MenuAllowed() const { return state_ == Ready; }
    // A drag happened since the last press (the question the context menu asks when the
    // right button goes up).
    bool DraggedSincePress() const { return state_ == Dragged; }

  private:
    State state_ = Ready;
    int pressX_ = 0;
    int pressY_ = 0;
};

}  // namespace quillory
