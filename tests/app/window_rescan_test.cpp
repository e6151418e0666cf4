// Rescans started from the window: on a worker while the window stays responsive, with the
// progress window, the Rescan button disabled meanwhile, and a search that stops the rescan
// and searches what it found.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <thread>

#include "app/main_window.h"
#include "app/rescan_form.h"
#include "app/result_list_model.h"
#include "core/activity_log.h"
#include "endless_lister.h"
#include "fake_prompts.h"
#include "platform/directory_listing.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

using quillory::test::EndlessLister;

class WindowRescanTest : public ::testing::Test {
  protected:
    WindowRescanTest() {
        context.prompts = &prompts;
        context.options().MaxResultsCount = 10000;
        window = std::make_unique<TQuilloryForm1>(context);
    }

    void Search(const QString& text) {
        window->SearchBox()->setEditText(text);
        window->Button1Click();
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
    context.options().IncludedFolders = tree + "/\r\n";
    window->OpenMainWindow();

    QSignalSpy finished(window.get(), &TQuilloryForm1::rescanFinished);
    window->Button2Click();
    EXPECT_FALSE(window->RescanButton()->isEnabled());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(window->RescanButton()->isEnabled());
    EXPECT_FALSE(window->RescanForm()->isVisible());
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("OK! 3 files found. Search time: 0:00:0")))
        << window->StatusText().toStdString();
    EXPECT_NE(context.options().LastRescanTime, 0.0);

    Search(QStringLiteral("*.mp3"));
    ASSERT_EQ(window->Model()->rowCount(), 1);
    EXPECT_EQ(window->Model()->index(0, 0).data().toString(), QStringLiteral("a.mp3"));
}

TEST_F(WindowRescanTest, SearchDuringARescanStopsItAndSearchesWhatWasFound) {
    context.keeper.Driver().SetLister(lister);
    context.options().IncludedFolders = "/endless/\r\n";
    const double lastRescan = context.options().LastRescanTime = 123.0;
    window->OpenMainWindow();

    window->Button2Click();
    ASSERT_TRUE(window->RescanRunning());
    // A second request while one runs does nothing.
    window->Button2Click();
    EXPECT_TRUE(window->RescanRunning());

    // The window keeps working meanwhile and the progress window shows the count.
    QTest::qWait(400);
    EXPECT_TRUE(window->RescanForm()->isVisible());
    EXPECT_FALSE(window->RescanForm()->ProcessedFilesText().isEmpty());
    EXPECT_TRUE(window->RescanForm()->CurrentFolderText().startsWith(QStringLiteral("/endless/dir")));

    Search(QStringLiteral("file1*"));
    EXPECT_FALSE(window->RescanRunning());
    EXPECT_TRUE(window->RescanButton()->isEnabled());
    EXPECT_FALSE(window->RescanForm()->isVisible());
    EXPECT_GT(window->Model()->rowCount(), 0);
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("OK! ")))
        << window->StatusText().toStdString();
    // A stopped rescan leaves the statistics as they were and keeps what it found.
    EXPECT_EQ(context.options().LastRescanTime, lastRescan);
    EXPECT_GT(context.catalogue().Entries.Count(), 10u);

    // Posted progress of the stopped rescan never brings the progress window back.
    QTest::qWait(200);
    EXPECT_FALSE(window->RescanForm()->isVisible());
    // A new rescan can start.
    window->Button2Click();
    EXPECT_TRUE(window->RescanRunning());
}

TEST_F(WindowRescanTest, HiddenProgramShowsNoProgressWindow) {
    context.keeper.Driver().SetLister(lister);
    context.options().IncludedFolders = "/endless/\r\n";
    window->Button2Click();  // the window was never shown
    QTest::qWait(300);
    EXPECT_FALSE(window->RescanForm()->isVisible());
    EXPECT_FALSE(window->StatusText().isEmpty());
}

TEST_F(WindowRescanTest, ExitDuringARescanStopsItAndSavesWhatWasFound) {
    context.keeper.Driver().SetLister(lister);
    context.options().IncludedFolders = "/endless/\r\n";
    context.workingDatabasePath = home.DataFolder() + "index.dat";
    CreateDataFolder();
    window->Button2Click();
    QTest::qWait(200);
    window->ExitProgram();
    EXPECT_FALSE(window->RescanRunning());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(context.workingDatabasePath)));
}

}  // namespace
}  // namespace quillory::app
