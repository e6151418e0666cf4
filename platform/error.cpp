#include "platform/error.h"

#include <cstring>

namespace quillory {

std::string SystemReason(int code) {
    char buffer[256];
    // The GNU variant returns the text, which may or may not be in the buffer.
    return strerror_r(code, buffer, sizeof buffer);
}

Error SystemError(const std::string& message, int code) {
    return Error(message + ": " + SystemReason(code), code);
}

}  // namespace quillory
