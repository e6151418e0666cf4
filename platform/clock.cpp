#include "platform/clock.h"

#include <chrono>

namespace quillory {

int64_t SteadyTickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace quillory
