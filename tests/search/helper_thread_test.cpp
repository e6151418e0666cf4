// The helper thread runs an offered share of work exactly once, or never when the offer was
// withdrawn in time, and serves one offer after another.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "search/helper_thread.h"

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

}  // namespace
}  // namespace quillory
