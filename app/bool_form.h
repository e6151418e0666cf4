#pragma once
// "Boolean expression": up to four names or wildcards joined by OR, AND and AND NOT, started
// from the current search text and written back as a search text on OK. It never searches.

#include <QDialog>
#include <array>

#include "search/bool_builder_rows.h"
#include "search/word_list.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quillory::app {

class TQuilloryForm1;

class TBoolForm : public QDialog {
    Q_OBJECT
  public:
    explicit TBoolForm(QWidget* parent = nullptr);

    // The parsed query the next ExecuteBuilder starts from (a whole copy).
    void SetWords(const TWordList& words) { words_ = words; }
    const TWordList& Words() const { return words_; }
    // Fills the rows from the copy, shows the dialog modally and, on OK, collects the rows
    // and builds the result text; answers whether OK was pressed.
    bool ExecuteBuilder();
    QString ResultText() const { return result_; }

    // "Reset": every operator "OR", every text empty; only the controls change.
    void ResetRows();

    QComboBox* OperatorBox(int row) const;
    QLineEdit* TextField(int row) const;
    QPushButton* ResetButton() const { return Button3; }
    QPushButton* OkButton() const { return Button1; }
    QPushButton* CancelButton() const { return Button2; }

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillRows();
    void CollectRows();

    std::array<QComboBox*, kBuilderRowCount> ComboBoxes{};
    std::array<QLineEdit*, kBuilderRowCount> Edits{};
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel
    QPushButton* Button3;  // Reset
    TWordList words_;
    QString result_;
};

// Connects the "..." button: the search text parsed raw (in the case it was typed) opens the
// builder, and OK puts the built text into the search box.
TBoolForm* AttachBoolBuilder(TQuilloryForm1& form);

}  // namespace quillory::app
