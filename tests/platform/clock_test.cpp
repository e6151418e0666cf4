#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace quillory {
namespace {

// The coarse reading is the steady clock in larger steps: it never goes back, and it follows
// the precise one within a step (a few milliseconds; 50 allows for a busy machine).
TEST(Clock, CoarseTicksFollowTheSteadyClockAndNeverGoBack) {
    int64_t last = CoarseTickCount();
    const int64_t start = SteadyTickCount();
    while (SteadyTickCount() - start < 30) {
        const int64_t coarse = CoarseTickCount();
        const int64_t precise = SteadyTickCount();
        EXPECT_GE(coarse, last);
        EXPECT_LE(std::llabs(precise - coarse), 50);
        last = coarse;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    EXPECT_GT(last, start - 50);
    EXPECT_GE(CoarseTickCount() - (start - 50), 30);  // it moved with the time that passed
}

}  // namespace
}  // namespace quillory
