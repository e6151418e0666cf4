#include "platform/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace quillory {

bool IsTerminal(StandardStream stream) {
    return isatty(stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

size_t TerminalColumns() {
    struct winsize size {};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

std::string TerminalSafeText(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            safe.push_back('?');
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            safe.push_back('?');  // U+0080..U+009F, the C1 controls
            ++i;
        } else {
            safe.push_back(text[i]);
        }
    }
    return safe;
}

}  // namespace quillory
