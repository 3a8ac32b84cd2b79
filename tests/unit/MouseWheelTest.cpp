// The wheel zooms in steps of one; every message still reaches the window as it was.
#include <gtest/gtest.h>

#include <vector>

#include "StartedMagnifier.h"
#include "winsvc/MouseWheel.h"

namespace {

using platform::fake::FakePlatform;
using platform::fake::FakeWindow;

platform::WParam wheelParam(int delta, std::uint32_t keys = 0) {
    return (static_cast<platform::WParam>(static_cast<std::uint16_t>(delta)) << 16) | keys;
}

class MouseWheelTest : public testsupport::StartedMagnifierTest {
protected:
    platform::LResult wheel(int delta, std::uint32_t keys = 0, platform::LParam where = 0) {
        return fake.windows.sendMessage(hwnd, platform::WM_MOUSEWHEEL, wheelParam(delta, keys), where);
    }
    FakeWindow& own() { return *fake.windows.window(hwnd); }
};

TEST_F(MouseWheelTest, OneNotchUpZoomsInAndDownZoomsOut) {
    wheel(120);
    EXPECT_EQ(window.size(), 3);
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(window.size(), 1);
}

TEST_F(MouseWheelTest, AnyDeltaIsOneStepInItsDirection) {
    window.setSize(9);
    wheel(240);
    EXPECT_EQ(window.size(), 10);
    wheel(30);
    EXPECT_EQ(window.size(), 11);
    wheel(1);
    EXPECT_EQ(window.size(), 12);
    wheel(32767);
    EXPECT_EQ(window.size(), 13);
    wheel(-360);
    EXPECT_EQ(window.size(), 12);
    wheel(-1);
    EXPECT_EQ(window.size(), 11);
    wheel(-32768);
    EXPECT_EQ(window.size(), 10);
    wheel(0);
    EXPECT_EQ(window.size(), 10);
}

TEST_F(MouseWheelTest, StaysWithinOneToEighteen) {
    window.setSize(17);
    wheel(120);
    wheel(120);
    wheel(480);
    EXPECT_EQ(window.size(), 18);
    window.setSize(2);
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(window.size(), 1);
}

TEST_F(MouseWheelTest, HeldKeysAndButtonsDoNotMatter) {
    for (std::uint32_t keys : {platform::MK_CONTROL, platform::MK_SHIFT, platform::MK_CONTROL | platform::MK_SHIFT,
                               platform::MK_LBUTTON | platform::MK_RBUTTON | platform::MK_MBUTTON}) {
        window.setSize(5);
        wheel(120, keys);
        EXPECT_EQ(window.size(), 6) << keys;
        wheel(-120, keys);
        wheel(-120, keys);
        EXPECT_EQ(window.size(), 4) << keys;
    }
}

TEST_F(MouseWheelTest, WheelMessageStillReachesTheWindowWithItsResult) {
    own().onMessage = [](std::uint32_t, platform::WParam, platform::LParam) -> platform::LResult { return 1234; };
    const platform::LParam where = (300 << 16) | 200;
    const platform::WParam wParam = wheelParam(-120, platform::MK_SHIFT);
    EXPECT_EQ(fake.windows.sendMessage(hwnd, platform::WM_MOUSEWHEEL, wParam, where), 1234);
    ASSERT_EQ(own().received.size(), 1u);
    EXPECT_EQ(own().received[0].message, platform::WM_MOUSEWHEEL);
    EXPECT_EQ(own().received[0].wParam, wParam);
    EXPECT_EQ(own().received[0].lParam, where);
}

TEST_F(MouseWheelTest, OtherMessagesPassUnchangedAndDoNotZoom) {
    own().onMessage = [](std::uint32_t message, platform::WParam wParam, platform::LParam) -> platform::LResult {
        return static_cast<platform::LResult>(message * 1000 + wParam);
    };
    struct Sent {
        std::uint32_t message;
        platform::WParam wParam;
        platform::LParam lParam;
    };
    const std::vector<Sent> messages = {{platform::WM_MOUSEHWHEEL, wheelParam(120), 5},
                                        {platform::WM_KEYDOWN, platform::VK_ADD, 0x10001},
                                        {platform::WM_SIZE, 0, (200 << 16) | 300},
                                        {platform::WM_RBUTTONUP, platform::MK_SHIFT, 77},
                                        {platform::WM_CLOSE, 0, 0}};
    for (const Sent& m : messages) {
        EXPECT_EQ(fake.windows.sendMessage(hwnd, m.message, m.wParam, m.lParam),
                  static_cast<platform::LResult>(m.message * 1000 + m.wParam));
    }
    EXPECT_EQ(window.size(), 2);
    ASSERT_EQ(own().received.size(), messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(own().received[i].message, messages[i].message);
        EXPECT_EQ(own().received[i].wParam, messages[i].wParam);
        EXPECT_EQ(own().received[i].lParam, messages[i].lParam);
    }
}

TEST_F(MouseWheelTest, HookingTwiceDoesNotChainTheProcedureToItself) {
    winsvc::hookWheel(hwnd, window);
    EXPECT_NE(winsvc::previousWindowProc(), reinterpret_cast<std::intptr_t>(&winsvc::wheelWindowProc));
    wheel(120);
    EXPECT_EQ(window.size(), 3);
    EXPECT_EQ(own().received.size(), 1u);
}

TEST(MouseWheelNextWindow, WindowMadeAfterTheFirstIsGoneZoomsToo) {
    FakePlatform fake;
    {
        app::FrmMain first(fake.toolkit);
        first.start();
        ASSERT_TRUE(fake.toolkit.lastForm()->close());
    }
    app::FrmMain second(fake.toolkit);
    second.start();
    fake.windows.sendMessage(second.hWnd(), platform::WM_MOUSEWHEEL, wheelParam(120), 0);
    EXPECT_EQ(second.size(), 3);
    EXPECT_EQ(fake.windows.window(second.hWnd())->received.size(), 1u);
}

TEST(MouseWheelAfterUnload, LateWheelMessagesAreHarmless) {
    // Messages can still arrive between unload and the window's destruction.
    FakePlatform fake;
    app::FrmMain window(fake.toolkit);
    window.start();
    std::int16_t cancel = 0;
    window.Form_Unload(cancel);
    fake.windows.sendMessage(window.hWnd(), platform::WM_MOUSEWHEEL, wheelParam(120), 0);
    EXPECT_EQ(window.size(), 2);
    EXPECT_EQ(fake.windows.window(window.hWnd())->received.size(), 1u);
}

}  // namespace
