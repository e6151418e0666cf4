#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace quillory {
namespace {

// The coarse reading is the steady clock in larger steps: it never goes back, and it follows
// the precise one within a step (a few milliseconds; 50 is ample). Each coarse reading is
// taken between two precise ones, so a thread put aside between readings cannot widen the gap.
TEST(Clock, CoarseTicksFollowTheSteadyClockAndNeverGoBack) {
    int64_t last = CoarseTickCount();
    const int64_t start = SteadyTickCount();
    while (SteadyTickCount() - start < 30) {
        const int64_t before = SteadyTickCount();
        const int64_t coarse = CoarseTickCount();
        const int64_t after = SteadyTickCount();
        EXPECT_GE(coarse, last);
        EXPECT_LE(coarse, after);
        EXPECT_GE(coarse, before - 50);
        last = coarse;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    EXPECT_GT(last, start - 50);
    EXPECT_GE(CoarseTickCount() - (start - 50), 30);  // it moved with the time that passed
}

}  // namespace
}  // namespace quillory
