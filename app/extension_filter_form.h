#pragma once
// The extension filter dialog ("File extension filter"): an include list and an exclude list,
// each under its radio button, OK and Cancel. The keys "*", "." and "?" cannot be typed into
// either list; whenever either list loses the focus both are tidied (empty lines and lone
// dots go, one leading dot is dropped).

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QRadioButton;

namespace quillory::app {

struct ExtensionLists {
    std::string included;  // CR LF lines
    std::string excluded;
    bool includeMode = false;
    bool excludeMode = false;
};

class TExtensionFilterForm : public QDialog {
    Q_OBJECT
  public:
    explicit TExtensionFilterForm(QWidget* parent);

    // Shows the dialog modally with "Include list" (includeList) or "Exclude list" selected
    // and its box focused, both boxes filled from `lists`. On OK `lists` takes both texts and
    // the two radio buttons' states, and true is returned; on Cancel nothing changes.
    bool Edit(bool includeList, ExtensionLists& lists);

    // Tidies both boxes, each from its last line to its first (the focus-loss rule).
    void TidyBoxes();

    QRadioButton* IncludeButton() const { return RadioButton1; }
    QRadioButton* ExcludeButton() const { return RadioButton2; }
    QPlainTextEdit* IncludeBox() const { return Memo1; }
    QPlainTextEdit* ExcludeBox() const { return Memo2; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void accept() override;

  private:
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;
};

}  // namespace quillory::app
