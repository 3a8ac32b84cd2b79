// The one way the toolkits run event handlers: an error is reported once, the form reacts once,
// and no event reaches the handlers after it.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "base/EventGuard.h"

namespace {

TEST(EventGuardTest, HandlersRunWhileNoneFailed) {
    int failures = 0;
    base::EventGuard guard([&] { ++failures; });
    int runs = 0;
    EXPECT_TRUE(guard.run([&] { ++runs; }));
    EXPECT_TRUE(guard.run([&] { ++runs; }));
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(guard.open());
}

TEST(EventGuardTest, AnErrorIsReportedTheFormReactsOnceAndNoEventFollows) {
    int failures = 0;
    base::EventGuard guard([&] { ++failures; });
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(guard.run([] { throw std::overflow_error("overflow in 16-bit multiplication"); }));
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "magnifier: overflow in 16-bit multiplication\n");
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(guard.open());
    int runs = 0;
    EXPECT_FALSE(guard.run([&] { ++runs; }));
    EXPECT_FALSE(guard.run([] { throw std::runtime_error("second"); }));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(failures, 1);
}

TEST(EventGuardTest, AnythingThrownIsAnError) {
    int failures = 0;
    base::EventGuard guard([&] { ++failures; });
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(guard.run([] { throw 42; }));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "magnifier: unknown error\n");
    EXPECT_EQ(failures, 1);
}

TEST(EventGuardTest, AClosedGuardRunsNothingAndReportsNothing) {
    int failures = 0;
    base::EventGuard guard([&] { ++failures; });
    guard.close();
    int runs = 0;
    EXPECT_FALSE(guard.run([&] { ++runs; }));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(failures, 0);
    EXPECT_FALSE(guard.open());
}

}  // namespace
