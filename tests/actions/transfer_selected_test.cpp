#include "actions/transfer_selected.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <future>
#include <thread>

#include "tests/results/result_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

namespace fs = std::filesystem;

// Plays the window: records the status texts and the questions, answers with a script.
struct RecordingHost {
    std::vector<std::string> statuses;
    std::vector<std::string> questions;
    std::vector<ErrorAnswer> answers;
    TransferHost Host() {
        return {[this](const std::string& text) { statuses.push_back(text); },
                [this](const TransferFailure& failure) {
                    EXPECT_EQ(failure.title, "Error");
                    questions.push_back(failure.Text());
                    const ErrorAnswer answer = answers.empty() ? ErrorAnswer::Ignore : answers.front();
                    if (!answers.empty()) answers.erase(answers.begin());
                    return answer;
                }};
    }
};

// Refuses the rename of one named file, as another file system would, so it is copied.
struct RefusingOperations : FileOperations {
    std::string refuseRename;
    int RenameNoReplace(const std::string& from, const std::string& to) override {
        return from == refuseRename ? EXDEV : FileOperations::RenameNoReplace(from, to);
    }
};

struct Fixture {
    test::TempDir dir;
    EntryList results;
    std::string source = dir.MakeDir("src") + "/";
    std::string target = dir.MakeDir("dst") + "/";
    Fixture(std::initializer_list<std::string_view> names) {
        for (const std::string_view name : names) {
            dir.WriteFile("src/" + std::string(name), name);
            test::AddResult(results, {name, source});
        }
    }
};

TEST(TransferSelected, MoveWithIgnoreKeepsTheFailingEntrySelected) {
    Fixture f({"a.txt", "b.txt", "c.txt", "d.txt"});
    f.dir.MakeDir("dst/b.txt");  // a folder holds b's name: its copy cannot replace it
    RefusingOperations operations;
    operations.refuseRename = f.source + "b.txt";
    MemorySelection selection(4);
    for (size_t row : {0u, 1u, 2u}) selection.SetSelected(row, true);
    selection.SetFocusedRow(3);
    RecordingHost host;
    const TransferOutcome outcome =
        TransferSelected(f.results, selection, f.target, true, host.Host(), operations);

    EXPECT_EQ(outcome.succeeded, 2u);
    EXPECT_FALSE(outcome.aborted);
    EXPECT_EQ(test::Names(f.results), "b.txt d.txt");
    EXPECT_EQ(selection.ItemCount(), 2u);
    EXPECT_EQ(selection.SelectedRows(), (std::vector<size_t>{0}));  // b stays selected; focus row 3 is gone
    EXPECT_EQ(host.statuses, (std::vector<std::string>{"Waiting...", "Move " + f.source + "a.txt",
                                                       "Move " + f.source + "b.txt",
                                                       "Move " + f.source + "c.txt", "OK! - 2 files moved"}));
    EXPECT_EQ(host.questions, (std::vector<std::string>{"Cannot move the file\r\nb.txt"}));
    EXPECT_TRUE(fs::exists(f.target + "a.txt"));
    EXPECT_TRUE(fs::exists(f.source + "b.txt"));
    EXPECT_TRUE(fs::exists(f.target + "c.txt"));
}

// Two results of one name moved into one folder, by a rename and by a copy across file
// systems: the second never replaces the first; it fails through the question and stays.
TEST(TransferSelected, MoveNeverReplacesTheFileMovedBeforeIt) {
    for (const bool acrossFileSystems : {false, true}) {
        SCOPED_TRACE(acrossFileSystems);
        test::TempDir dir;
        const std::string second = dir.WriteFile("two/report.txt", "second");
        dir.WriteFile("one/report.txt", "first");
        EntryList results;
        test::AddResult(results, {"report.txt", dir / "one/"});
        test::AddResult(results, {"report.txt", dir / "two/"});
        const std::string target = dir.MakeDir("dst") + "/";
        RefusingOperations operations;
        if (acrossFileSystems) operations.refuseRename = second;
        MemorySelection selection(2);
        selection.SetSelected(0, true);
        selection.SetSelected(1, true);
        RecordingHost host;
        const TransferOutcome outcome =
            TransferSelected(results, selection, target, true, host.Host(), operations);
        EXPECT_EQ(outcome.succeeded, 1u);
        EXPECT_EQ(host.statuses.back(), "OK! - 1 files moved");
        EXPECT_EQ(host.questions, (std::vector<std::string>{"Cannot move the file\r\nreport.txt"}));
        EXPECT_EQ(test::ReadFileBytes(target + "report.txt"), "first");
        EXPECT_EQ(test::ReadFileBytes(second), "second");
        EXPECT_EQ(results.Count(), 1u);
        EXPECT_EQ(results[0].Folder(), dir / "two/");
    }
}

TEST(TransferSelected, AbortEndsAtOnce) {
    Fixture f({"a.txt", "b.txt", "c.txt"});
    MemorySelection selection(3);
    for (size_t row : {0u, 1u, 2u}) selection.SetSelected(row, true);
    f.dir.MakeDir("dst/b.txt");
    RefusingOperations operations;
    operations.refuseRename = f.source + "b.txt";
    RecordingHost host;
    host.answers = {ErrorAnswer::Abort};
    const TransferOutcome outcome =
        TransferSelected(f.results, selection, f.target, true, host.Host(), operations);
    EXPECT_TRUE(outcome.aborted);
    EXPECT_EQ(outcome.succeeded, 1u);
    EXPECT_EQ(host.statuses.back(), "Abort! - 1 files moved");
    EXPECT_EQ(test::Names(f.results), "b.txt c.txt");
    EXPECT_TRUE(fs::exists(f.source + "c.txt"));  // never reached
    EXPECT_EQ(selection.SelectedRows(), (std::vector<size_t>{0, 1}));
}

TEST(TransferSelected, CopyKeepsEntriesAndCountsSuccesses) {
    Fixture f({"a.txt", "b.txt", "c.txt"});
    f.dir.WriteFile("dst/a.txt", "old");
    MemorySelection selection(3);
    selection.SetSelected(0, true);
    selection.SetSelected(2, true);
    selection.SetFocusedRow(1);  // focused but not selected: selected at the end
    RecordingHost host;
    const TransferOutcome outcome = TransferSelected(f.results, selection, f.target, false, host.Host());
    EXPECT_EQ(outcome.succeeded, 2u);
    EXPECT_EQ(test::ReadFileBytes(f.target + "a.txt"), "a.txt");  // replaced without a prompt
    EXPECT_FALSE(fs::exists(f.target + "b.txt"));
    EXPECT_EQ(test::Names(f.results), "a.txt b.txt c.txt");
    EXPECT_EQ(selection.SelectedRows(), (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(host.statuses.back(), "OK! - 2 files copied");
    EXPECT_EQ(host.statuses[1], "Copy " + f.source + "a.txt");
    EXPECT_TRUE(host.questions.empty());
}

TEST(TransferSelected, NothingSelectedAndFolderEntries) {
    Fixture f({"a.txt"});
    f.dir.MakeDir("src/sub");
    test::AddResult(f.results, {"sub", f.source, 0, 0, kAttrDirectory});
    MemorySelection selection(2);
    RecordingHost host;
    EXPECT_EQ(TransferSelected(f.results, selection, f.target, false, host.Host()).succeeded, 0u);
    EXPECT_EQ(host.statuses, (std::vector<std::string>{"Waiting...", "OK! - 0 files copied"}));

    // Copying a folder fails; moving it within the file system renames it.
    selection.SetSelected(1, true);
    TransferSelected(f.results, selection, f.target, false, host.Host());
    EXPECT_EQ(host.questions, (std::vector<std::string>{"Cannot copy the file\r\nsub"}));
    EXPECT_EQ(host.statuses.back(), "OK! - 0 files copied");
    selection.SetSelected(1, true);
    EXPECT_EQ(TransferSelected(f.results, selection, f.target, true, host.Host()).succeeded, 1u);
    EXPECT_TRUE(fs::is_directory(f.target + "sub"));
    EXPECT_EQ(test::Names(f.results), "a.txt");
}

// The window's way: the file work on a worker, the question answered on another thread, a
// stop requested while the worker waits for the answer, and the outcome applied afterwards to
// results that were re-sorted meanwhile.
TEST(TransferSelected, StopOnAWorkerWhileTheUserIsAskedAndApplyByPath) {
    Fixture f({"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"});
    f.dir.MakeDir("dst/b.txt");
    RefusingOperations operations;
    operations.refuseRename = f.source + "b.txt";
    MemorySelection selection(5);
    for (size_t row : {0u, 1u, 2u, 3u}) selection.SetSelected(row, true);
    selection.SetFocusedRow(4);
    const std::vector<TransferItem> items = SelectedTransferItems(f.results, selection);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].source, f.source + "b.txt");
    EXPECT_EQ(items[1].name, "b.txt");

    std::promise<void> asked;
    std::promise<ErrorAnswer> answer;
    std::future<ErrorAnswer> answerFuture = answer.get_future();
    std::vector<std::string> statuses;  // written by the worker only, read after the join
    TransferHost host{[&](const std::string& text) { statuses.push_back(text); },
                      [&](const TransferFailure&) {
                          asked.set_value();
                          return answerFuture.get();  // blocks the worker until answered
                      }};
    TransferOutcome outcome;
    std::jthread worker([&](std::stop_token stop) {
        outcome = TransferFiles(items, f.target, true, host, stop, operations);
    });
    asked.get_future().wait();
    // Meanwhile the window re-sorts its results: rows move, the entries stay.
    std::reverse(f.results.EditEntries().begin(), f.results.EditEntries().end());
    worker.request_stop();
    answer.set_value(ErrorAnswer::Ignore);
    worker.join();

    EXPECT_TRUE(outcome.aborted);
    EXPECT_EQ(outcome.succeeded, 1u);
    EXPECT_EQ(outcome.moved, (std::vector<std::string>{f.source + "a.txt"}));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Waiting...", "Move " + f.source + "a.txt",
                                                  "Move " + f.source + "b.txt", "Abort! - 1 files moved"}));
    EXPECT_TRUE(fs::exists(f.source + "c.txt"));  // never touched after the stop
    EXPECT_TRUE(fs::exists(f.target + "a.txt"));

    // Rows now read e d c b a; rows 1 to 4 stay selected as the user left them.
    for (size_t row = 0; row < 5; ++row) selection.SetSelected(row, row >= 1);
    ApplyTransferOutcome(f.results, selection, outcome);
    EXPECT_EQ(test::Names(f.results), "e.txt d.txt c.txt b.txt");
    EXPECT_EQ(selection.ItemCount(), 4u);
    // The selection follows the entries; an aborted transfer does not select the focus.
    EXPECT_EQ(selection.SelectedRows(), (std::vector<size_t>{1, 2, 3}));
}

TEST(TransferSelected, StopBeforeTheFirstFileTouchesNothing) {
    Fixture f({"a.txt"});
    MemorySelection selection(1);
    selection.SetSelected(0, true);
    std::vector<std::string> statuses;
    std::stop_source stop;
    stop.request_stop();
    const TransferOutcome outcome = TransferFiles(
        SelectedTransferItems(f.results, selection), f.target, true,
        {[&](const std::string& text) { statuses.push_back(text); }, nullptr}, stop.get_token());
    EXPECT_TRUE(outcome.aborted);
    EXPECT_EQ(outcome.succeeded, 0u);
    EXPECT_EQ(statuses.back(), "Abort! - 0 files moved");
    EXPECT_TRUE(fs::exists(f.source + "a.txt"));
}

TEST(TargetFolderWithSeparator, AddsTheSeparatorOnce) {
    EXPECT_EQ(TargetFolderWithSeparator("/home/ann"), "/home/ann/");
    EXPECT_EQ(TargetFolderWithSeparator("/home/ann/"), "/home/ann/");
    EXPECT_EQ(TargetFolderWithSeparator("/"), "/");
}

}  // namespace
}  // namespace quillory
