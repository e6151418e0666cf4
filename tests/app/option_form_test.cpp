// The Options dialog driven as a user would: opened from the main window, its copies and
// controls filled and applied, the folder and extension editors, and the database commands.
// Every chooser and box is answered by a fake; modal dialogs are answered from a timer.
#include "app/option_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <functional>

#include "app/folder_list_form.h"
#include "app/main_window.h"
#include "app/option_commands.h"
#include "app/option_prompts.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "fake_prompts.h"
#include "platform/error.h"
#include "scan/duration_text.h"
#include "tests/search/catalogue_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

using quillory::test::AddEntry;
using quillory::test::FullPaths;
using quillory::test::ReadFileBytes;

class FakeOptionPrompts : public OptionPrompts {
  public:
    struct FileAsk {
        QString title;
        bool forSave;
        QString startFolder;
        QString proposedName;
    };
    QString ChooseDatabaseFile(QWidget*, const QString& title, bool forSave, const QString& startFolder,
                               const QString& proposedName) override {
        fileAsks.push_back({title, forSave, startFolder, proposedName});
        return nextFile;
    }
    QString ChooseFolder(QWidget*) override { return nextFolder; }
    void ShowInformationBox(const QString& caption, const QString& text) override {
        boxes << caption + QStringLiteral("|") + text;
    }
    bool ChoosePowerSearchProgram(QWidget*, QString& path) override {
        shownProgram = path;
        if (!programOk) return false;
        path = nextProgram;
        return true;
    }

    std::vector<FileAsk> fileAsks;
    QString nextFile;
    QString nextFolder;
    QStringList boxes;
    QString shownProgram;
    bool programOk = false;
    QString nextProgram;
};

struct AutostartCall {
    QString name;
    QString path;
    bool runOnce;
    bool remove;
};

// Runs `step` on the modal dialog as soon as it is shown.
void WhenModal(std::function<void(QWidget*)> step) {
    QTimer::singleShot(0, qApp, [step = std::move(step)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        step(modal);
    });
}

void Accept(QWidget* dialog) {
    static_cast<QDialog*>(dialog)->accept();
}

void Reject(QWidget* dialog) {
    static_cast<QDialog*>(dialog)->reject();
}

void LoseFocus(QWidget* widget) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
}

std::string Bytes(const QString& text) {
    return text.toUtf8().toStdString();
}

class OptionFormTest : public ::testing::Test {
  protected:
    OptionFormTest() {
        context.prompts = &prompts;
        context.now = [this] { return now; };
        context.workingDatabasePath = home.DataFolder() + "index.dat";
        std::filesystem::create_directories(home.DataFolder());
        context.settings.MaxResultsCount = 10000;
        context.database().IncludedFolders = "/home/\r\n";
        AddEntry(context.keeper.Write()->Entries, "/music/", "zeta.mp3");
        AddEntry(context.keeper.Write()->Entries, "/music/", "alpha.mp3");
        AddEntry(context.keeper.Write()->Entries, "/docs/", "sub", true);
        window = std::make_unique<TQuilloryForm1>(context);
        OptionCommandHooks hooks;
        hooks.autostart = [this](const QString& name, const QString& path, bool runOnce, bool remove) {
            autostartCalls.push_back({name, path, runOnce, remove});
            if (!autostartError.empty()) throw Error(autostartError);
        };
        hooks.reregisterHotKeys = [this] { ++hotKeyRegistrations; };
        commands = AttachOptionCommands(*window, optionPrompts, hooks);
        dialog = commands->Dialog();
    }

    // Clicks "Options" and answers the dialog with `step` (which closes it).
    void OpenOptions(std::function<void(TOptionForm&)> step) {
        WhenModal([this, step](QWidget* modal) {
            ASSERT_EQ(modal, dialog);
            step(*dialog);
        });
        window->Button(4)->click();
    }

    // A named database file at `path` holding `names`, stored under `storedName`.
    void WriteDatabase(const std::string& path, const std::vector<std::string>& names,
                       const std::string& storedName, const std::string& included) {
        EntryList entries;
        for (const std::string& name : names) AddEntry(entries, "/stored/", name);
        TProgramOptions options(included);
        options.DatabaseName = "stored";
        options.DBFileName = storedName;
        options.ExcludedFolders = "/stored/skip/\r\n";
        options.ExtensionFilterOn = true;
        options.IncludeExtensionsMode = true;
        options.IncludedExtensions = "flac\r\n";
        options.LastRescanSeconds = 187;
        options.LastRescanTime = 45000.25;
        SaveDatabase(entries, options, path, ActivityLog());
    }

    std::vector<std::string> NamesIn(const std::string& path) {
        EntryList entries;
        TProgramOptions options(std::string{});
        LoadDatabase(entries, options, path, ActivityLog());
        return FullPaths(entries);
    }

    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    FakeOptionPrompts optionPrompts;
    ProgramContext context;
    DateTime now = 46000.5;
    std::vector<AutostartCall> autostartCalls;
    std::string autostartError;
    int hotKeyRegistrations = 0;
    std::unique_ptr<TQuilloryForm1> window;
    OptionCommands* commands = nullptr;
    TOptionForm* dialog = nullptr;
};

TEST_F(OptionFormTest, FillThenApplyGivesBackEveryOption) {
    ProgramSettings& settings = context.settings;
    settings.RescanOnStartup = true;
    settings.MinimizeOnStartup = false;
    settings.StartWindowsStarts = true;
    settings.HotKeys[1] = 0x4000 | 0x51;           // Ctrl+Q
    settings.HotKeys[2] = 0x8000 | 0x2000 | 0x74;  // Alt+Shift+F5
    settings.PowerSearchFile = "/opt/power/run";
    settings.MaxResultsCount = 1000;
    TProgramOptions& options = context.database();
    options.IncludedFolders = "/home/\r\n/srv/\r\n";
    options.ExcludedFolders = "/home/tmp/\r\n";
    options.ExtensionFilterOn = true;
    options.IncludeExtensionsMode = false;
    options.ExcludeExtensionsMode = true;
    options.IncludedExtensions = "mp3\r\n";
    options.ExcludedExtensions = "tmp\r\nbak\r\n";
    const TProgramOptions before = options;
    const ProgramSettings settingsBefore = settings;

    dialog->Fill();
    EXPECT_TRUE(dialog->RescanOnStartupBox()->isChecked());
    EXPECT_FALSE(dialog->MinimizeOnStartupBox()->isChecked());
    EXPECT_EQ(dialog->HotKeyField(1)->keySequence(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(dialog->HotKeyField(2)->keySequence(), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_F5));
    EXPECT_EQ(dialog->ResultLimitList()->currentText(), QStringLiteral("up to 1000 results"));

    // The copies are copies: changing the options afterwards does not reach them.
    options = TProgramOptions(std::string{});
    settings = ProgramSettings();
    dialog->Apply();
    EXPECT_EQ(settings.RescanOnStartup, settingsBefore.RescanOnStartup);
    EXPECT_EQ(settings.MinimizeOnStartup, settingsBefore.MinimizeOnStartup);
    EXPECT_EQ(settings.StartWindowsStarts, settingsBefore.StartWindowsStarts);
    EXPECT_EQ(settings.HotKeys[1], settingsBefore.HotKeys[1]);
    EXPECT_EQ(settings.HotKeys[2], settingsBefore.HotKeys[2]);
    EXPECT_EQ(settings.PowerSearchFile, settingsBefore.PowerSearchFile);
    EXPECT_EQ(options.IncludedFolders, before.IncludedFolders);
    EXPECT_EQ(options.ExcludedFolders, before.ExcludedFolders);
    EXPECT_EQ(options.ExtensionFilterOn, before.ExtensionFilterOn);
    EXPECT_EQ(options.IncludeExtensionsMode, before.IncludeExtensionsMode);
    EXPECT_EQ(options.ExcludeExtensionsMode, before.ExcludeExtensionsMode);
    EXPECT_EQ(options.IncludedExtensions, before.IncludedExtensions);
    EXPECT_EQ(options.ExcludedExtensions, before.ExcludedExtensions);
    EXPECT_EQ(settings.MaxResultsCount, 1000);
}

TEST_F(OptionFormTest, ControlsEditedByTheUserReachTheOptions) {
    dialog->Fill();
    dialog->MinimizeOnStartupBox()->setChecked(true);
    dialog->ExtensionFilterBox()->setChecked(true);
    dialog->HotKeyField(1)->setKeySequence(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    dialog->HotKeyField(2)->setKeySequence(QKeySequence(Qt::ALT | Qt::Key_7));
    dialog->ResultLimitList()->setCurrentIndex(4);
    ASSERT_TRUE(dialog->SearchAsYouTypeBox()->isChecked());
    dialog->SearchAsYouTypeBox()->setChecked(false);
    ASSERT_TRUE(dialog->LiveUpdatesBox()->isChecked());
    EXPECT_EQ(dialog->LiveUpdatesStatus()->text(), QStringLiteral("Off"));  // nothing watched yet
    dialog->LiveUpdatesBox()->setChecked(false);
    dialog->Apply();
    const ProgramSettings& options = context.settings;
    EXPECT_FALSE(options.SearchAsYouType);
    EXPECT_FALSE(options.LiveUpdates);
    EXPECT_TRUE(options.MinimizeOnStartup);
    EXPECT_TRUE(context.database().ExtensionFilterOn);
    EXPECT_EQ(options.HotKeys[1], 0x4000 | 0x2000 | 0x7B);
    EXPECT_EQ(options.HotKeys[2], 0x8000 | 0x37);
    EXPECT_EQ(options.MaxResultsCount, 100);

    // A cleared field is no hot key; so is a key the codes cannot express.
    dialog->HotKeyField(1)->clear();
    dialog->HotKeyField(2)->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_Egrave));
    dialog->ResultLimitList()->setCurrentIndex(-1);
    dialog->Apply();
    EXPECT_EQ(options.HotKeys[1], 0);
    EXPECT_EQ(options.HotKeys[2], 0);
    EXPECT_EQ(options.MaxResultsCount, 100);  // nothing selected: unchanged
}

TEST_F(OptionFormTest, OkKeepsAStoredHotKeyTheFieldCannotShowUntilTheUserEditsIt) {
    context.settings.HotKeys[1] = 0x40FF;  // Ctrl with a key this program does not map
    context.settings.HotKeys[2] = 0xFFFF;
    OpenOptions([](TOptionForm& form) {
        EXPECT_TRUE(form.HotKeyField(1)->keySequence().isEmpty());
        form.accept();
    });
    EXPECT_EQ(context.settings.HotKeys[1], 0x40FF);
    EXPECT_EQ(context.settings.HotKeys[2], 0xFFFF);

    // An edit replaces it, also one that leaves the field empty again.
    OpenOptions([](TOptionForm& form) {
        form.HotKeyField(1)->setKeySequence(QKeySequence(Qt::ALT | Qt::Key_A));
        form.HotKeyField(1)->clear();
        form.HotKeyField(2)->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_F1));
        form.accept();
    });
    EXPECT_EQ(context.settings.HotKeys[1], 0);
    EXPECT_EQ(context.settings.HotKeys[2], 0x4070);
}

TEST_F(OptionFormTest, ScreenReadersHearTheHotKeyFieldsAndTheirClearButtonsByName) {
    for (int number : {1, 2}) {
        const QString name = number == 1 ? QStringLiteral("Open program") : QStringLiteral("Power search");
        auto* edit = dialog->HotKeyField(number)->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->accessibleName(), name);
        const QList<QToolButton*> clear = edit->findChildren<QToolButton*>();
        ASSERT_FALSE(clear.isEmpty());
        for (QToolButton* button : clear) EXPECT_EQ(button->accessibleName(), QStringLiteral("Clear ") + name);
    }
}

TEST_F(OptionFormTest, LimitAbove10000OpensOnAllResultsAndOkStoresTheLargeValue) {
    context.settings.MaxResultsCount = 10001;
    OpenOptions([](TOptionForm& form) {
        EXPECT_EQ(form.ResultLimitList()->currentText(), QStringLiteral("all results"));
        form.accept();
    });
    EXPECT_EQ(context.settings.MaxResultsCount, 1000000000);

    context.settings.MaxResultsCount = 150;
    OpenOptions([](TOptionForm& form) {
        EXPECT_EQ(form.ResultLimitList()->currentText(), QStringLiteral("up to 300 results"));
        form.accept();
    });
    EXPECT_EQ(context.settings.MaxResultsCount, 300);
}

TEST_F(OptionFormTest, OkRefreshesTheCaptionRegistersHotKeysAndSetsTheLogOnStart) {
    context.database().DBFileName = "/data/music.qdb";
    OpenOptions([](TOptionForm& form) {
        form.StartWindowsStartsBox()->setChecked(true);
        form.accept();
    });
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillory - Database: music.qdb"));
    EXPECT_EQ(hotKeyRegistrations, 1);
    ASSERT_EQ(autostartCalls.size(), 1u);
    EXPECT_EQ(autostartCalls[0].name, QStringLiteral("Quillory"));
    EXPECT_EQ(autostartCalls[0].path, QCoreApplication::applicationFilePath());
    EXPECT_FALSE(autostartCalls[0].runOnce);
    EXPECT_FALSE(autostartCalls[0].remove);

    // Every OK sets it again; its error is shown, and the options stay applied.
    autostartError = "Failed to create key /nowhere";
    OpenOptions([](TOptionForm& form) {
        form.StartWindowsStartsBox()->setChecked(false);
        form.accept();
    });
    ASSERT_EQ(autostartCalls.size(), 2u);
    EXPECT_TRUE(autostartCalls[1].remove);
    EXPECT_EQ(prompts.errors, QStringList{"Failed to create key /nowhere"});
    EXPECT_FALSE(context.settings.StartWindowsStarts);
}

TEST_F(OptionFormTest, CancelChangesNothing) {
    TProgramOptions& options = context.database();
    ProgramSettings& settings = context.settings;
    settings.PowerSearchFile = "/opt/old";
    options.ExcludedFolders = "/home/tmp/\r\n";
    const std::string titleBefore = Bytes(window->windowTitle());
    optionPrompts.nextFolder = QStringLiteral("/added");
    optionPrompts.programOk = true;
    optionPrompts.nextProgram = QStringLiteral("/opt/new");
    OpenOptions([](TOptionForm& form) {
        form.RescanOnStartupBox()->setChecked(true);
        form.ExtensionFilterBox()->setChecked(true);
        form.HotKeyField(1)->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_K));
        form.ResultLimitList()->setCurrentIndex(0);
        form.PowerSearchProgramClick();
        WhenModal([&form](QWidget* list) {
            form.FolderList()->BrowseClick();
            Accept(list);
        });
        form.IncludedFoldersClick();
        EXPECT_EQ(form.WorkingCopies().includedFolders, "/home/\r\n/added/\r\n");
        EXPECT_EQ(form.WorkingCopies().powerSearchFile, "/opt/new");
        form.reject();
    });
    EXPECT_FALSE(settings.RescanOnStartup);
    EXPECT_FALSE(options.ExtensionFilterOn);
    EXPECT_EQ(settings.HotKeys[1], 0);
    EXPECT_EQ(settings.MaxResultsCount, 10000);
    EXPECT_EQ(options.IncludedFolders, "/home/\r\n");
    EXPECT_EQ(settings.PowerSearchFile, "/opt/old");
    EXPECT_EQ(Bytes(window->windowTitle()), titleBefore);
    EXPECT_TRUE(autostartCalls.empty());
    EXPECT_EQ(hotKeyRegistrations, 0);

    // The next opening starts again from the options, not from the abandoned copies.
    OpenOptions([](TOptionForm& form) {
        EXPECT_EQ(form.WorkingCopies().includedFolders, "/home/\r\n");
        EXPECT_EQ(form.WorkingCopies().powerSearchFile, "/opt/old");
        EXPECT_FALSE(form.RescanOnStartupBox()->isChecked());
        form.reject();
    });
}

TEST_F(OptionFormTest, DatabasesLinkOpensOnTheDatabasePageAndThePageIsKept) {
    dialog->Pages()->setCurrentIndex(TOptionForm::SearchPage);
    WhenModal([this](QWidget*) {
        EXPECT_EQ(dialog->Pages()->currentIndex(), TOptionForm::DatabasePage);
        dialog->Pages()->setCurrentIndex(TOptionForm::GeneralPage);
        dialog->reject();
    });
    Q_EMIT window->DatabasesLinkLabel()->linkActivated(QStringLiteral("#"));
    OpenOptions([](TOptionForm& form) {
        EXPECT_EQ(form.Pages()->currentIndex(), TOptionForm::GeneralPage);
        form.Pages()->setCurrentIndex(TOptionForm::SearchPage);
        form.reject();
    });
    // The menu item opens it the same way, on the page left last.
    WhenModal([this](QWidget*) {
        EXPECT_EQ(dialog->Pages()->currentIndex(), TOptionForm::SearchPage);
        dialog->reject();
    });
    window->MenuAction(QStringLiteral("Programoptions1"))->trigger();
}

TEST_F(OptionFormTest, StatisticsShowCountDurationAndDate) {
    context.database().LastRescanSeconds = 187;
    context.database().LastRescanTime = 0;
    dialog->Fill();
    EXPECT_EQ(dialog->EntryCountText()->text(), QStringLiteral("3"));
    EXPECT_EQ(dialog->RescanSecondsText()->text(), QStringLiteral("0:03:07"));
    EXPECT_EQ(Bytes(dialog->RescanTimeText()->text()), DateText(0, LocaleFormats::FromEnvironment()));
}

TEST_F(OptionFormTest, FolderListTidiesOnFocusLossAndBrowsesWithoutDuplicates) {
    dialog->Fill();
    WhenModal([this](QWidget* modal) {
        TFolderListForm* list = dialog->FolderList();
        ASSERT_EQ(modal, list);
        EXPECT_EQ(list->windowTitle(), QStringLiteral("Select folders"));
        EXPECT_EQ(list->Label()->text().remove('&'), QStringLiteral("Enter included folders"));
        EXPECT_EQ(list->BrowseButton()->text().remove('&'), QStringLiteral("Add folder..."));
        EXPECT_EQ(list->Box()->toPlainText(), QStringLiteral("/home/"));
        list->Box()->setPlainText(QStringLiteral("/home/\n/media/Music\n\nE:/\n D:\\Data\\"));
        LoseFocus(list->Box());
        EXPECT_EQ(list->Box()->toPlainText(), QStringLiteral("/home/\n/media/Music/\nE:/\n D:\\Data\\"));
        optionPrompts.nextFolder = QStringLiteral("/media/Music");
        list->BrowseClick();
        optionPrompts.nextFolder = QString();  // cancelled chooser
        list->BrowseClick();
        optionPrompts.nextFolder = QStringLiteral("/MEDIA/music");  // another folder on Linux
        list->BrowseClick();
        EXPECT_EQ(list->Box()->toPlainText(),
                  QStringLiteral("/home/\n/media/Music/\nE:/\n D:\\Data\\\n/MEDIA/music/"));
        // OK tidies too, also a line typed after the last focus change.
        list->Box()->appendPlainText(QStringLiteral("/opt"));
        Accept(list);
    });
    dialog->IncludedFoldersClick();
    EXPECT_EQ(dialog->WorkingCopies().includedFolders,
              "/home/\r\n/media/Music/\r\nE:/\r\n D:\\Data\\\r\n/MEDIA/music/\r\n/opt/\r\n");

    // The excluded list: its own label and copy; Cancel leaves the copy alone.
    WhenModal([this](QWidget* list) {
        EXPECT_EQ(dialog->FolderList()->Label()->text().remove('&'),
                  QStringLiteral("Enter excluded folders"));
        EXPECT_EQ(dialog->FolderList()->BrowseButton()->text().remove('&'), QStringLiteral("Add folder..."));
        EXPECT_EQ(dialog->FolderList()->Box()->toPlainText(), QString());
        dialog->FolderList()->Box()->setPlainText(QStringLiteral("/tmp"));
        Reject(list);
    });
    dialog->ExcludedFoldersClick();
    EXPECT_EQ(dialog->WorkingCopies().excludedFolders, "");
}

TEST_F(OptionFormTest, ExtensionFilterSwallowsWildcardKeysAndTidiesBothLists) {
    context.database().IncludedExtensions = "mp3\r\n";
    context.database().ExcludedExtensions = "tmp\r\n";
    dialog->Fill();
    WhenModal([this](QWidget* modal) {
        TExtensionFilterForm* filter = dialog->ExtensionFilter();
        ASSERT_EQ(modal, filter);
        EXPECT_EQ(filter->windowTitle(), QStringLiteral("File extension filter"));
        EXPECT_TRUE(filter->IncludeButton()->isChecked());
        EXPECT_EQ(filter->IncludeBox()->toPlainText(), QStringLiteral("mp3"));
        EXPECT_EQ(filter->ExcludeBox()->toPlainText(), QStringLiteral("tmp"));
        filter->IncludeBox()->moveCursor(QTextCursor::End);
        QTest::keyClick(filter->IncludeBox(), Qt::Key_Return);
        QTest::keyClicks(filter->IncludeBox(), QStringLiteral(".o*g?g."));
        EXPECT_EQ(filter->IncludeBox()->toPlainText(), QStringLiteral("mp3\nogg"));
        // Pasted text is taken as it comes, and tidied when either box loses the focus.
        filter->IncludeBox()->setPlainText(QStringLiteral("mp3\n.MP3\n.\n..txt\n\nogg"));
        filter->ExcludeBox()->setPlainText(QStringLiteral(".bak\n\n."));
        LoseFocus(filter->ExcludeBox());
        EXPECT_EQ(filter->IncludeBox()->toPlainText(), QStringLiteral("mp3\nMP3\n.txt\nogg"));
        EXPECT_EQ(filter->ExcludeBox()->toPlainText(), QStringLiteral("bak"));
        // OK is another focus loss: the remaining leading dot goes too.
        Accept(filter);
    });
    dialog->IncludedExtensionsClick();
    const ExtensionLists& lists = dialog->WorkingCopies().extensions;
    EXPECT_EQ(lists.included, "mp3\r\nMP3\r\ntxt\r\nogg\r\n");
    EXPECT_EQ(lists.excluded, "bak\r\n");
    EXPECT_TRUE(lists.includeMode);
    EXPECT_FALSE(lists.excludeMode);

    // "-" selects the exclude list; Cancel keeps the copies and modes.
    WhenModal([this](QWidget* filter) {
        EXPECT_TRUE(dialog->ExtensionFilter()->ExcludeButton()->isChecked());
        EXPECT_EQ(dialog->ExtensionFilter()->IncludeBox()->toPlainText(),
                  QStringLiteral("mp3\nMP3\ntxt\nogg"));
        dialog->ExtensionFilter()->ExcludeBox()->setPlainText(QStringLiteral("zip"));
        Reject(filter);
    });
    dialog->ExcludedExtensionsClick();
    EXPECT_EQ(dialog->WorkingCopies().extensions.excluded, "bak\r\n");
    EXPECT_TRUE(dialog->WorkingCopies().extensions.includeMode);

    WhenModal([](QWidget* filter) { Accept(filter); });
    dialog->ExcludedExtensionsClick();
    EXPECT_FALSE(dialog->WorkingCopies().extensions.includeMode);
    EXPECT_TRUE(dialog->WorkingCopies().extensions.excludeMode);
    // Only OK brings the copies to the options.
    EXPECT_EQ(context.database().IncludedExtensions, "mp3\r\n");
    dialog->Apply();
    EXPECT_EQ(context.database().IncludedExtensions, "mp3\r\nMP3\r\ntxt\r\nogg\r\n");
    EXPECT_TRUE(context.database().ExcludeExtensionsMode);
}

TEST_F(OptionFormTest, NewDbRightAfterARescanSavesTheNamedFileFirstThenUnlinksIt) {
    const std::string named = home.Dir() / "music.qdb";
    WriteDatabase(named, {"old.mp3"}, named, "/stored/\r\n");
    context.database().DBFileName = named;
    context.database().LastRescanTime = now - 10.0 / (24 * 60);
    window->UpdateCaption();
    OpenOptions([this](TOptionForm& form) {
        form.CommandButton(QStringLiteral("New DB"))->click();
        EXPECT_TRUE(context.database().DBFileName.empty());
        EXPECT_EQ(form.EntryCountText()->text(), QString());
        EXPECT_EQ(form.RescanSecondsText()->text(), QString());
        EXPECT_EQ(form.RescanTimeText()->text(), QString());
        // The caption keeps the old name until OK.
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillory - Database: music.qdb"));
        form.accept();
    });
    EXPECT_EQ(NamesIn(named), (std::vector<std::string>{"/music/zeta.mp3", "/music/alpha.mp3", "/docs/sub"}));
    ASSERT_EQ(optionPrompts.boxes.size(), 1);
    EXPECT_EQ(
        optionPrompts.boxes[0],
        QStringLiteral("New database|1. Set list of folders and extensions for your new DB\n(use \"+\" and "
                       "\"-\" buttons).\n2. Click OK, then click Rescan.\n3. Save your new DB to a file."));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillory - Database: None"));
    // The old entries stay searchable until the next rescan.
    EXPECT_EQ(context.keeper.Read()->Entries.Count(), 3u);
}

TEST_F(OptionFormTest, NewDbLongAfterTheLastRescanLeavesTheNamedFileAlone) {
    const std::string named = home.Dir() / "music.qdb";
    WriteDatabase(named, {"old.mp3"}, named, "/stored/\r\n");
    const std::string bytes = ReadFileBytes(named);
    context.database().DBFileName = named;
    context.database().LastRescanTime = now - 25.0 / 24;
    dialog->Fill();
    dialog->NewDBClick();
    EXPECT_EQ(ReadFileBytes(named), bytes);
    EXPECT_TRUE(context.database().DBFileName.empty());
    EXPECT_EQ(optionPrompts.boxes.size(), 1);
}

TEST_F(OptionFormTest, NewDbWhoseSaveFailsStopsThereAndKeepsTheLink) {
    context.database().DBFileName = home.Dir() / "missing-folder/music.qdb";
    context.database().LastRescanTime = now;
    dialog->Fill();
    dialog->NewDBClick();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(context.database().DBFileName, home.Dir() / "missing-folder/music.qdb");
    EXPECT_TRUE(optionPrompts.boxes.isEmpty());
    EXPECT_EQ(dialog->EntryCountText()->text(), QStringLiteral("3"));
}

TEST_F(OptionFormTest, OpenDbLinksToTheOpenedFileNeverToAPathStoredInItAndRefillsTheCopies) {
    // A database saved as /original/music.qdb, then copied elsewhere (or made by someone
    // else to name any file): the end of the program must not copy over that stored path.
    const std::string copy = home.Dir() / "copies/music.qdb";
    std::filesystem::create_directories(home.Dir() / "copies");
    WriteDatabase(copy, {"a.flac", "b.flac"}, "/original/music.qdb", "/stored/\r\n");
    // The current named database was rescanned a minute ago: it is saved before the load.
    const std::string current = home.Dir() / "current.qdb";
    context.database().DBFileName = current;
    context.database().LastRescanTime = now - 1.0 / (24 * 60);
    context.settings.MaxResultsCount = 300;

    optionPrompts.nextFile = QString::fromStdString(copy);
    OpenOptions([this](TOptionForm& form) {
        form.CommandButton(QStringLiteral("Open DB"))->click();
        EXPECT_EQ(form.WorkingCopies().includedFolders, "/stored/\r\n");
        EXPECT_EQ(form.WorkingCopies().excludedFolders, "/stored/skip/\r\n");
        EXPECT_EQ(form.WorkingCopies().extensions.included, "flac\r\n");
        EXPECT_TRUE(form.WorkingCopies().extensions.includeMode);
        EXPECT_TRUE(form.ExtensionFilterBox()->isChecked());
        EXPECT_EQ(form.EntryCountText()->text(), QStringLiteral("2"));
        EXPECT_EQ(form.RescanSecondsText()->text(), QStringLiteral("0:03:07"));
        EXPECT_EQ(Bytes(form.RescanTimeText()->text()), DateText(45000.25, LocaleFormats::FromEnvironment()));
        form.reject();  // the load stays done
    });
    ASSERT_EQ(optionPrompts.fileAsks.size(), 1u);
    EXPECT_EQ(optionPrompts.fileAsks[0].title, QStringLiteral("Open database from file"));
    EXPECT_FALSE(optionPrompts.fileAsks[0].forSave);
    EXPECT_EQ(NamesIn(current),
              (std::vector<std::string>{"/music/zeta.mp3", "/music/alpha.mp3", "/docs/sub"}));
    const auto catalogue = context.keeper.Read();
    EXPECT_EQ(FullPaths(catalogue->Entries), (std::vector<std::string>{"/stored/a.flac", "/stored/b.flac"}));
    EXPECT_EQ(catalogue->Options.DBFileName, copy);
    EXPECT_EQ(catalogue->Options.IncludedFolders, "/stored/\r\n");
    EXPECT_EQ(context.settings.MaxResultsCount, 300);  // not a database field
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(OptionFormTest, FailedOrCancelledOpenDbChangesNothing) {
    // A block length that promises more than the file holds.
    const std::string damaged =
        home.Dir().WriteFile("damaged.qdb", std::string("\x40\x00\x00\x00garbage", 11));
    context.database().DBFileName = "/data/music.qdb";
    context.database().IncludedFolders = "/home/\r\n";
    dialog->Fill();
    optionPrompts.nextFile = QString::fromStdString(damaged);
    dialog->OpenDBClick();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(context.keeper.Read()->Entries.Count(), 3u);
    EXPECT_EQ(context.database().DBFileName, "/data/music.qdb");
    EXPECT_EQ(context.database().IncludedFolders, "/home/\r\n");
    EXPECT_EQ(dialog->EntryCountText()->text(), QStringLiteral("3"));

    optionPrompts.nextFile = QString();
    dialog->OpenDBClick();
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(context.keeper.Read()->Entries.Count(), 3u);
}

TEST_F(OptionFormTest, SaveDbProposesANameCommitsTheCopiesAndWritesTheFile) {
    context.database().DatabaseName = "everything";
    dialog->Fill();
    optionPrompts.nextFolder = QStringLiteral("/srv");
    WhenModal([this](QWidget* list) {
        dialog->FolderList()->BrowseClick();
        Accept(list);
    });
    dialog->IncludedFoldersClick();
    dialog->ExtensionFilterBox()->setChecked(true);

    const std::string target = home.Dir() / "mine";
    optionPrompts.nextFile = QString::fromStdString(target);
    dialog->SaveDBClick();
    ASSERT_EQ(optionPrompts.fileAsks.size(), 1u);
    EXPECT_EQ(optionPrompts.fileAsks[0].title, QStringLiteral("Save database to file"));
    EXPECT_TRUE(optionPrompts.fileAsks[0].forSave);
    EXPECT_EQ(optionPrompts.fileAsks[0].startFolder, QString());
    EXPECT_EQ(optionPrompts.fileAsks[0].proposedName, QStringLiteral("everything"));

    const TProgramOptions& options = context.database();
    EXPECT_EQ(options.DBFileName, target + ".qdb");
    EXPECT_EQ(options.DatabaseName, "mine");
    EXPECT_EQ(options.IncludedFolders, "/home/\r\n/srv/\r\n");
    EXPECT_TRUE(options.ExtensionFilterOn);
    EXPECT_EQ(NamesIn(target + ".qdb"),
              (std::vector<std::string>{"/music/zeta.mp3", "/music/alpha.mp3", "/docs/sub"}));
    EntryList entries;
    TProgramOptions stored(std::string{});
    LoadDatabase(entries, stored, target + ".qdb", ActivityLog());
    EXPECT_EQ(stored.DBFileName, target + ".qdb");
    EXPECT_EQ(stored.IncludedFolders, "/home/\r\n/srv/\r\n");

    // With a named database the dialog starts in its folder with its short name.
    optionPrompts.nextFile = QString();
    dialog->SaveDBClick();
    ASSERT_EQ(optionPrompts.fileAsks.size(), 2u);
    EXPECT_EQ(Bytes(optionPrompts.fileAsks[1].startFolder), home.Dir().Path() + "/");
    EXPECT_EQ(optionPrompts.fileAsks[1].proposedName, QStringLiteral("mine"));
    EXPECT_EQ(options.DBFileName, target + ".qdb");  // cancelled: unchanged
}

TEST_F(OptionFormTest, FailedSaveDbKeepsTheNewNameAndTheCommittedCopies) {
    context.database().DBFileName = home.Dir() / "old.qdb";
    dialog->Fill();
    dialog->ExtensionFilterBox()->setChecked(true);
    const std::string target = home.Dir() / "no-such-folder/new.qdb";
    optionPrompts.nextFile = QString::fromStdString(target);
    OpenOptions([](TOptionForm& form) {
        form.ExtensionFilterBox()->setChecked(true);
        form.CommandButton(QStringLiteral("Save DB"))->click();
        form.reject();
    });
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("no-such-folder")));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(context.database().DBFileName, target);
    EXPECT_EQ(context.database().DatabaseName, "new");
    EXPECT_TRUE(context.database().ExtensionFilterOn);  // committed before the save, kept after Cancel
    // The caption is refreshed only by OK.
    EXPECT_NE(window->windowTitle(), QStringLiteral("Quillory - Database: new.qdb"));
}

}  // namespace
}  // namespace quillory::app
