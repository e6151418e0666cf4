#include "actions/transfer_selected.h"

#include <unordered_set>

#include "actions/file_copy.h"
#include "core/status_text.h"

namespace quillory {

std::string TargetFolderWithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

std::vector<TransferItem> SelectedTransferItems(const EntryList& results, const ResultSelection& selection) {
    std::vector<TransferItem> items;
    for (size_t i = 0, n = results.Count(); i < n; ++i) {
        if (selection.IsSelected(i))
            items.push_back({EntryFullPath(results[i]), std::string(results[i].Name())});
    }
    return items;
}

TransferOutcome TransferFiles(const std::vector<TransferItem>& items, const std::string& targetFolder,
                              bool move, const TransferHost& host, std::stop_token stop,
                              FileOperations& operations) {
    const auto show = [&](const std::string& text) {
        if (host.showStatus) host.showStatus(text);
    };
    show(std::string(kWaitingStatus));
    TransferOutcome outcome;
    const std::string suffix = move ? " files moved" : " files copied";
    const std::string errorText = move ? "Cannot move the file" : "Cannot copy the file";
    for (const TransferItem& item : items) {
        if (stop.stop_requested()) {
            outcome.aborted = true;
            break;
        }
        const std::string target = targetFolder + item.name;
        show((move ? "Move " : "Copy ") + item.source);
        const FileTransferResult result = move ? MoveOneFile(item.source, target, operations)
                                               : CopyOneFile(item.source, target, operations);
        if (result == FileTransferResult::Done) {
            ++outcome.succeeded;
            if (move) outcome.moved.push_back(item.source);
        }
        if (result == FileTransferResult::Failed) {
            const ErrorAnswer answer = host.askUser
                                           ? host.askUser(TransferFailure{"Error", errorText, item.name})
                                           : ErrorAnswer::Ignore;
            if (answer == ErrorAnswer::Abort) {
                outcome.aborted = true;
                break;
            }
        }
    }
    show((outcome.aborted ? "Abort! - " : "OK! - ") + std::to_string(outcome.succeeded) + suffix);
    return outcome;
}

void ApplyTransferOutcome(EntryList& results, ResultSelection& selection, const TransferOutcome& outcome) {
    SaveSelection(results, selection);
    if (!outcome.moved.empty()) {
        const std::unordered_set<std::string> moved(outcome.moved.begin(), outcome.moved.end());
        const std::span<TMyItem> entries = results.EditEntries();
        size_t kept = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (moved.contains(EntryFullPath(entries[i]))) continue;
            if (kept != i) entries[kept] = entries[i];
            ++kept;
        }
        // The freed slots become spare ones at the end.
        results.Truncate(kept);
        selection.SetItemCount(results.Count());
    }
    RestoreSelection(results, selection);
    if (!outcome.aborted) {
        if (const auto focused = selection.FocusedRow(); focused && *focused < results.Count()) {
            selection.SetSelected(*focused, true);
        }
    }
    selection.Repaint();
}

TransferOutcome TransferSelected(EntryList& results, ResultSelection& selection,
                                 const std::string& targetFolder, bool move, const TransferHost& host,
                                 FileOperations& operations) {
    const std::vector<TransferItem> items = SelectedTransferItems(results, selection);
    TransferOutcome outcome = TransferFiles(items, targetFolder, move, host, {}, operations);
    ApplyTransferOutcome(results, selection, outcome);
    return outcome;
}

}  // namespace quillory
