#include "scan/duration_text.h"

namespace quillory {

std::string DurationText(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const int64_t minutes = seconds % 3600 / 60;
    const int64_t rest = seconds % 60;
    std::string text = std::to_string(seconds / 3600);
    text += minutes < 10 ? ":0" : ":";
    text += std::to_string(minutes);
    text += rest < 10 ? ":0" : ":";
    text += std::to_string(rest);
    return text;
}

int64_t RoundedSeconds(int64_t milliseconds) {
    if (milliseconds < 0) return -RoundedSeconds(-milliseconds);
    const int64_t whole = milliseconds / 1000;
    const int64_t part = milliseconds % 1000;
    if (part > 500 || (part == 500 && whole % 2 == 1)) return whole + 1;
    return whole;
}

}  // namespace quillory
