// The main window driven as a user would: typing, Enter, clicks on the header, keys in the
// list, the export menu, closing and ending.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include "app/fields_select_form.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/view_selection.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "fake_prompts.h"
#include "tests/search/catalogue_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

using quillory::test::AddEntry;
using quillory::test::ReadFileBytes;

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        context.prompts = &prompts;
        context.settings.MaxResultsCount = 10000;
        context.workingDatabasePath = home.DataFolder() + "index.dat";
        AddEntry(context.keeper.Write()->Entries, "/music/", "zeta.mp3");
        AddEntry(context.keeper.Write()->Entries, "/music/", "Report.txt");
        AddEntry(context.keeper.Write()->Entries, "/music/", "readme");
        AddEntry(context.keeper.Write()->Entries, "/docs/", "alpha.mp3");
        AddEntry(context.keeper.Write()->Entries, "/docs/", "sub", true);
        window = std::make_unique<TQuilloryForm1>(context);
    }

    void Search(const QString& text) {
        window->SearchBox()->setEditText(text);
        window->SearchBox()->lineEdit()->setFocus();
        QTest::keyClick(window->SearchBox()->lineEdit(), Qt::Key_Return);
    }

    QStringList Column(int column) const {
        QStringList texts;
        const ResultListModel& model = *window->Model();
        for (int row = 0; row < model.rowCount(); ++row) texts << model.index(row, column).data().toString();
        return texts;
    }

    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    std::unique_ptr<TQuilloryForm1> window;
};

TEST_F(MainWindowTest, EnterInTheSearchBoxSearchesAndShowsTheCountAndTime) {
    Search(QStringLiteral("*.mp3"));
    EXPECT_EQ(Column(0), (QStringList{"zeta.mp3", "alpha.mp3"}));
    EXPECT_EQ(Column(1), (QStringList{"/music/", "/docs/"}));
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("OK! 2 files found. Search time: ")));
    EXPECT_TRUE(window->StatusText().endsWith(QStringLiteral(" sec.")));
    EXPECT_EQ(window->SearchBox()->itemText(0), QStringLiteral("*.mp3"));
    EXPECT_TRUE(window->SearchButton()->isEnabled());

    // A second search with fewer results shows only the new ones; the history keeps both.
    Search(QStringLiteral("readme"));
    EXPECT_EQ(Column(0), QStringList{"readme"});
    EXPECT_EQ(window->SearchBox()->count(), 2);
    EXPECT_EQ(window->SearchBox()->itemText(0), QStringLiteral("readme"));
}

TEST_F(MainWindowTest, SearchOptionsComeFromTheCheckBoxesWhenTheSearchStarts) {
    window->CheckBox(3)->click();  // Find folders off
    Search(QString());
    EXPECT_FALSE(Column(0).contains(QStringLiteral("sub")));
    EXPECT_EQ(Column(0).size(), 4);

    // Unticking "Find files" ticks "Find folders" again: never both off.
    window->CheckBox(4)->click();
    EXPECT_TRUE(window->CheckBox(3)->isChecked());
    EXPECT_FALSE(window->CheckBox(4)->isChecked());
    window->CheckBox(3)->click();
    EXPECT_TRUE(window->CheckBox(4)->isChecked());

    window->CheckBox(1)->setChecked(true);  // case sensitive
    Search(QStringLiteral("report"));
    EXPECT_TRUE(Column(0).isEmpty());
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("OK! 0 files found.")));
}

TEST_F(MainWindowTest, EnterInTheListDoesNotSearch) {
    window->OpenMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Search(QStringLiteral("*.mp3"));
    ASSERT_EQ(QApplication::focusWidget(), window->ResultView());
    window->SearchBox()->setEditText(QStringLiteral("readme"));
    window->ResultView()->setFocus();
    EXPECT_FALSE(window->SearchButton()->isDefault());
    QTest::keyClick(window->ResultView(), Qt::Key_Return);
    EXPECT_EQ(Column(0).size(), 2);
    window->SearchBox()->setFocus();
    EXPECT_TRUE(window->SearchButton()->isDefault());
}

TEST_F(MainWindowTest, ResultModelPassesTheModelTester) {
    QAbstractItemModelTester tester(window->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    Search(QString());
    window->ResultView()->horizontalHeader()->sectionClicked(0);
    Search(QStringLiteral("zzz-none"));
    Search(QStringLiteral("*.txt"));
    EXPECT_EQ(window->Model()->rowCount(), 1);
    EXPECT_EQ(window->Model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Size"));
}

TEST_F(MainWindowTest, HeaderClicksSortAscendingThenReverseAndANewSearchForgetsTheLastClick) {
    Search(QString());
    QHeaderView* header = window->ResultView()->horizontalHeader();
    header->sectionClicked(0);
    EXPECT_EQ(Column(0), (QStringList{"alpha.mp3", "readme", "Report.txt", "sub", "zeta.mp3"}));
    header->sectionClicked(0);
    EXPECT_EQ(Column(0), (QStringList{"zeta.mp3", "sub", "Report.txt", "readme", "alpha.mp3"}));
    EXPECT_TRUE(window->Sorting().SortDescending);
    header->sectionClicked(1);
    EXPECT_EQ(Column(1).first(), QStringLiteral("/docs/"));

    Search(QString());
    header->sectionClicked(1);
    EXPECT_FALSE(window->Sorting().SortDescending);
    EXPECT_EQ(Column(1).first(), QStringLiteral("/docs/"));
}

TEST_F(MainWindowTest, SelectedRowsFollowTheirEntriesThroughASort) {
    Search(QString());
    ViewSelection& selection = window->Selection();
    selection.SetSelected(0, true);  // zeta.mp3
    selection.SetSelected(3, true);  // alpha.mp3
    selection.SetFocusedRow(2);
    window->ResultView()->horizontalHeader()->sectionClicked(0);
    QStringList selected;
    const QStringList names = Column(0);
    for (int row = 0; row < names.size(); ++row) {
        if (selection.IsSelected(static_cast<size_t>(row))) selected << names[row];
    }
    EXPECT_EQ(selected, (QStringList{"alpha.mp3", "zeta.mp3"}));
    EXPECT_EQ(selection.FocusedRow(), std::optional<size_t>(2));
}

TEST_F(MainWindowTest, SelectAllAndInvertSelection) {
    Search(QString());
    ViewSelection& selection = window->Selection();
    selection.SetSelected(1, true);
    selection.SetSelected(3, true);
    window->ResultView()->setFocus();
    QTest::keyClick(window->ResultView(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selection.SelectedCount(), 5u);

    selection.SelectRows({false, true, false, true, false});
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->objectName() == QStringLiteral("Invertselection1")) action->trigger();
    }
    EXPECT_EQ(selection.SelectedRows(), (std::vector<bool>{true, false, true, false, true}));
}

TEST_F(MainWindowTest, TypingInTheListMovesTheFocusToTheNextMatchingName) {
    context.keeper.Write()->Entries.Clear();
    AddEntry(context.keeper.Write()->Entries, "/a/", "Report");
    AddEntry(context.keeper.Write()->Entries, "/a/", "readme");
    AddEntry(context.keeper.Write()->Entries, "/a/", "Zeta");
    Search(QString());
    ViewSelection& selection = window->Selection();
    selection.SetFocusedRow(2);
    QTest::keyClicks(window->ResultView(), QStringLiteral("r"));
    EXPECT_EQ(selection.FocusedRow(), std::optional<size_t>(0));
    EXPECT_TRUE(selection.IsSelected(0));
    QTest::keyClicks(window->ResultView(), QStringLiteral("e"));
    EXPECT_EQ(selection.FocusedRow(), std::optional<size_t>(1));
    EXPECT_EQ(selection.SelectedCount(), 1u);
}

TEST_F(MainWindowTest, ExportsWriteEveryResultInTheListOrder) {
    Search(QStringLiteral("*.mp3"));
    window->ResultView()->horizontalHeader()->sectionClicked(0);
    prompts.nextSaveName = QString::fromStdString(home.Dir() / "list.txt");
    window->Listoffiles1Click();
    EXPECT_EQ(ReadFileBytes(home.Dir() / "list.txt"), "/docs/alpha.mp3\n/music/zeta.mp3\n");
    EXPECT_EQ(prompts.askedSuffixes.last(), QStringLiteral("txt"));
    EXPECT_EQ(prompts.askedFilters.last(), QStringLiteral("Text files (*.txt)"));

    // The table: the chooser answered with only "Name" and "Ext" ticked.
    QListWidget* fields = window->FieldsChooser()->FieldList();
    for (int i = 0; i < fields->count(); ++i) {
        fields->item(i)->setCheckState(i == 0 || i == 6 ? Qt::Checked : Qt::Unchecked);
    }
    prompts.nextSaveName = QString::fromStdString(home.Dir() / "table.csv");
    QTimer::singleShot(0, window->FieldsChooser()->OkButton(), &QPushButton::click);
    window->Tableofresults1Click();
    EXPECT_EQ(ReadFileBytes(home.Dir() / "table.csv"), "\"alpha.mp3\",\"mp3\"\n\"zeta.mp3\",\"mp3\"\n");
    EXPECT_EQ(prompts.askedFilters.last(), QStringLiteral("CSV files (*.csv)"));
    EXPECT_TRUE(prompts.errors.isEmpty());

    // A refused write is shown, not ignored.
    prompts.nextSaveName = QStringLiteral("/proc/no-such-dir/list.txt");
    window->Listoffiles1Click();
    EXPECT_EQ(prompts.errors.size(), 1);
}

TEST(FieldsChooser, OkIsEnabledOnlyWhileAFieldIsTicked) {
    TFieldsSelectFrm chooser;
    QListWidget* fields = chooser.FieldList();
    ASSERT_EQ(fields->count(), 8);
    EXPECT_EQ(fields->item(3)->text(), QStringLiteral("Creation date"));
    std::vector<bool> ticked;
    for (const ExportFieldItem& item : chooser.Items()) ticked.push_back(item.checked);
    EXPECT_EQ(ticked, (std::vector<bool>{true, true, true, false, true, false, true, false}));
    for (int i = 0; i < fields->count(); ++i) fields->item(i)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(chooser.OkButton()->isEnabled());
    fields->item(7)->setCheckState(Qt::Checked);
    EXPECT_TRUE(chooser.OkButton()->isEnabled());
    EXPECT_EQ(chooser.Items()[7].data, 7);

    // Cancel answers false; the ticks stay as the user left them.
    QTimer::singleShot(0, &chooser, &QDialog::reject);
    EXPECT_FALSE(chooser.ChooseExportFields());
    EXPECT_TRUE(chooser.Items()[7].checked);
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Export"));
}

TEST_F(MainWindowTest, CaptionNamesTheDatabaseFile) {
    window->UpdateCaption();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillory - Database: None"));
    context.database().DBFileName = "/home/u/music.qdb";
    window->UpdateCaption();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillory - Database: music.qdb"));
}

TEST_F(MainWindowTest, ClosingHidesAndExitSavesTheCatalogue) {
    window->OpenMainWindow();
    EXPECT_EQ(window->MainWindowState(), TQuilloryForm1::Shown);
    window->close();
    EXPECT_EQ(window->MainWindowState(), TQuilloryForm1::HiddenToTray);
    EXPECT_FALSE(context.exitRequested);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        EXPECT_FALSE(window->isVisible());
    }

    CreateDataFolder();
    window->ExitProgram();
    EXPECT_TRUE(context.exitRequested);
    EntryList loaded;
    TProgramOptions options;
    LoadDatabase(loaded, options, context.workingDatabasePath, ActivityLog());
    EXPECT_EQ(loaded.Count(), 5u);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(home.ConfigFolder() + "/Marlowen/Quillory.conf")));
}

TEST_F(MainWindowTest, TheNamedDatabaseGetsTheCatalogueOnlyWithinADayOfTheLastRescan) {
    CreateDataFolder();
    const std::string named = home.Dir() / "music.qdb";
    quillory::test::TempDir unused;
    context.database().DBFileName = named;
    context.now = [] { return 45000.0; };

    context.database().LastRescanTime = 45000.0 - 25.0 / 24.0;  // 25 hours ago
    ASSERT_TRUE(window->RunDestructionWork());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(named)));

    context.database().LastRescanTime = 45000.0 - 10.0 / (24.0 * 60.0);  // 10 minutes ago
    ASSERT_TRUE(window->RunDestructionWork());
    EXPECT_EQ(ReadFileBytes(named), ReadFileBytes(context.workingDatabasePath));
}

TEST_F(MainWindowTest, AFailedSaveIsShownWithItsPathTheNamedDatabaseIsSparedAndTheSettingsAreSaved) {
    context.workingDatabasePath = "/proc/no-such-dir/index.dat";
    context.database().DBFileName = home.Dir() / "music.qdb";
    context.database().LastRescanTime = context.now();
    EXPECT_FALSE(window->RunDestructionWork());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("/proc/no-such-dir/index.dat")))
        << prompts.errors[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(context.database().DBFileName)));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(home.ConfigFolder() + "/Marlowen/Quillory.conf")));
}

TEST_F(MainWindowTest, TheEndCopiesTheCatalogueOnlyOverANamedFileThatIsADatabase) {
    context.workingDatabasePath = home.DataFolder() + "index.dat";
    CreateDataFolder();
    const std::string document = home.Dir().WriteFile("notes.txt", "a user's own file");
    context.database().DBFileName = document;
    context.database().LastRescanTime = context.now();
    EXPECT_TRUE(window->RunDestructionWork());
    EXPECT_EQ(ReadFileBytes(document), "a user's own file");
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QString::fromStdString(document)));

    // An earlier database at that name, or none, takes the catalogue.
    const std::string named = home.Dir() / "music.qdb";
    context.database().DBFileName = named;
    EXPECT_TRUE(window->RunDestructionWork());
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(named)));
    EXPECT_EQ(ReadFileBytes(named), ReadFileBytes(context.workingDatabasePath));
    home.Dir().WriteFile("music.qdb", "");
    EXPECT_TRUE(window->RunDestructionWork());
    EXPECT_EQ(ReadFileBytes(named), "");  // empty is no database: kept
}

TEST_F(MainWindowTest, AFailedSaveWithNoOneToAnswerIsLoggedNotShown) {
    context.workingDatabasePath = "/proc/no-such-dir/index.dat";
    CreateDataFolder();
    EXPECT_FALSE(window->RunDestructionWork(false));
    EXPECT_TRUE(prompts.errors.isEmpty());
    const std::string log = ReadFileBytes(home.DataFolder() + "quillory.log");
    EXPECT_NE(log.find("/proc/no-such-dir/index.dat"), std::string::npos) << log;
}

}  // namespace
}  // namespace quillory::app
