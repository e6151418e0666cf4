#pragma once
// The OK and Cancel buttons every dialog of the program ends with: "OK" is the default button
// (Enter), "Cancel" the escape button, both named for screen readers.

class QDialog;
class QDialogButtonBox;

namespace quillory::app {

QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog);

}  // namespace quillory::app
