#include "actions/open_rule.h"

#include <gtest/gtest.h>

#include "tests/results/result_builder.h"

namespace quillory {
namespace {

struct RecordingLauncher : Launcher {
    std::vector<std::string> calls;
    void OpenWithOwner(const std::string& target) override { calls.push_back("open " + target); }
    void RunLauncher(const std::string& parameter) override { calls.push_back("launcher " + parameter); }
    void ShowInFolder(const std::string& path) override { calls.push_back("show " + path); }
};

TEST(OpenWithShell, DocExtensionsOpenDirectlyEverythingElseThroughTheLauncher) {
    const struct {
        const char* target;
        const char* call;
    } rows[] = {
        {"/home/ann/Letter.DOCX", "open /home/ann/Letter.DOCX"},
        {"/home/ann/a.doc", "open /home/ann/a.doc"},
        {"/home/ann/a.docm", "open /home/ann/a.docm"},
        {"/home/ann/a.mydocs", "open /home/ann/a.mydocs"},
        {"/home/ann/notes.txt", "launcher \"/home/ann/notes.txt\""},
        {"/home/my files/notes v2.txt", "launcher \"/home/my files/notes v2.txt\""},
        {"/home/ann.doc/readme", "launcher \"/home/ann.doc/readme\""},  // the folder's dot does not count
        {"/home/ann/Projects", "launcher \"/home/ann/Projects\""},
        {"/home/ann/doc", "launcher \"/home/ann/doc\""},
        {"https://example.org/index.html", "launcher \"https://example.org/index.html\""},
    };
    for (const auto& row : rows) {
        RecordingLauncher launcher;
        OpenWithShell(row.target, launcher);
        EXPECT_EQ(launcher.calls, (std::vector<std::string>{row.call})) << row.target;
    }
    EXPECT_EQ(LowerCaseExtension("/x/Archive.TAR.GZ"), ".gz");
    EXPECT_EQ(LowerCaseExtension("/x.y/z"), "");
}

TEST(ResultCommands, ExecuteOpenFilesAndOpenFolderFollowFocusAndSelection) {
    EntryList results;
    for (const char* name : {"a.txt", "b.doc", "c.txt", "d.txt", "e.txt", "f.txt"}) {
        test::AddResult(results, {name, "/r/"});
    }
    RecordingLauncher launcher;
    MemorySelection selection(results.Count());
    for (size_t row : {0u, 1u}) selection.SetSelected(row, true);
    OpenFocused(results, selection, launcher);  // selected rows but no focus: nothing
    ShowFocusedInFolder(results, selection, launcher);
    EXPECT_TRUE(launcher.calls.empty());

    selection.SetFocusedRow(4);  // focused, not selected
    OpenFocused(results, selection, launcher);
    ShowFocusedInFolder(results, selection, launcher);
    EXPECT_EQ(launcher.calls, (std::vector<std::string>{"launcher \"/r/e.txt\"", "show /r/e.txt"}));

    launcher.calls.clear();
    for (size_t row : {2u, 3u, 5u}) selection.SetSelected(row, true);
    OpenSelected(results, selection, launcher);
    EXPECT_EQ(launcher.calls,
              (std::vector<std::string>{"launcher \"/r/a.txt\"", "open /r/b.doc", "launcher \"/r/c.txt\"",
                                        "launcher \"/r/d.txt\"", "launcher \"/r/f.txt\""}));

    launcher.calls.clear();
    MemorySelection none(results.Count());
    OpenSelected(results, none, launcher);
    EXPECT_TRUE(launcher.calls.empty());
}

}  // namespace
}  // namespace quillory
