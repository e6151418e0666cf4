#pragma once
// The folder list dialog ("Select folders"): one folder per line, a browse button that adds a
// chosen folder, OK and Cancel. Whenever the box loses the focus its lines are tidied: empty
// lines go, every other line ends with a separator.

#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillory::app {

class OptionPrompts;

class TFolderListForm : public QDialog {
    Q_OBJECT
  public:
    TFolderListForm(OptionPrompts& prompts, QWidget* parent);

    // Shows the dialog modally for the included list (label "Enter included folders") or the
    // excluded one ("Enter excluded folders"), both browsing with "Add folder...", filled
    // from `text` (CR LF lines). On OK `text` becomes the box's lines and true is returned;
    // on Cancel `text` is unchanged.
    bool Edit(bool included, std::string& text);

    // Tidies the box's lines from the last to the first (the focus-loss rule).
    void TidyLines();
    // Runs the folder chooser and adds the chosen folder as a new last line unless it is
    // already listed (case counts: "/data/Music" and "/data/music" are two folders).
    void BrowseClick();

    QLabel* Label() const { return label_; }
    QPlainTextEdit* Box() const { return Memo1; }
    QPushButton* BrowseButton() const { return browse_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void accept() override;

  private:
    OptionPrompts& prompts_;
    QLabel* label_;
    QPlainTextEdit* Memo1;
    QPushButton* browse_;
};

}  // namespace quillory::app
