#pragma once
// The Options dialog: pages "General", "Database" and "Search". It works on copies: Fill()
// takes them from the options each time the dialog opens, the editors change only the
// copies, and Apply() (OK) writes them all back. The database commands "New DB", "Open DB"
// and "Save DB" act at once and stay done whatever button closes the dialog.

#include <QDialog>
#include <string>

#include "app/extension_filter_form.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeySequenceEdit;
class QLabel;
class QPushButton;
class QTabWidget;

namespace quillory::command {
class LiveCatalogue;
}

namespace quillory::app {

// The statistics' line on live updates: off (and why, when the system refused), or how many
// folders are watched and how many the quick check covers.
QString LiveUpdatesText(command::LiveCatalogue& live);

class OptionPrompts;
class TFolderListForm;
struct ProgramContext;

class TOptionForm : public QDialog {
    Q_OBJECT
  public:
    enum Page { GeneralPage = 0, DatabasePage = 1, SearchPage = 2 };

    // The copies the dialog holds itself (the other options live in its controls).
    struct Copies {
        std::string powerSearchFile;
        std::string includedFolders;
        std::string excludedFolders;
        ExtensionLists extensions;
    };

    TOptionForm(ProgramContext& context, OptionPrompts& prompts, QWidget* parent);

    // Fills the controls and copies, shows the dialog modally on the page it showed last and,
    // on OK, applies. True on OK.
    bool Run();
    // Controls, copies and statistics from the options and the catalogue.
    void Fill();
    // Every control and copy to the options; the result limit only when an item is selected.
    void Apply();

    // The database commands.
    void NewDBClick();
    void OpenDBClick();
    // Open DB without its file chooser (also a later start's database path): the named
    // database is brought up to date first, then `path` is loaded. False when either failed
    // (the error was shown).
    bool OpenDatabaseFile(const QString& path);
    void SaveDBClick();
    // The editors of the copies.
    void IncludedFoldersClick();
    void ExcludedFoldersClick();
    void IncludedExtensionsClick();
    void ExcludedExtensionsClick();
    void PowerSearchProgramClick();

    const Copies& WorkingCopies() const { return copies_; }
    QTabWidget* Pages() const { return PageControl1; }
    QCheckBox* RescanOnStartupBox() const { return CheckBox1; }
    QCheckBox* MinimizeOnStartupBox() const { return CheckBox2; }
    QCheckBox* StartWindowsStartsBox() const { return CheckBox3; }
    QCheckBox* ExtensionFilterBox() const { return CheckBox4; }
    QKeySequenceEdit* HotKeyField(int number) const { return number == 1 ? HotKey1 : HotKey2; }
    QComboBox* ResultLimitList() const { return ComboBox1; }
    QCheckBox* SearchAsYouTypeBox() const { return searchAsYouType_; }
    QLabel* EntryCountText() const { return countText_; }
    QLabel* RescanSecondsText() const { return secondsText_; }
    QLabel* RescanTimeText() const { return timeText_; }
    QLabel* LiveUpdatesStatus() const { return liveText_; }
    QCheckBox* LiveUpdatesBox() const { return liveUpdates_; }
    QPushButton* CommandButton(const QString& accessibleName) const;
    TFolderListForm* FolderList() const { return folderList_; }
    TExtensionFilterForm* ExtensionFilter() const { return extensionFilter_; }

  private:
    void BuildGeneralPage(QWidget* page);
    void BuildDatabasePage(QWidget* page);
    QGroupBox* BuildManagementGroup(QWidget* page);
    QGroupBox* BuildStatisticsGroup(QWidget* page);
    void BuildSearchPage(QWidget* page);
    void FillDatabaseCopies();
    void CommitDatabaseCopies();
    void ShowStatistics();
    // Saves the catalogue to the named database when its last rescan is less than a day
    // old. False when that save failed (the error was shown).
    bool KeepNamedDatabaseUpToDate();
    void ShowError(const std::exception& error);

    ProgramContext& context_;
    OptionPrompts& prompts_;
    Copies copies_;
    QTabWidget* PageControl1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QKeySequenceEdit* HotKey1;
    QKeySequenceEdit* HotKey2;
    QComboBox* ComboBox1;
    QCheckBox* searchAsYouType_;
    QLabel* countText_;
    QLabel* secondsText_;
    QLabel* timeText_;
    QLabel* liveText_;
    QCheckBox* liveUpdates_;
    TFolderListForm* folderList_;
    TExtensionFilterForm* extensionFilter_;
};

}  // namespace quillory::app
