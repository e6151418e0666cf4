#include "core/status_text.h"

namespace quillory {

std::string FoundStatusText(size_t found, std::string_view timeText) {
    std::string text = "OK! " + std::to_string(found) + " files found. Search time: ";
    text += timeText;
    return text;
}

std::string StoppedStatusText(size_t found) {
    return "Stop " + std::to_string(found) + " files found";
}

}  // namespace quillory
