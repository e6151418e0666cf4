#include "actions/drag_gesture.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

constexpr PointerState kLeft{.left = true};
constexpr PointerState kRight{.right = true};

TEST(DragGesture, TenPixelsInEitherDirectionStartTheDrag) {
    GestureState gesture;
    gesture.MouseDown(100, 50);
    EXPECT_FALSE(gesture.ShouldStartDrag(kLeft, 109, 59, true));
    EXPECT_FALSE(gesture.ShouldStartDrag(kLeft, 91, 41, true));
    EXPECT_TRUE(gesture.ShouldStartDrag(kLeft, 110, 50, true));
    EXPECT_TRUE(gesture.ShouldStartDrag(kLeft, 100, 40, true));
    EXPECT_TRUE(gesture.ShouldStartDrag(kRight, 90, 59, true));
    // The distance counts from the press point, not from the last move.
    gesture.MouseDown(0, 0);
    EXPECT_FALSE(gesture.ShouldStartDrag(kLeft, 9, -9, true));
    EXPECT_TRUE(gesture.ShouldStartDrag(kLeft, -10, 0, true));
}

TEST(DragGesture, OnlyOneOfLeftOrRightAloneAndSomethingSelected) {
    GestureState gesture;
    gesture.MouseDown(0, 0);
    const struct {
        const char* title;
        PointerState pointer;
    } refused[] = {
        {"no button", {}},
        {"left and right", {.left = true, .right = true}},
        {"middle alone", {.otherButton = true}},
        {"left and middle", {.left = true, .otherButton = true}},
        {"Ctrl with left", {.left = true, .control = true}},
        {"Shift with left", {.left = true, .shift = true}},
        {"Alt with right", {.right = true, .alt = true}},
    };
    for (const auto& row : refused) {
        EXPECT_FALSE(gesture.DragPossible(row.pointer, true)) << row.title;
        EXPECT_FALSE(gesture.ShouldStartDrag(row.pointer, 30, 30, true)) << row.title;
    }
    EXPECT_FALSE(gesture.DragPossible(kLeft, false)) << "no row selected";
    EXPECT_FALSE(gesture.ShouldStartDrag(kLeft, 30, 30, false)) << "no row selected";
    EXPECT_TRUE(gesture.ShouldStartDrag(kLeft, 30, 30, true));
    // Close to the press point a drag is possible but has not started.
    EXPECT_TRUE(gesture.DragPossible(kRight, true));
    EXPECT_FALSE(gesture.ShouldStartDrag(kRight, 3, 3, true));
}

TEST(DragGesture, ARightButtonDragIsNotFollowedByTheMenu) {
    GestureState gesture;
    EXPECT_TRUE(gesture.MenuAllowed());

    // Right button down, a drag: the release shows no menu, and no second drag starts.
    gesture.MouseDown(5, 5);
    ASSERT_TRUE(gesture.ShouldStartDrag(kRight, 5, 20, true));
    gesture.DragDone();
    EXPECT_EQ(gesture.Current(), GestureState::Dragged);
    EXPECT_TRUE(gesture.DraggedSincePress());
    EXPECT_FALSE(gesture.MenuAllowed());
    EXPECT_FALSE(gesture.ShouldStartDrag(kRight, 5, 60, true));

    // The next press makes a menu (and a drag) possible again.
    gesture.MouseDown(5, 60);
    EXPECT_EQ(gesture.Current(), GestureState::Ready);
    EXPECT_FALSE(gesture.DraggedSincePress());
    EXPECT_TRUE(gesture.MenuAllowed());

    // A shown menu uses the gesture up too: no drag when the pointer moves on afterwards.
    gesture.MenuDone();
    EXPECT_EQ(gesture.Current(), GestureState::MenuShown);
    EXPECT_FALSE(gesture.MenuAllowed());
    EXPECT_FALSE(gesture.DraggedSincePress());
    EXPECT_FALSE(gesture.ShouldStartDrag(kRight, 5, 90, true));

    // The Applications key makes the list ready for a menu without a press.
    gesture.KeyboardMenuKey();
    EXPECT_TRUE(gesture.MenuAllowed());
}

}  // namespace
}  // namespace quillory
