// The window over a catalogue that follows its folders: the open search runs again when a
// change touches it and keeps the user's place, a menu holds the refresh back, a rescan and
// the setting switch the watcher off, and the catalogue saved at the end holds the changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include "app/main_window.h"
#include "app/option_form.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/view_selection.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "fake_prompts.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

class WindowLiveTest : public ::testing::Test {
  protected:
    WindowLiveTest() {
        context.prompts = &prompts;
        context.settings.MaxResultsCount = 10000;
        context.workingDatabasePath = home.DataFolder() + "index.dat";
        tree = home.Dir().MakeDir("tree");
        home.Dir().WriteFile("tree/songs/a.mp3", "x");
        home.Dir().WriteFile("tree/songs/b.mp3", "xy");
        home.Dir().WriteFile("tree/notes.txt", "z");
        context.database().IncludedFolders = tree + "/\r\n";
        LiveSettings quick;
        quick.quietMs = 10;
        quick.longestDelayMs = 50;
        quick.minIntervalMs = 0;
        quick.freeWatches = [] { return size_t{100000}; };
        context.live.SetSettings(quick);
        window = std::make_unique<TQuilloryForm1>(context);
        window->OpenMainWindow();
    }

    // A completed rescan: the catalogue holds the tree and the watcher starts on it.
    void Rescan() {
        QSignalSpy finished(window.get(), &TQuilloryForm1::rescanFinished);
        window->StartRescan();
        ASSERT_TRUE(finished.wait(10000));
        if (context.settings.LiveUpdates) {
            ASSERT_TRUE(QTest::qWaitFor([this] { return context.live.Counts().started; }, 10000));
        }
    }

    void Search(const QString& text) {
        window->SearchBox()->setEditText(text);
        window->Button1Click();
    }

    QStringList Names() const {
        QStringList names;
        const ResultListModel& model = *window->Model();
        for (int row = 0; row < model.rowCount(); ++row) names << model.index(row, 0).data().toString();
        return names;
    }

    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    ProgramContext context;
    std::string tree;
    std::unique_ptr<TQuilloryForm1> window;
};

TEST_F(WindowLiveTest, TheOpenSearchFollowsChangesAndKeepsTheSelectionAndTheSortByPath) {
    Rescan();
    Search(QStringLiteral("*.mp3"));
    ASSERT_EQ(Names(), (QStringList{"a.mp3", "b.mp3"}));
    // Sorted by name, descending; b.mp3 selected and focused.
    window->ResultView()->horizontalHeader()->sectionClicked(0);
    window->ResultView()->horizontalHeader()->sectionClicked(0);
    ASSERT_EQ(Names(), (QStringList{"b.mp3", "a.mp3"}));
    window->Selection().SetSelected(0, true);
    window->Selection().SetFocusedRow(0);

    home.Dir().WriteFile("tree/songs/c.mp3", "xyz");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Names().size() == 3; }, 10000)) << Names().join(',').toStdString();
    EXPECT_EQ(Names(), (QStringList{"c.mp3", "b.mp3", "a.mp3"}));
    EXPECT_FALSE(window->Selection().IsSelected(0));
    EXPECT_TRUE(window->Selection().IsSelected(1));
    EXPECT_EQ(window->Selection().FocusedRow(), std::optional<size_t>(1));

    // A removal and a rename across folders.
    ASSERT_EQ(std::remove((tree + "/songs/a.mp3").c_str()), 0);
    home.Dir().MakeDir("tree/other");
    ASSERT_EQ(std::rename((tree + "/songs/b.mp3").c_str(), (tree + "/other/b2.mp3").c_str()), 0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Names() == QStringList{"c.mp3", "b2.mp3"}; }, 10000))
        << Names().join(',').toStdString();
}

TEST_F(WindowLiveTest, AChangeOutsideTheSearchLeavesTheListAloneAndAnOpenMenuHoldsTheRefresh) {
    Rescan();
    Search(QStringLiteral("*.mp3"));
    QSignalSpy refreshed(window.get(), &TQuilloryForm1::resultsRefreshed);
    // The folder "songs", its two songs and notes.txt, then one more text file.
    home.Dir().WriteFile("tree/more-notes.txt", "n");
    ASSERT_TRUE(QTest::qWaitFor([this] { return context.keeper.Read()->Entries.Count() == 5; }, 10000));
    EXPECT_EQ(refreshed.count(), 0);

    QMenu menu(window.get());
    menu.addAction(QStringLiteral("Open"));
    menu.popup(window->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 5000));
    QSignalSpy postponed(window.get(), &TQuilloryForm1::refreshPostponed);
    home.Dir().WriteFile("tree/songs/d.mp3", "d");
    // The refresh is due, finds the menu open, and is still waiting when it looks again.
    ASSERT_TRUE(QTest::qWaitFor([&postponed] { return postponed.count() >= 2; }, 10000));
    EXPECT_EQ(refreshed.count(), 0);
    EXPECT_EQ(Names().size(), 2);
    menu.close();
    ASSERT_TRUE(refreshed.wait(5000));
    EXPECT_EQ(Names().size(), 3);
}

TEST_F(WindowLiveTest, TheSettingOffOrARescanStopsTheWatcher) {
    context.settings.LiveUpdates = false;
    Rescan();
    EXPECT_FALSE(context.live.Watching());
    context.settings.LiveUpdates = true;
    window->RestartLiveUpdates();
    EXPECT_TRUE(context.live.Watching());
    // A rescan stops it until the rescan is complete.
    QSignalSpy finished(window.get(), &TQuilloryForm1::rescanFinished);
    window->StartRescan();
    EXPECT_FALSE(context.live.Watching());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(context.live.Watching());
}

TEST_F(WindowLiveTest, TheCatalogueSavedAtTheEndHoldsTheChangesAndTheLastRescanTime) {
    Rescan();
    EXPECT_EQ(LiveUpdatesText(context.live), QStringLiteral("2 folders watched, 0 checked every few minutes"))
        << LiveUpdatesText(context.live).toStdString();
    const double rescanned = context.database().LastRescanTime;
    home.Dir().WriteFile("tree/late.txt", "l");
    ASSERT_TRUE(QTest::qWaitFor([this] { return context.keeper.Read()->Entries.Count() == 5; }, 10000));
    CreateDataFolder();
    ASSERT_TRUE(window->RunDestructionWork()) << prompts.errors.join(' ').toStdString();

    EntryList saved;
    TProgramOptions options{std::string()};
    LoadDatabase(saved, options, context.workingDatabasePath, ActivityLog());
    std::vector<std::string> names;
    for (const TMyItem& entry : saved.Entries()) names.emplace_back(entry.Name());
    EXPECT_NE(std::find(names.begin(), names.end(), "late.txt"), names.end());
    EXPECT_EQ(options.LastRescanTime, rescanned);
}

}  // namespace
}  // namespace quillory::app
