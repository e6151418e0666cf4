// Rescans started from the window: on a worker while the window stays responsive, with the
// progress window, the Rescan button disabled meanwhile, and a search that stops the rescan
// and searches what it found.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include "app/external_launches.h"
#include "app/main_window.h"
#include "app/option_form.h"
#include "app/option_prompts.h"
#include "app/rescan_form.h"
#include "app/result_list_model.h"
#include "cancelling_option_prompts.h"
#include "core/activity_log.h"
#include "endless_lister.h"
#include "fake_launcher.h"
#include "fake_prompts.h"
#include "platform/directory_listing.h"
#include "tests/search/catalogue_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

using quillory::test::EndlessLister;

class WindowRescanTest : public ::testing::Test {
  protected:
    WindowRescanTest() {
        context.prompts = &prompts;
        context.settings.MaxResultsCount = 10000;
        window = std::make_unique<TQuilloryForm1>(context);
    }

    void Search(const QString& text) {
        window->SearchBox()->setEditText(text);
        window->Button1Click();
    }

    // The rescan's progress has reached the window from inside a subfolder: the walk has
    // recorded the twenty items before it (file0.txt to file18.txt among them).
    bool WaitForProgressInSubfolder() {
        return QTest::qWaitFor(
            [this] { return window->StatusText().startsWith(QStringLiteral("/endless/dir")); }, 10000);
    }

    // Runs every call posted to the window's thread before this one.
    bool RunPostedCalls() {
        bool reached = false;
        QMetaObject::invokeMethod(
            window.get(), [&reached] { reached = true; }, Qt::QueuedConnection);
        return QTest::qWaitFor([&reached] { return reached; }, 10000);
    }

    quillory::test::IsolatedHome home;
    test::FakePrompts prompts;
    // Outlives the window, which stops and waits for a rescan still running when it goes.
    EndlessLister lister;
    ProgramContext context;
    std::unique_ptr<TQuilloryForm1> window;
};

TEST_F(WindowRescanTest, CompletedRescanRecordsItsStatisticsAndIsSearchable) {
    const std::string tree = home.Dir().MakeDir("tree");
    home.Dir().WriteFile("tree/songs/a.mp3", "x");
    home.Dir().WriteFile("tree/notes.txt", "z");
    context.database().IncludedFolders = tree + "/\r\n";
    window->OpenMainWindow();

    QSignalSpy finished(window.get(), &TQuilloryForm1::rescanFinished);
    window->Button2Click();
    EXPECT_FALSE(window->RescanButton()->isEnabled());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(window->RescanButton()->isEnabled());
    EXPECT_FALSE(window->RescanForm()->isVisible());
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("OK! 3 files found. Search time: 0:00:0")))
        << window->StatusText().toStdString();
    EXPECT_NE(context.database().LastRescanTime, 0.0);

    Search(QStringLiteral("*.mp3"));
    ASSERT_EQ(window->Model()->rowCount(), 1);
    EXPECT_EQ(window->Model()->index(0, 0).data().toString(), QStringLiteral("a.mp3"));
}

TEST_F(WindowRescanTest, SearchDuringARescanStopsItAndSearchesWhatWasFound) {
    context.keeper.Driver().SetLister(lister);
    context.database().IncludedFolders = "/endless/\r\n";
    const double lastRescan = context.database().LastRescanTime = 123.0;
    window->OpenMainWindow();

    window->Button2Click();
    ASSERT_TRUE(window->RescanRunning());
    // A second request while one runs does nothing.
    window->Button2Click();
    EXPECT_TRUE(window->RescanRunning());

    // The window keeps working meanwhile and the progress window shows the count.
    ASSERT_TRUE(QTest::qWaitFor(
        [this] {
            return !window->RescanForm()->ProcessedFilesText().isEmpty() &&
                   window->RescanForm()->CurrentFolderText().startsWith(QStringLiteral("/endless/dir"));
        },
        10000));
    EXPECT_TRUE(window->RescanForm()->isVisible());

    Search(QStringLiteral("file1*"));
    EXPECT_FALSE(window->RescanRunning());
    EXPECT_TRUE(window->RescanButton()->isEnabled());
    EXPECT_FALSE(window->RescanForm()->isVisible());
    EXPECT_GT(window->Model()->rowCount(), 0);
    // The search's own count gives way to the stop text: the catalogue is incomplete.
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Stop ")))
        << window->StatusText().toStdString();
    EXPECT_TRUE(window->StatusText().endsWith(QStringLiteral(" files found")));
    EXPECT_TRUE(context.keeper.Read()->Incomplete);
    // A stopped rescan leaves the statistics as they were and keeps what it found.
    EXPECT_EQ(context.database().LastRescanTime, lastRescan);
    EXPECT_GT(context.keeper.Read()->Entries.Count(), 10u);

    // Posted progress of the stopped rescan never brings the progress window back: the search
    // waited for the rescan's end, so all of it was posted before the call below.
    ASSERT_TRUE(RunPostedCalls());
    EXPECT_FALSE(window->RescanForm()->isVisible());
    // A new rescan can start.
    window->Button2Click();
    EXPECT_TRUE(window->RescanRunning());
}

TEST_F(WindowRescanTest, TheProgressWindowSitsClearOfTheButtonsMeasuresAndStopsWithoutASearch) {
    context.keeper.Driver().SetLister(lister);
    context.database().IncludedFolders = "/endless/\r\n";
    window->OpenMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    TRescanForm* form = window->RescanForm();
    window->Button2Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->isVisible() && !form->ProcessedFilesText().isEmpty(); }));
    EXPECT_EQ(form->ProgressBar()->maximum(), 0);  // nothing to measure against: busy
    EXPECT_EQ(form->ElapsedText()->text().count(QLatin1Char(':')), 2);
    for (int number = 1; number <= 9; ++number) {
        const QPushButton* button = window->Button(number);
        const QRect place(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_FALSE(form->frameGeometry().intersects(place)) << "button " << number;
    }

    form->StopButton()->click();
    EXPECT_FALSE(window->RescanRunning());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Stop ")))
        << window->StatusText().toStdString();
    EXPECT_EQ(window->Model()->rowCount(), 0);  // nothing was searched
    EXPECT_TRUE(window->RescanButton()->isEnabled());

    // The next rescan runs up to the count the catalogue holds.
    const int held = static_cast<int>(context.keeper.Read()->Entries.Count());
    ASSERT_GT(held, 0);
    window->Button2Click();
    EXPECT_EQ(form->ProgressBar()->maximum(), held);
}

TEST_F(WindowRescanTest, HiddenProgramShowsNoProgressWindow) {
    context.keeper.Driver().SetLister(lister);
    context.database().IncludedFolders = "/endless/\r\n";
    window->Button2Click();  // the window was never shown
    ASSERT_TRUE(WaitForProgressInSubfolder());
    EXPECT_FALSE(window->RescanForm()->isVisible());
}

TEST_F(WindowRescanTest, ExitDuringARescanWithNoSavedCatalogueSavesWhatWasFound) {
    context.keeper.Driver().SetLister(lister);
    context.database().IncludedFolders = "/endless/\r\n";
    context.workingDatabasePath = home.DataFolder() + "index.dat";
    CreateDataFolder();
    window->Button2Click();
    ASSERT_TRUE(WaitForProgressInSubfolder());
    window->ExitProgram();
    EXPECT_FALSE(window->RescanRunning());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(context.workingDatabasePath)));
}

TEST_F(WindowRescanTest, AStoppedRescanNeverReplacesTheSavedCatalogueOrTheNamedDatabase) {
    context.keeper.Driver().SetLister(lister);
    context.workingDatabasePath = home.DataFolder() + "index.dat";
    CreateDataFolder();
    const std::string working = home.Dir().WriteFile("data/quillory/index.dat", "the complete catalogue");
    const std::string named = home.Dir().WriteFile("music.qdb", "the complete named database");
    context.database().IncludedFolders = "/endless/\r\n";
    context.database().DBFileName = named;
    context.database().LastRescanTime = context.now();  // rescanned within the day: due a copy

    // Stopped by a search, then ended from the tray.
    window->Button2Click();
    ASSERT_TRUE(WaitForProgressInSubfolder());
    Search(QStringLiteral("file1*"));
    EXPECT_GT(window->Model()->rowCount(), 0);  // in memory the search sees what was found
    window->ExitProgram();
    EXPECT_EQ(quillory::test::ReadFileBytes(working), "the complete catalogue");
    EXPECT_EQ(quillory::test::ReadFileBytes(named), "the complete named database");
    // The settings are saved all the same.
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(home.ConfigFolder() + "/Marlowen/Quillory.conf")));
}

TEST_F(WindowRescanTest, OptionsAndPowerSearchLeaveARescanRunningAndShowTheLastCompletedStatistics) {
    context.keeper.Driver().SetLister(lister);
    quillory::test::AddEntry(context.keeper.Write()->Entries, "/before/", "kept.txt");
    context.database().IncludedFolders = "/endless/\r\n";
    context.database().LastRescanSeconds = 127;
    context.settings.PowerSearchFile = "/opt/power";
    test::CancellingOptionPrompts optionPrompts;
    TOptionForm dialog(context, optionPrompts, window.get());
    auto launcher = std::make_unique<test::FakeLauncher>();
    test::FakeLauncher* launches = launcher.get();
    AttachExternalLaunches(*window, std::move(launcher));
    window->Button2Click();
    ASSERT_TRUE(WaitForProgressInSubfolder());

    // Reading and changing settings, and opening the dialog, never take the catalogue.
    dialog.Fill();
    EXPECT_EQ(dialog.EntryCountText()->text(), QStringLiteral("1"));
    EXPECT_EQ(dialog.RescanSecondsText()->text(), QStringLiteral("0:02:07"));
    dialog.ResultLimitList()->setCurrentIndex(2);
    dialog.Apply();
    EXPECT_EQ(context.settings.PowerSearchFile, "/opt/power");
    EXPECT_TRUE(window->RescanRunning());
    window->Button(5)->click();  // Power search
    EXPECT_EQ(launches->targets.size(), 1);
    EXPECT_TRUE(window->RescanRunning());

    // A change to the database's lists made meanwhile reaches the catalogue when the rescan
    // is taken back.
    context.database().ExcludedFolders = "/endless/dir1/\r\n";
    EXPECT_EQ(context.keeper.Read()->Options.ExcludedFolders, "/endless/dir1/\r\n");
    EXPECT_FALSE(window->RescanRunning());
    EXPECT_EQ(context.keeper.Read()->Options.LastRescanSeconds, 127);
}

}  // namespace
}  // namespace quillory::app
