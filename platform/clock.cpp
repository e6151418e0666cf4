#include "platform/clock.h"

#include <time.h>

#include <chrono>
#include <ctime>

namespace quillory {

SteadyTime SteadyNow() {
    return std::chrono::steady_clock::now();
}

int64_t SteadyTickCount() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyNow().time_since_epoch()).count();
}

int64_t CoarseTickCount() {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC_COARSE, &now) != 0) return SteadyTickCount();
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

DateTime NowDateTime() {
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    return DateTimeFromTm(tm, static_cast<int>(ms % 1000));
}

}  // namespace quillory
