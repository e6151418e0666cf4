#pragma once
// Multi-line option texts (folder and extension lists, the search history): lines separated
// by CR LF; a trailing separator adds no line. Readers also accept a bare LF.

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

std::vector<std::string> SplitLines(std::string_view text);
std::string JoinLines(const std::vector<std::string>& lines);  // each line followed by CR LF

}  // namespace quillory
