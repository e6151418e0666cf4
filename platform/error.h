#pragma once
// The one error type of the engine: it carries the message the user sees ("Stream read
// error", "Cannot open file ...") and ends the operation where it arises.

#include <stdexcept>
#include <string>

namespace quillory {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The system's reason for errno value `code`, as strerror gives it.
std::string SystemReason(int code);

}  // namespace quillory
