#pragma once
// The dialog that chooses the power-search program: a path field, "..." for a file dialog,
// the maker's recommendation with a link to its home page, OK and Cancel. The path is not
// validated in any way; the field keeps whatever it last held between uses.

#include <QDialog>
#include <functional>

class QLineEdit;
class QLabel;
class QPushButton;

namespace quillory::app {

class ExternalLauncher;

class TPowerSearchForm : public QDialog {
    Q_OBJECT
  public:
    // Shows an "open file" dialog with the filter; answers the chosen file, or an empty text
    // when the dialog was cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& filter)>;

    TPowerSearchForm(ExternalLauncher& launcher, QWidget* parent = nullptr);

    QString Path() const;
    void SetPath(const QString& path);
    // Tests answer the file dialog through this.
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    // The filter of the "..." file dialog.
    static QString ProgramFilter();

    QLineEdit* PathField() const { return Edit1; }
    QPushButton* BrowseButton() const { return Button1; }
    QLabel* MakerLink() const { return Label4; }

  private:
    void Button1Click();
    void Label4Click();

    ExternalLauncher& launcher_;
    FileChooser chooseFile_;
    QLineEdit* Edit1;
    QPushButton* Button1;  // "..."
    QLabel* Label4;        // the maker's address
};

}  // namespace quillory::app
