#pragma once
// Copying or moving the selected results' files into a folder, reporting each file in the
// status bar and asking the user what to do when one fails.

#include <cstddef>
#include <functional>
#include <string>

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

// The window's side of a transfer. Closing the question box counts as Ignore.
struct TransferHost {
    std::function<void(const std::string& text)> showStatus;
    std::function<void()> processMessages;  // lets pending window messages run
    std::function<ErrorAnswer(const TransferFailure& failure)> askUser;
};

struct TransferOutcome {
    size_t succeeded = 0;
    bool aborted = false;
};

// The chosen folder with the separator every target folder ends with.
std::string TargetFolderWithSeparator(std::string folder);

// Copies (move false) or moves (move true) every selected result's file to `targetFolder`
// (ending with "/") + its name. The status reads "Copy "/"Move " + the source before each
// file, and "OK! - " or "Abort! - " + the success count + " files copied"/" files moved" at
// the end. A moved entry leaves the result list; the selection then follows the remaining
// entries and the focused row is selected too. Abort ends at once.
TransferOutcome TransferSelected(EntryList& results, ResultSelection& selection,
                                 const std::string& targetFolder, bool move, const TransferHost& host,
                                 FileOperations& operations = SystemFileOperations());

}  // namespace quillory
