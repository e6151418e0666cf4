#pragma once
// The main window: the search box and its options, the result list, the buttons and menus,
// the status bar and the tray icon. Its handlers are a few lines each that call the engine;
// what they call is tested without a window.

#include <QMainWindow>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/program_context.h"
#include "app/result_item_delegate.h"
#include "live/live_batch.h"
#include "results/collation.h"
#include "results/sort_results.h"
#include "results/type_ahead.h"
#include "scan/rescan_driver.h"
#include "search/search_driver.h"
#include "search/search_history.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;

namespace quillory::app {

class ResultIcons;
class ResultListModel;
class ResultListView;
class TFieldsSelectFrm;
class TRescanForm;
class ViewSelection;
struct DesktopSettings;

class TQuilloryForm1 : public QMainWindow {
    Q_OBJECT
  public:
    enum WindowState { NotYetShown = 0, Shown = 1, HiddenToTray = 2 };

    explicit TQuilloryForm1(ProgramContext& context, QWidget* parent = nullptr);
    ~TQuilloryForm1() override;

    // The search controls and the view geometry, to and from the settings.
    void ApplySettings(const DesktopSettings& settings);
    DesktopSettings CurrentSettings() const;

    // Arms the one-shot start-up timer: its tick registers the hot keys, sets the caption
    // and starts a rescan when the options or the command line ask for one.
    void EnableStartupTimer();
    void StartupTimerTimer();

    // "Search" and Enter in the search box.
    void Button1Click();
    // A search as the text is typed: it leaves the focus in the search box and the text out
    // of the history until the user settles on it.
    void TypedSearch();
    // "Rescan".
    void Button2Click() { StartRescan(); }
    // Starts a rescan unless one runs: "Rescan", the start-up and a later start's "rescan".
    void StartRescan();
    bool RescanRunning() const;
    // Follows the changes in the catalogue's folders from now on when the settings ask for it,
    // otherwise stops following them: after a load, a completed rescan and the Options dialog.
    void RestartLiveUpdates();
    // Applies the changes the watcher found; the open search runs again when they touch it.
    void ApplyLiveChanges();

    // Tray and window state.
    void OpenMainWindow();
    void HideToTray();
    int MainWindowState() const { return mainWindowState_; }
    // Whether the desktop shows tray icons; tests answer for it.
    void SetTrayAvailable(std::function<bool()> available) { trayAvailable_ = std::move(available); }
    void UpdateCaption();

    // The orderly end: the destruction work once, then the event loop ends with status 0, or
    // 1 when something was not saved. Every ending comes here: "Exit", the command word, the
    // session's end and the termination signals. `someoneAnswers` is false where no one can
    // answer a message box (a signal, the session's end, a script's "exit").
    void ExitProgram(bool someoneAnswers = true);
    // Save the catalogue (unless it is the incomplete result of a stopped rescan and a saved
    // one exists), copy it over the named database when the last rescan is less than a day
    // old, release the hot keys, save the settings. False when something was not saved; the
    // error was shown, or logged when no one answers.
    bool RunDestructionWork(bool someoneAnswers = true);

    // Export menu.
    void Listoffiles1Click();
    void Tableofresults1Click();

    // Menu and tray items by their object names ("Execute1", "Copyfiles1", "Programoptions1",
    // "OpenPowerSearch1", ...), and the numbered buttons (1 Search, 2 Rescan, 3 "...",
    // 4 Options, 5 Power search, 6 Internet search, 7 Help, 8 About, 9 Close): the command
    // files attach their handlers to these.
    QAction* MenuAction(const QString& objectName) const;
    QPushButton* Button(int number) const;
    QLabel* DatabasesLinkLabel() const { return DatabasesLink; }
    ProgramContext& Context() const { return context_; }

    // Widgets the tests drive.
    QComboBox* SearchBox() const { return ComboBox1; }
    QCheckBox* CheckBox(int number) const;
    QPushButton* SearchButton() const { return Button1; }
    QPushButton* RescanButton() const { return Button2; }
    ResultListView* ResultView() const { return ListView1; }
    ResultListModel* Model() const { return model_.get(); }
    ResultIcons* Icons() const { return icons_; }
    ViewSelection& Selection() const { return *selection_; }
    TFieldsSelectFrm* FieldsChooser() const { return fieldsChooser_; }
    TRescanForm* RescanForm() const { return rescanForm_; }
    QSystemTrayIcon* TrayIcon() const { return tray_; }
    QString StatusText() const;
    // The status bar's second field: shown only while the results stop at the limit.
    QLabel* LimitNotice() const { return limitNotice_; }
    // The hint drawn over an empty result list.
    QLabel* EmptyHint() const { return emptyHint_; }
    // The last search once more with no limit: the notice's "Show all".
    void ShowAllResults();
    // The marked parts of a result cell: where the last search's query matched the entry.
    ResultItemDelegate::Marks MatchMarks(int row, int column) const;
    void SetStatusText(const QString& text);
    const SortState& Sorting() const { return sortState_; }

  Q_SIGNALS:
    void rescanFinished();
    // The open search ran again because the catalogue changed under it.
    void resultsRefreshed();
    // A refresh waits: the user is busy with the list (a menu, a drag, typing in it).
    void refreshPostponed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    class WindowRescanObserver;

    void ShowProgress(const QString& folder, qulonglong found);
    void PlaceRescanForm();
    // Takes back a rescan that ended, or stops one that runs, and shows how it ended; nothing
    // without one.
    void RescanEnded();
    // The end's save of the catalogue and its copy over the named database; what failed, or
    // nothing. `saved` turns false when the catalogue was not saved.
    QString SaveCatalogueAtTheEnd(bool& saved);
    void BuildControls();
    void BuildSearchControls(QWidget* central);
    void BuildResultList(QWidget* central);
    void LayOutControls(QWidget* central);
    void BuildMenus();
    void BuildTray();
    void CheckBox3Click();
    void CheckBox4Click();
    void ListView1ColumnClick(int column);
    void Selectall1Click();
    void Invertselection1Click();
    void FocusChanged(QWidget* old, QWidget* now);
    void BringModalDialogForward();
    TSearchOptions ReadSearchOptions() const;
    void SearchTextEdited();
    // Settled: Search or Enter (the text joins the history, the list takes the focus); Typed: a
    // search as the text is typed; Refresh: the open search again, after the catalogue changed.
    enum class SearchKind { Settled, Typed, Refresh };
    void RunSearch(const std::string& text, const TSearchOptions& options, int64_t maxResultsCount,
                   SearchKind kind);
    bool ChangesTouchSearch(const LiveChanges& changes);
    // The open search again, the list kept at the same entries; it waits while the user drags,
    // types in the list or has a menu open.
    void RefreshResults();
    bool UserBusyWithList() const;
    void RememberTypedText();
    void ShowHistory();
    void ShowError(const QString& text);
    void ShowExported(const QString& path);

    ProgramContext& context_;
    QComboBox* ComboBox1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QPushButton* Button1;  // Search
    QPushButton* Button2;  // Rescan
    QPushButton* Button3;  // ... (Boolean expression builder)
    QPushButton* Button4;  // Options
    QPushButton* Button5;  // Power search
    QPushButton* Button6;  // Internet search
    QPushButton* Button7;  // Help
    QPushButton* Button8;  // About
    QPushButton* Button9;  // Close
    QLabel* DatabasesLink;
    ResultListView* ListView1;
    QLabel* statusLabel_;
    QLabel* limitNotice_;
    QLabel* emptyHint_;
    std::unique_ptr<ResultListModel> model_;
    std::unique_ptr<ViewSelection> selection_;
    ResultIcons* icons_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    TFieldsSelectFrm* fieldsChooser_;
    TRescanForm* rescanForm_;
    QTimer StartupTimer;
    // Zero-delay and single-shot: the edits that arrive while a search runs end up as one
    // search of the latest text.
    QTimer typingTimer_;
    // The text of a search run while typing, until it joins the history.
    std::optional<std::string> typedText_;
    // What the last search searched for and how: "Show all" repeats it and the list marks
    // where it matched.
    std::string lastText_;
    TSearchOptions lastOptions_;
    int64_t lastMaxResults_ = 0;
    bool searched_ = false;
    // Single-shot: a refresh after changes to the catalogue, or its retry once the user is done.
    QTimer refreshTimer_;
    // Tells whether changed entries match the open search.
    TSearchDriver changeMatcher_;

    int mainWindowState_ = NotYetShown;
    std::function<bool()> trayAvailable_;
    bool ended_ = false;
    // The stop text of a rescan that a search stopped, shown when that search ends.
    QString stoppedRescanText_;
    int exitStatus_ = 0;
    TSearchHistory history_;
    TSearchDriver searchDriver_;
    std::unique_ptr<WindowRescanObserver> rescanObserver_;
    // Tells the posted calls of one rescan from those of the next.
    std::atomic<uint64_t> rescanSerial_{0};
    SortState sortState_;
    ResultSorter sorter_;
    // The catalogue indices of the results, for column clicks from the catalogue's ranks.
    ResultOrigin resultOrigin_;
    TypeAhead typeAhead_;
};

}  // namespace quillory::app
