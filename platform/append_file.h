#pragma once
// Appending to a text file with one open, append and close per call, so the file is complete
// on disk after every call and nothing holds it open in between.

#include <string>
#include <string_view>

namespace quillory {

// Appends `bytes` to `path`, creating the file (mode 0644) when it is missing. Throws Error
// carrying the system's error number (and its reason as text) when it cannot.
void AppendToFile(const std::string& path, std::string_view bytes);

// The runtime's input/output message for a system error number: "Invalid filename",
// "Too many open files", "File access denied", "Disk full" or "I/O error <n>".
std::string IoErrorText(int systemCode);

}  // namespace quillory
