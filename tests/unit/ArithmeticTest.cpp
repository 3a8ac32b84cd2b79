#include <gtest/gtest.h>

#include "app/Arithmetic.h"

namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(app::roundHalfEven(7.5), 8);
    EXPECT_EQ(app::roundHalfEven(8.5), 8);
    EXPECT_EQ(app::roundHalfEven(-0.5), 0);
    EXPECT_EQ(app::roundHalfEven(-1.5), -2);
    EXPECT_EQ(app::roundHalfEven(24.5), 24);
    EXPECT_EQ(app::roundHalfEven(25.5), 26);
    EXPECT_EQ(app::roundHalfEven(2.4999), 2);
    EXPECT_EQ(app::roundHalfEven(2.5001), 3);
}

}  // namespace
