// Everything the program says on stderr is one line with its name in front.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "base/FatalError.h"
#include "base/Warn.h"

namespace {

TEST(Warn, WritesOneLineWithTheProgramsName) {
    ::testing::internal::CaptureStderr();
    base::warn("settings not saved: disk full");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "magnifier: settings not saved: disk full\n");
}

TEST(Warn, KeepsTheMessageWholeWhateverItHolds) {
    const std::string longMessage(5000, 'x');
    ::testing::internal::CaptureStderr();
    base::warn(longMessage);
    base::warn("");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "magnifier: " + longMessage + "\nmagnifier: \n");
}

TEST(Warn, AFatalErrorIsReportedTheSameWay) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(base::runHandler([] { throw std::runtime_error("overflow in 16-bit multiplication"); }));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "magnifier: overflow in 16-bit multiplication\n");
}

}  // namespace
