// The helper thread runs an offered share of work exactly once, or never when the offer was
// withdrawn in time, and serves one offer after another; it is kept off the processor its
// caller runs on. A short wait is never lost.

#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "search/helper_thread.h"
#include "search/short_wait.h"

namespace quillory {
namespace {

TEST(HelperThread, WorkRunsOnceOrNeverAsTheWithdrawalSays) {
    HelperThread helper;
    std::atomic<int> runs{0};
    int withdrawn = 0;
    for (int round = 0; round < 200; ++round) {
        const int before = runs.load();
        std::thread::id ranOn;
        ASSERT_TRUE(helper.Offer([&] {
            ranOn = std::this_thread::get_id();
            ++runs;
        }));
        if (round % 2 == 0) helper.WaitTaken();  // half the rounds: surely taken up
        if (helper.Withdraw()) {
            ++withdrawn;
            EXPECT_NE(round % 2, 0) << "an offer taken up cannot be withdrawn";
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            EXPECT_EQ(runs.load(), before) << "withdrawn work ran";
        } else {
            helper.WaitFinished();
            EXPECT_EQ(runs.load(), before + 1);
            EXPECT_NE(ranOn, std::this_thread::get_id());
        }
    }
    EXPECT_EQ(runs.load(), 200 - withdrawn);
}

TEST(HelperThread, EndsWithoutAnOfferOrAfterAWithdrawnOne) {
    { HelperThread idle; }
    HelperThread helper;
    bool ran = false;
    ASSERT_TRUE(helper.Offer([&] { ran = true; }));
    if (!helper.Withdraw()) {
        helper.WaitFinished();
        EXPECT_TRUE(ran);
    }
}

TEST(HelperThread, WorkRunsOffTheProcessorTheCallerRunsOn) {
    cpu_set_t callerAllowed;
    ASSERT_EQ(::sched_getaffinity(0, sizeof(callerAllowed), &callerAllowed), 0);
    if (CPU_COUNT(&callerAllowed) < 2) GTEST_SKIP() << "one processor only";
    HelperThread helper;
    // The caller may move between processors; a round counts when it stayed on one across
    // the offer.
    for (int round = 0; round < 50; ++round) {
        const int before = ::sched_getcpu();
        cpu_set_t workAllowed;
        CPU_ZERO(&workAllowed);
        ASSERT_TRUE(helper.Offer([&] { ::sched_getaffinity(0, sizeof(workAllowed), &workAllowed); }));
        const int after = ::sched_getcpu();
        helper.WaitTaken();
        helper.WaitFinished();
        if (before != after) continue;
        EXPECT_FALSE(CPU_ISSET(before, &workAllowed));
        cpu_set_t expected = callerAllowed;
        CPU_CLR(before, &expected);
        EXPECT_TRUE(CPU_EQUAL(&expected, &workAllowed)) << "every other processor stays allowed";
        return;
    }
    GTEST_SKIP() << "the caller never stayed on one processor across an offer";
}

TEST(ShortWait, ReturnsOnceSetWhetherItWatchedOrSlept) {
    std::mutex mutex;
    std::condition_variable changed;
    for (const auto delay : {std::chrono::milliseconds(0), std::chrono::milliseconds(30)}) {
        std::atomic<bool> flag{false};
        std::thread setter([&] {
            std::this_thread::sleep_for(delay);
            {
                std::lock_guard lock(mutex);
                flag.store(true, std::memory_order_release);
            }
            changed.notify_all();
        });
        // Set long after the watch ended: the waiter is asleep by then and must be woken.
        WaitShortly(flag, mutex, changed, std::chrono::microseconds(100));
        EXPECT_TRUE(flag.load());
        setter.join();
    }
}

// A thread that may use one processor only never watches: the thread it waits for could not
// run meanwhile.
TEST(ShortWait, WatchesOnlyWithAnotherProcessorToRunOn) {
    cpu_set_t allowed;
    ASSERT_EQ(::sched_getaffinity(0, sizeof(allowed), &allowed), 0);
    std::thread pinned([&] {
        cpu_set_t one;
        CPU_ZERO(&one);
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &allowed)) {
                CPU_SET(cpu, &one);
                break;
            }
        }
        ASSERT_EQ(::sched_setaffinity(0, sizeof(one), &one), 0);
        EXPECT_EQ(ShortWaitWatch().count(), 0);
    });
    pinned.join();
    if (CPU_COUNT(&allowed) >= 2) {
        EXPECT_GT(ShortWaitWatch().count(), 0);
    }
}

}  // namespace
}  // namespace quillory
