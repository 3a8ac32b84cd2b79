// When the Linux back end asks the X server where the pointer is: at once after any reported
// motion, at every tick for a second after the pointer last moved, and every 40 ms after that.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/linux/X11Changes.h"

namespace platform::linux_ {
namespace {

using namespace std::chrono_literals;
using Clock = PointerPolicy::Clock;

class PointerPolicyTest : public ::testing::Test {
protected:
    // A tick at `at` after the start, with what raw motion reported; true when it read the
    // pointer, which then gave `changed`.
    bool tick(Clock::duration at, bool moved = false, bool changed = false) {
        const Clock::time_point now = start + at;
        if (!policy.shouldQuery(moved, now)) return false;
        policy.queried(changed, now);
        return true;
    }

    const Clock::time_point start = Clock::now();
    PointerPolicy policy;
};

TEST_F(PointerPolicyTest, TheFirstTickReadsThePointer) { EXPECT_TRUE(tick(0ms)); }

TEST_F(PointerPolicyTest, EveryTickReadsForASecondAfterTheFirstRead) {
    ASSERT_TRUE(tick(0ms));
    for (auto at = 10ms; at < 1000ms; at += 10ms) EXPECT_TRUE(tick(at)) << at.count() << " ms";
}

TEST_F(PointerPolicyTest, AStillPointerIsReadEvery40MsAfterASecond) {
    ASSERT_TRUE(tick(0ms));
    ASSERT_TRUE(tick(990ms));
    EXPECT_FALSE(tick(1000ms));
    EXPECT_FALSE(tick(1020ms));
    EXPECT_TRUE(tick(1030ms)) << "40 ms after the last read";
    EXPECT_FALSE(tick(1040ms));
    EXPECT_FALSE(tick(1069ms));
    EXPECT_TRUE(tick(1070ms));
    EXPECT_TRUE(tick(4999ms));
    EXPECT_FALSE(tick(5000ms)) << "two reads within 40 ms";
}

TEST_F(PointerPolicyTest, ReportedMotionIsReadAtOnceAndStartsAnotherSecond) {
    ASSERT_TRUE(tick(0ms));
    ASSERT_TRUE(tick(999ms));
    EXPECT_FALSE(tick(1010ms));
    EXPECT_TRUE(tick(1020ms, true)) << "motion is read whatever the interval";
    for (auto at = 1030ms; at < 2020ms; at += 10ms) EXPECT_TRUE(tick(at)) << at.count() << " ms";
    EXPECT_FALSE(tick(2020ms));
}

TEST_F(PointerPolicyTest, APointerMovedByAnotherProgramCountsAsMoving) {
    ASSERT_TRUE(tick(0ms));
    ASSERT_TRUE(tick(990ms));
    EXPECT_FALSE(tick(1000ms));
    // The 40 ms read finds the pointer elsewhere, though no device moved it (a warp).
    EXPECT_TRUE(tick(1030ms, false, true));
    for (auto at = 1040ms; at < 2030ms; at += 10ms) EXPECT_TRUE(tick(at)) << at.count() << " ms";
    EXPECT_FALSE(tick(2030ms));
}

TEST_F(PointerPolicyTest, AReadThatFindsNoChangeDoesNotExtendTheSecond) {
    ASSERT_TRUE(tick(0ms));
    ASSERT_TRUE(tick(500ms, false, false));
    ASSERT_TRUE(tick(990ms, false, false));
    EXPECT_FALSE(tick(1010ms));
}

}  // namespace
}  // namespace platform::linux_
