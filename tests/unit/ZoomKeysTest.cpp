// The keypad plus and minus keys step the zoom factor within 1..18.
#include <gtest/gtest.h>

#include <algorithm>

#include "StartedMagnifier.h"
#include "menu/ContextMenu.h"

namespace {

using namespace testsupport;

constexpr std::int16_t kPlus = platform::VK_ADD;
constexpr std::int16_t kMinus = platform::VK_SUBTRACT;

using ZoomKeysTest = StartedMagnifierTest;

TEST_F(ZoomKeysTest, PlusRaisesAndMinusLowersByOne) {
    ASSERT_EQ(window.size(), 2);
    form->keyDown(kPlus);
    EXPECT_EQ(window.size(), 3);
    form->keyDown(kPlus);
    EXPECT_EQ(window.size(), 4);
    form->keyDown(kMinus);
    EXPECT_EQ(window.size(), 3);
}

TEST_F(ZoomKeysTest, PlusStopsAtEighteen) {
    window.setSize(1);
    for (int press = 1; press <= 20; ++press) {
        form->keyDown(kPlus);
        EXPECT_EQ(window.size(), std::min(1 + press, 18)) << "after " << press << " presses";
    }
}

TEST_F(ZoomKeysTest, MinusStopsAtOne) {
    window.setSize(18);
    for (int press = 1; press <= 20; ++press) {
        form->keyDown(kMinus);
        EXPECT_EQ(window.size(), std::max(18 - press, 1)) << "after " << press << " presses";
    }
}

TEST_F(ZoomKeysTest, ShiftControlAndAltDoNotMatter) {
    for (std::int16_t shift :
         {platform::vbShiftMask, platform::vbCtrlMask, platform::vbAltMask,
          static_cast<std::int16_t>(platform::vbShiftMask | platform::vbCtrlMask | platform::vbAltMask)}) {
        window.setSize(5);
        form->keyDown(kPlus, shift);
        EXPECT_EQ(window.size(), 6) << shift;
        form->keyDown(kMinus, shift);
        form->keyDown(kMinus, shift);
        EXPECT_EQ(window.size(), 4) << shift;
    }
}

TEST_F(ZoomKeysTest, MainKeyboardPlusAndMinusAndOtherKeysDoNothing) {
    window.setSize(5);
    for (std::int16_t key : {187, 189, 0, 65, 106, 108, 110, 111, 33, 34, 38, 40}) {
        form->keyDown(key);
        EXPECT_EQ(window.size(), 5) << key;
    }
}

TEST_F(ZoomKeysTest, OutOfRangeSizeIsSteppedNotCorrected) {
    window.setSize(0);
    form->keyDown(kPlus);
    EXPECT_EQ(window.size(), 1);

    window.setSize(25);
    form->keyDown(kMinus);
    EXPECT_EQ(window.size(), 24);

    window.setSize(0);
    form->keyDown(kMinus);
    EXPECT_EQ(window.size(), 0);
}

TEST_F(ZoomKeysTest, KeysWheelAndMenuFollowOneRule) {
    struct Step {
        std::int16_t from;
        std::int16_t in;
        std::int16_t out;
    };
    // Out-of-range factors are only moved towards the range, never corrected.
    const Step steps[] = {{0, 1, 0}, {1, 2, 1}, {2, 3, 1}, {17, 18, 16}, {18, 18, 17}, {19, 19, 18}};
    const auto wheel = [&](int notches) {
        const auto delta = static_cast<std::uint16_t>(static_cast<std::int16_t>(120 * notches));
        fake.windows.sendMessage(window.hWnd(), platform::WM_MOUSEWHEEL, static_cast<platform::WParam>(delta) << 16, 0);
    };
    for (const Step& step : steps) {
        for (const bool in : {true, false}) {
            const std::int16_t expected = in ? step.in : step.out;
            window.setSize(step.from);
            form->keyDown(in ? kPlus : kMinus);
            EXPECT_EQ(window.size(), expected) << "key from " << step.from;
            window.setSize(step.from);
            wheel(in ? 1 : -1);
            EXPECT_EQ(window.size(), expected) << "wheel from " << step.from;
            window.setSize(step.from);
            menu::runContextCommand(window, in ? menu::kCommandZoomIn : menu::kCommandZoomOut);
            EXPECT_EQ(window.size(), expected) << "menu from " << step.from;
        }
    }
}

TEST_F(ZoomKeysTest, CaptionFollowsOnlyAtTheNextTick) {
    form->tick();
    const int writes = form->captionWrites();
    form->keyDown(kPlus);
    form->keyDown(kPlus);
    EXPECT_EQ(form->Caption(), "Magnifier [2:1]");
    EXPECT_EQ(form->captionWrites(), writes);
    form->tick();
    EXPECT_EQ(form->Caption(), "Magnifier [4:1]");
}

TEST_F(ZoomKeysTest, NewZoomIsPaintedAtTheNextTick) {
    paintDistinctScreen(fake);
    fake.windows.setCursor(900, 500);
    form->keyDown(kPlus);
    form->tick();
    // 200 x 200 client at zoom 3: 900 - 33.33 and 500 - 33.33 round to 867 and 467.
    EXPECT_TRUE(viewShows(*form, fake.screen, 867, 467, 3));
}

// The form's codes are the Windows API's own, so the Win32 back end passes them through unchanged.
TEST(EventCodes, AreTheWindowsOnes) {
    EXPECT_EQ(platform::VK_ADD, 107);
    EXPECT_EQ(platform::VK_SUBTRACT, 109);
    EXPECT_EQ(platform::vbLeftButton, 1);
    EXPECT_EQ(platform::vbRightButton, 2);
    EXPECT_EQ(platform::vbMiddleButton, 4);
    EXPECT_EQ(platform::vbShiftMask, 1);
    EXPECT_EQ(platform::vbCtrlMask, 2);
    EXPECT_EQ(platform::vbAltMask, 4);
}

}  // namespace
