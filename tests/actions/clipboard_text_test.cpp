#include "actions/clipboard_text.h"

#include <gtest/gtest.h>

#include "tests/results/result_builder.h"

namespace quillory {
namespace {

TEST(ClipboardText, ShortcutsFilesAndFocusedPath) {
    EntryList results;
    for (const char* name : {"a.txt", "b c.txt", "d.txt"}) test::AddResult(results, {name, "/r/"});
    const struct {
        const char* title;
        std::vector<size_t> selected;
        std::optional<size_t> focus;
        const char* shortcuts;
        std::vector<size_t> selectedAfter;
    } rows[] = {
        {"two selected rows, two lines", {0, 1}, 2, "/r/a.txt\n/r/b c.txt\n", {2}},
        {"nothing selected: empty text, the focused row selected", {}, 1, "", {1}},
        {"no focus: nothing selected afterwards", {2}, std::nullopt, "/r/d.txt\n", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title);
        MemorySelection selection(results.Count());
        for (size_t r : row.selected) selection.SetSelected(r, true);
        if (row.focus) selection.SetFocusedRow(*row.focus);
        std::vector<std::string> files = SelectedFullPaths(results, selection);
        EXPECT_EQ(files.size(), row.selected.size());
        EXPECT_EQ(CopySelectedPaths(results, selection), row.shortcuts);
        EXPECT_EQ(selection.SelectedRows(), row.selectedAfter);
        EXPECT_EQ(selection.Repaints(), 1);
    }

    // Ctrl+C takes the focused row even when other rows are selected and it is not.
    MemorySelection selection(results.Count());
    EXPECT_EQ(FocusedFullPath(results, selection), "");
    selection.SetSelected(0, true);
    selection.SetFocusedRow(1);
    EXPECT_EQ(FocusedFullPath(results, selection), "/r/b c.txt");
    EXPECT_EQ(SelectedFullPaths(results, selection), (std::vector<std::string>{"/r/a.txt"}));
}

}  // namespace
}  // namespace quillory
