// Keeping the magnifier above other windows.
#include <gtest/gtest.h>

#include "StartedMagnifier.h"
#include "winsvc/clsStyle.h"

namespace {

constexpr std::uint32_t kOtherProcess = 77;

class WindowStyleTest : public testsupport::MagnifierTest {
protected:
    void SetUp() override {
        // Another program's windows, one of them always on top itself, all above ours.
        otherTopmost = fake.windows.createWindow(kOtherProcess, platform::Rect{0, 0, 50, 50});
        fake.windows.SetWindowPos(otherTopmost, platform::HWND_TOPMOST, 0, 0, 0, 0,
                                  platform::SWP_NOMOVE | platform::SWP_NOSIZE);
        other = fake.windows.createWindow(kOtherProcess, platform::Rect{10, 10, 90, 90});
        ASSERT_NE(fake.windows.zOrder().front(), hwnd);
    }
    bool topmostBit() { return (fake.windows.window(hwnd)->exStyle & platform::WS_EX_TOPMOST) != 0; }

    platform::Handle otherTopmost = 0;
    platform::Handle other = 0;
};

TEST_F(WindowStyleTest, StartedWindowIsAboveEverything) {
    window.start();
    EXPECT_EQ(fake.windows.zOrder().front(), hwnd);
    EXPECT_TRUE(topmostBit());
}

TEST_F(WindowStyleTest, AnyNonZeroValueMakesItTopmost) {
    for (std::int16_t value : {1, -1, 2, 256, -32768, 32767}) {
        winsvc::clsStyle style;
        style.setClient(&window.form());
        style.setTopMost(0);
        ASSERT_FALSE(style.TopMost());
        fake.windows.SetWindowPos(otherTopmost, platform::HWND_TOPMOST, 0, 0, 0, 0,
                                  platform::SWP_NOMOVE | platform::SWP_NOSIZE);
        style.setTopMost(value);
        EXPECT_TRUE(style.TopMost()) << value;
        EXPECT_TRUE(topmostBit()) << value;
        EXPECT_EQ(fake.windows.zOrder().front(), hwnd) << value;
    }
}

TEST_F(WindowStyleTest, TopmostKeepsPositionAndSize) {
    platform::Rect before{};
    fake.windows.GetWindowRect(hwnd, before);
    winsvc::clsStyle style;
    style.setClient(&window.form());
    style.setTopMost(1);
    style.setTopMost(0);
    platform::Rect after{};
    fake.windows.GetWindowRect(hwnd, after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(WindowStyleTest, ZeroLeavesTheTopmostGroup) {
    winsvc::clsStyle style;
    style.setClient(&window.form());
    style.setTopMost(1);
    style.setTopMost(0);
    EXPECT_FALSE(style.TopMost());
    EXPECT_FALSE(topmostBit());
    // Below the other program's topmost window again, at the top of the ordinary ones.
    const auto order = fake.windows.zOrder();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], otherTopmost);
    EXPECT_EQ(order[1], hwnd);
}

TEST_F(WindowStyleTest, WithoutAClientNothingChanges) {
    const auto order = fake.windows.zOrder();
    winsvc::clsStyle style;
    EXPECT_EQ(style.Client(), nullptr);
    style.setTopMost(1);
    EXPECT_FALSE(style.TopMost());
    EXPECT_EQ(fake.windows.zOrder(), order);
    EXPECT_FALSE(topmostBit());
    EXPECT_EQ(fake.windows.window(other)->exStyle, 0);

    style.setClient(&window.form());
    style.setClient(nullptr);
    style.setTopMost(1);
    EXPECT_FALSE(style.TopMost());
    EXPECT_EQ(fake.windows.zOrder(), order);
}

TEST_F(WindowStyleTest, TopMostReadsTheWindowsLiveStyle) {
    winsvc::clsStyle style;
    style.setClient(&window.form());
    style.setTopMost(1);
    ASSERT_TRUE(style.TopMost());
    // Someone else takes the window out of the group behind our back.
    fake.windows.SetWindowPos(hwnd, platform::HWND_NOTOPMOST, 0, 0, 0, 0, platform::SWP_NOMOVE | platform::SWP_NOSIZE);
    EXPECT_FALSE(style.TopMost());
    EXPECT_EQ(style.Client(), &window.form());
}

}  // namespace
