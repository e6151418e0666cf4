#pragma once
// What the program needs to know about a terminal on its standard streams.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillory {

enum class StandardStream { Output, Error };

// Whether the stream is a terminal (not a pipe or a file).
bool IsTerminal(StandardStream stream);

// The width of the terminal on standard error in columns; 80 when it cannot be told.
size_t TerminalColumns();

// `text` as a terminal may show it: every control character (C0, DEL and the C1 range in
// UTF-8) becomes "?", so a name cannot move the cursor, clear the screen or retitle the
// window. Every other byte stays.
std::string TerminalSafeText(std::string_view text);

}  // namespace quillory
