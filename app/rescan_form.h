#pragma once
// The rescan progress window: the folder being listed and the number of entries found so
// far, the link that hides the program to the tray, and links to the maker's search-software
// page and to the help pages about the products. Closing it never stops the rescan: it comes
// back at the next progress point while the main window is shown.

#include <QDialog>

class QLabel;

namespace quillory::app {

class TRescanForm : public QDialog {
    Q_OBJECT
  public:
    explicit TRescanForm(QWidget* parent = nullptr);

    // A progress point: the two values, then the window shown again when the main window is
    // shown and this window is hidden (showing empties both values until the next point).
    void ShowProgress(const QString& folder, qulonglong found, bool mainWindowShown);

    QString CurrentFolderText() const;
    QString ProcessedFilesText() const;

    QLabel* HideToTrayLink() const { return Label10; }
    QLabel* MakerLink() const { return Label5; }
    QLabel* AboutProgramLink() const { return Label7; }
    QLabel* AboutProLink() const { return Label8; }
    QLabel* AboutProductsLink() const { return Label9; }

  Q_SIGNALS:
    // "Hide the program to tray": the window is already closed when this is emitted.
    void hideToTrayRequested();
    // The maker's page `page` ("search-software.htm"), to be opened in the browser.
    void makerPageRequested(const QString& page);
    // The help page `topic` ("overview.htm"), to be shown like the Help command's.
    void helpTopicRequested(const QString& topic);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Label10Click();

    QLabel* Label3;   // "Current folder:" value
    QLabel* Label4;   // "Processed files:" value
    QLabel* Label5;   // the maker's address, under "File Search Tools"
    QLabel* Label7;   // "Read about Quillory"
    QLabel* Label8;   // "Read about Quillory Pro"
    QLabel* Label9;   // "Read about all our search products"
    QLabel* Label10;  // "Hide the program to tray"
    QString folder_;
};

}  // namespace quillory::app
