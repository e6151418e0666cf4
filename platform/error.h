#pragma once
// The one error type of the engine: it carries the message the user sees ("Stream read
// error", "Cannot open file ...") and, when the operating system refused something, the
// system's error number, so a caller can tell "disk full" from "access denied" without
// parsing text. It ends the operation where it arises.

#include <stdexcept>
#include <string>

namespace quillory {

class Error : public std::runtime_error {
  public:
    // A failure the program itself detects (a damaged file, a text too long to store).
    explicit Error(const std::string& message) : std::runtime_error(message) {}
    explicit Error(const char* message) : std::runtime_error(message) {}
    // A failure the system reported with error number `systemCode` (0: none); `message` is
    // the complete text the user sees.
    Error(const std::string& message, int systemCode)
        : std::runtime_error(message), systemCode_(systemCode) {}

    // The system's error number behind the failure, 0 when the program detected it itself.
    int SystemCode() const noexcept { return systemCode_; }

  private:
    int systemCode_ = 0;
};

// The system's reason for errno value `code`, as strerror gives it.
std::string SystemReason(int code);

// An Error whose text is `message`, ": " and the system's reason for `code`
// ("Stream write error: No space left on device"); the defined message always comes first.
Error SystemError(const std::string& message, int code);

}  // namespace quillory
