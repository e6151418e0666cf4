#include "platform/clock.h"

#include <time.h>

#include <chrono>

namespace quillory {

int64_t SteadyTickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t CoarseTickCount() {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC_COARSE, &now) != 0) return SteadyTickCount();
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace quillory
