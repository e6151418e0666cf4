#pragma once
// Copying or moving the selected results' files into a folder, reporting each file in the
// status bar and asking the user what to do when one fails.
//
// Three steps, so that the file work can run on a worker thread while the window keeps the
// results: SelectedTransferItems copies what is needed from the results (the thread that owns
// them), TransferFiles does the file work (any thread; it reads only its copies), and
// ApplyTransferOutcome takes the moved entries out of the results (the owning thread again).
// Moved entries are found by their full path, not by a row number, so the results may have
// been sorted or searched anew in between. TransferSelected runs the three in a row.

#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "actions/file_operations.h"
#include "core/entry_list.h"
#include "results/result_selection.h"

namespace quillory {

enum class ErrorAnswer { Abort, Ignore };

// What the user is asked when a file fails: titled "Error", with the buttons "Abort" and
// "Ignore"; the text is the message, a line break and the file's name.
struct TransferFailure {
    std::string title;     // "Error"
    std::string message;   // "Cannot move the file" / "Cannot copy the file"
    std::string fileName;  // the name alone, no folder
    std::string Text() const { return message + "\r\n" + fileName; }
};

// The window's side of a transfer. Both are called on the thread that runs TransferFiles and
// receive copies: a window running it on a worker posts them to its own thread (askUser may
// block the worker until the user answered). Closing the question box counts as Ignore.
struct TransferHost {
    std::function<void(const std::string& text)> showStatus;
    std::function<ErrorAnswer(const TransferFailure& failure)> askUser;
};

// One selected result's file, copied out of the result list.
struct TransferItem {
    std::string source;  // the full path
    std::string name;    // the name alone
};

struct TransferOutcome {
    size_t succeeded = 0;
    // The user chose Abort, or a stop was requested: the remaining files were not touched.
    bool aborted = false;
    // The full paths of the files moved away (a move only), in the order they were moved.
    std::vector<std::string> moved;
};

// The chosen folder with the separator every target folder ends with.
std::string TargetFolderWithSeparator(std::string folder);

// The selected results' files, in list order.
std::vector<TransferItem> SelectedTransferItems(const EntryList& results, const ResultSelection& selection);

// Copies (move false) or moves (move true) every item's file to `targetFolder` (ending with
// "/") + its name. The status reads "Waiting..." first, "Copy "/"Move " + the source before
// each file, and "OK! - " or "Abort! - " + the success count + " files copied"/" files moved"
// at the end. Abort ends at once; so does a stop request, checked before each file (the file
// under way is finished, never cut in half).
TransferOutcome TransferFiles(const std::vector<TransferItem>& items, const std::string& targetFolder,
                              bool move, const TransferHost& host, std::stop_token stop = {},
                              FileOperations& operations = SystemFileOperations());

// The moved entries leave the result list; the selection then follows the remaining entries
// and, unless the transfer was aborted, the focused row is selected too. Repaints the list.
void ApplyTransferOutcome(EntryList& results, ResultSelection& selection, const TransferOutcome& outcome);

// The three steps on the calling thread.
TransferOutcome TransferSelected(EntryList& results, ResultSelection& selection,
                                 const std::string& targetFolder, bool move, const TransferHost& host,
                                 FileOperations& operations = SystemFileOperations());

}  // namespace quillory
