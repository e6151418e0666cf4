#pragma once
// The rescan progress window: the folder being listed, the number of entries found so far
// against the last complete rescan's count, the time taken, a "Stop" button, the link that
// hides the program to the tray, and links to the maker's search-software page and to the
// help pages about the products. Closing it never stops the rescan: it comes back at the
// next progress point while the main window is shown.

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QLabel;
class QLayout;
class QProgressBar;
class QPushButton;

namespace quillory::app {

class TRescanForm : public QDialog {
    Q_OBJECT
  public:
    explicit TRescanForm(QWidget* parent = nullptr);

    // A progress point: the two values, then the window shown again when the main window is
    // shown and this window is hidden (showing empties both values until the next point).
    void ShowProgress(const QString& folder, qulonglong found, bool mainWindowShown);

    // A rescan begins: the bar runs up to `expected` entries (a busy bar when no count is
    // known, as on a first rescan) and the time taken counts from now.
    void Begin(qulonglong expected);

    QString CurrentFolderText() const;
    QProgressBar* ProgressBar() const { return progress_; }
    QLabel* ElapsedText() const { return elapsed_; }
    QPushButton* StopButton() const { return stop_; }
    QString ProcessedFilesText() const;

    QLabel* HideToTrayLink() const { return Label10; }
    QLabel* MakerLink() const { return Label5; }
    QLabel* AboutProgramLink() const { return Label7; }
    QLabel* AboutProLink() const { return Label8; }
    QLabel* AboutProductsLink() const { return Label9; }

  Q_SIGNALS:
    // "Stop": the rescan is to end now, keeping what it found.
    void stopRequested();
    // "Hide the program to tray": the window is already closed when this is emitted.
    void hideToTrayRequested();
    // The maker's page `page` ("search-software.htm"), to be opened in the browser.
    void makerPageRequested(const QString& page);
    // The help page `topic` ("overview.htm"), to be shown like the Help command's.
    void helpTopicRequested(const QString& topic);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // The folder, count, time, bar and Stop; the maker's links below them.
    QLayout* BuildProgress();
    QLayout* BuildLinks();
    void Label10Click();
    void ShowElapsed();

    QLabel* Label3;   // "Current folder:" value
    QLabel* Label4;   // "Processed files:" value
    QLabel* Label5;   // the maker's address, under "File Search Tools"
    QLabel* Label7;   // "Read about Quillory"
    QLabel* Label8;   // "Read about Quillory Pro"
    QLabel* Label9;   // "Read about all our search products"
    QLabel* Label10;  // "Hide the program to tray"
    QProgressBar* progress_;
    QLabel* elapsed_;
    QPushButton* stop_;
    QString folder_;
    qulonglong expected_ = 0;
    QElapsedTimer clock_;
    QTimer ticker_;
};

}  // namespace quillory::app
