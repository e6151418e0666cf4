#include "app/termination_signals.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <csignal>

#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

TEST(AppTerminationSignals, EachSignalArrivesThroughTheEventLoop) {
    test::IsolatedHome home;
    TerminationSignals* receiver = TerminationSignals::Install();
    ASSERT_NE(receiver, nullptr);
    EXPECT_EQ(TerminationSignals::Install(), receiver);  // installed once

    QSignalSpy ends(receiver, &TerminationSignals::endRequested);
    ASSERT_EQ(::raise(SIGTERM), 0);  // the process survives: the handler only records it
    // Nothing is emitted inside the handler itself.
    EXPECT_EQ(ends.count(), 0);
    ASSERT_TRUE(ends.wait(2000));
    ASSERT_EQ(ends.count(), 1);
    EXPECT_EQ(ends.at(0).at(0).toInt(), SIGTERM);

    ::raise(SIGHUP);
    ::raise(SIGINT);
    while (ends.count() < 3 && ends.wait(2000)) {
    }
    ASSERT_EQ(ends.count(), 3);
    EXPECT_EQ(ends.at(1).at(0).toInt(), SIGHUP);
    EXPECT_EQ(ends.at(2).at(0).toInt(), SIGINT);
}

}  // namespace
}  // namespace quillory::app
