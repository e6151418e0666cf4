#include "actions/transfer_selected.h"

#include <algorithm>

#include "actions/file_copy.h"

namespace quillory {

namespace {

// Removes result i; the entries after it move up one place, and the freed slot becomes a
// spare one at the end.
void RemoveResult(EntryList& results, size_t i) {
    const std::span<TMyItem> entries = results.EditEntries();
    std::copy(entries.begin() + static_cast<std::ptrdiff_t>(i) + 1, entries.end(),
              entries.begin() + static_cast<std::ptrdiff_t>(i));
    results.Truncate(results.Count() - 1);
}

void Show(const TransferHost& host, const std::string& text) {
    if (host.showStatus) host.showStatus(text);
    if (host.processMessages) host.processMessages();
}

}  // namespace

std::string TargetFolderWithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

TransferOutcome TransferSelected(EntryList& results, ResultSelection& selection,
                                 const std::string& targetFolder, bool move, const TransferHost& host,
                                 FileOperations& operations) {
    Show(host, "Waiting...");
    SaveSelection(results, selection);
    TransferOutcome outcome;
    const std::string suffix = move ? " files moved" : " files copied";
    const std::string errorText = move ? "Cannot move the file" : "Cannot copy the file";

    // The count is read at every step: moves shrink the list, and the window's message
    // processing may change it as well.
    for (size_t i = 0; i < results.Count();) {
        if (!results[i].Selected) {
            ++i;
            continue;
        }
        const std::string source = EntryFullPath(results[i]);
        const std::string name(results[i].Name());
        const std::string target = targetFolder + name;
        Show(host, (move ? "Move " : "Copy ") + source);
        if (i >= results.Count()) break;  // the list changed under us while messages ran
        const int result =
            move ? MoveOneFile(source, target, operations) : CopyOneFile(source, target, operations);
        if (result == 0) ++outcome.succeeded;
        if (result < 0) {
            const ErrorAnswer answer =
                host.askUser ? host.askUser(TransferFailure{"Error", errorText, name}) : ErrorAnswer::Ignore;
            if (answer == ErrorAnswer::Abort) {
                if (host.showStatus)
                    host.showStatus("Abort! - " + std::to_string(outcome.succeeded) + suffix);
                // The rows after a removed one moved up: put the selection back on the
                // entries that carry it, as the normal end does.
                RestoreSelection(results, selection);
                selection.Repaint();
                outcome.aborted = true;
                return outcome;
            }
        }
        if (move && result == 0 && i < results.Count()) {
            RemoveResult(results, i);
            selection.SetItemCount(results.Count());
        } else {
            ++i;
        }
    }

    RestoreSelection(results, selection);
    if (const auto focused = selection.FocusedRow(); focused && *focused < results.Count()) {
        selection.SetSelected(*focused, true);
    }
    selection.Repaint();
    if (host.showStatus) host.showStatus("OK! - " + std::to_string(outcome.succeeded) + suffix);
    return outcome;
}

}  // namespace quillory
