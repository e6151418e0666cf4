#pragma once
// The rescan progress window: the folder being listed and the number of entries found so
// far, and the link that hides the program to the tray. Closing it never stops the rescan:
// it comes back at the next progress point while the main window is shown.

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

  Q_SIGNALS:
    // "Hide the program to tray": the window is already closed when this is emitted.
    void hideToTrayRequested();
    // The help topic and web links.
    void helpRequested();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Label10Click();

    QLabel* Label3;  // "Current folder:" value
    QLabel* Label4;  // "Processed files:" value
    QLabel* Label10;  // "Hide the program to tray"
    QString folder_;
};

}  // namespace quillory::app
