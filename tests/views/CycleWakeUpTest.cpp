// The idle wait of the refresh cycles: a ring ends every wait under way, from the event loop,
// and a wait that has ended is never touched again, however a ring and its time-out meet.
#include "views/CycleWakeUp.h"
#include "tests/views/TestShell.h"

#include <gtest/gtest.h>

#include <chrono>

namespace quelby::test {
namespace {

using namespace std::chrono_literals;

QCoro::Task<> WaitAndCount(std::chrono::milliseconds longest, int& ended) {
    co_await CycleWakeUp::wait(longest);
    ++ended;
}

TEST(CycleWakeUp, aRingEndsEveryWaitFromTheEventLoopAndNeverAWaitThatHasEnded) {
    int ended = 0;
    WaitAndCount(60s, ended);
    WaitAndCount(60s, ended);
    CycleWakeUp::ring();
    EXPECT_EQ(ended, 0) << "not inside the ring";
    ASSERT_TRUE(RunEventsUntil([&] { return ended == 2; }, 200));

    // Waits that time out while rings come: each ends once, and a ring after the end finds
    // nothing of it (a stale wake-up here once crashed the program in a nested dialog).
    ended = 0;
    for (int i = 0; i < 200; ++i) {
        WaitAndCount(0ms, ended);
        CycleWakeUp::ring();
        RunEvents(1);
    }
    ASSERT_TRUE(RunEventsUntil([&] { return ended == 200; }, 500));
    CycleWakeUp::ring();
    RunEvents();
    EXPECT_EQ(ended, 200);
}

} // namespace
} // namespace quelby::test
