#pragma once
// The OK and Cancel buttons every dialog of the program ends with: "OK" is the default button
// (Enter), "Cancel" the escape button, both named for screen readers. And the rule every
// window of the program keeps for Enter: on a focused push button it presses that button.

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace quillory::app {

// Also gives the dialog the Enter rule below.
QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog);

// Enter and Return on a push button that has the keyboard focus in `window` press that
// button, as Space does, whether or not it is an auto-default button; every other Enter goes
// on to the window's default button. Covers buttons added to the window later as well.
void EnterPressesFocusedButton(QWidget* window);

}  // namespace quillory::app
