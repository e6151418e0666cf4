#include "actions/open_rule.h"

#include <algorithm>

#include "platform/text.h"

namespace quillory {

namespace {

const TMyItem* FocusedResult(const EntryList& results, const ResultSelection& selection) {
    const auto focused = selection.FocusedRow();
    if (!focused || *focused >= results.Count()) return nullptr;
    return &results[*focused];
}

}  // namespace

std::string LowerCaseExtension(std::string_view target) {
    const size_t slash = target.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? target : target.substr(slash + 1);
    const size_t dot = last.rfind('.');
    if (dot == std::string_view::npos) return {};
    return text::LowerCase(last.substr(dot));
}

void OpenWithShell(const std::string& target, Launcher& launcher) {
    if (LowerCaseExtension(target).find("doc") != std::string::npos) {
        launcher.OpenWithOwner(target);
    } else {
        launcher.RunLauncher("\"" + target + "\"");
    }
}

void OpenFocused(const EntryList& results, const ResultSelection& selection, Launcher& launcher) {
    if (const TMyItem* entry = FocusedResult(results, selection))
        OpenWithShell(EntryFullPath(*entry), launcher);
}

void OpenSelected(const EntryList& results, const ResultSelection& selection, Launcher& launcher) {
    for (size_t row = 0, n = std::min(selection.ItemCount(), results.Count()); row < n; ++row) {
        if (selection.IsSelected(row)) OpenWithShell(EntryFullPath(results[row]), launcher);
    }
}

void ShowFocusedInFolder(const EntryList& results, const ResultSelection& selection, Launcher& launcher) {
    if (const TMyItem* entry = FocusedResult(results, selection))
        launcher.ShowInFolder(EntryFullPath(*entry));
}

}  // namespace quillory
