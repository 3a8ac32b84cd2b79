// The wheel procedure in front of a real window's own: SendMessage's wheel messages zoom the
// main window and still reach the window's procedure, and every other message passes through
// with its arguments and comes back with the procedure's result.
#include <memory>

#include "app/FrmMain.h"
#include "winsvc/MouseWheel.h"
#include "Win32TestSupport.h"

namespace win32test {
namespace {

constexpr UINT kAsk = WM_APP + 5;
constexpr LRESULT kAnswer = 4242;
constexpr LRESULT kWheelAnswer = 17;

WPARAM wheel(int delta, WORD keys = 0) { return MAKEWPARAM(keys, static_cast<WORD>(static_cast<SHORT>(delta))); }

class WheelChain : public ::testing::Test {
protected:
    WheelChain()
        : window_(WS_OVERLAPPEDWINDOW, 0, RECT{50, 50, 250, 250}, [](UINT message, WPARAM, LPARAM, LRESULT& result) {
              if (message == kAsk) {
                  result = kAnswer;
                  return true;
              }
              if (message == WM_MOUSEWHEEL) {
                  result = kWheelAnswer;
                  return true;
              }
              return false;
          }) {
        // The main window whose zoom the wheel changes: a real form, never shown.
        main_ = std::make_unique<app::FrmMain>(toolkit_);
        main_->setSize(5);
        original_ = ::GetWindowLongPtrA(window_.hwnd(), GWLP_WNDPROC);
        winsvc::hookWheel(window_.handle(), *main_);
        window_.forget();
    }

    ~WheelChain() override {
        // The window gets its own procedure back before it goes.
        ::SetWindowLongPtrA(window_.hwnd(), GWLP_WNDPROC, original_);
        winsvc::forgetWheelHook();
    }

    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::SendMessageW(window_.hwnd(), message, wParam, lParam);
    }

    Win32Services services_;
    platform::win32::Win32Toolkit toolkit_;
    TestWindow window_;
    std::unique_ptr<app::FrmMain> main_;
    LONG_PTR original_ = 0;
};

TEST_F(WheelChain, TheHookIsTheWindowsProcedureAndRemembersTheOriginal) {
    EXPECT_EQ(::GetWindowLongPtrA(window_.hwnd(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&winsvc::wheelWindowProc));
    EXPECT_EQ(winsvc::previousWindowProc(), original_);
}

TEST_F(WheelChain, AWheelTurnAwayZoomsInAndStillReachesTheWindow) {
    const LPARAM at = MAKELPARAM(120, 130);
    EXPECT_EQ(send(WM_MOUSEWHEEL, wheel(120, MK_SHIFT), at), kWheelAnswer);
    EXPECT_EQ(main_->size(), 6);
    const auto seen = window_.seen(WM_MOUSEWHEEL);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, wheel(120, MK_SHIFT));
    EXPECT_EQ(seen[0].lParam, at);
}

TEST_F(WheelChain, AWheelTurnTowardsZoomsOutOneStepWhateverItsSize) {
    send(WM_MOUSEWHEEL, wheel(-120), 0);
    EXPECT_EQ(main_->size(), 4);
    send(WM_MOUSEWHEEL, wheel(-480), 0);
    EXPECT_EQ(main_->size(), 3);
    send(WM_MOUSEWHEEL, wheel(1), 0);
    EXPECT_EQ(main_->size(), 4);
    EXPECT_EQ(window_.seen(WM_MOUSEWHEEL).size(), 3u);
}

TEST_F(WheelChain, TheZoomStaysWithinOneToEighteen) {
    main_->setSize(18);
    send(WM_MOUSEWHEEL, wheel(120), 0);
    EXPECT_EQ(main_->size(), 18);
    main_->setSize(1);
    send(WM_MOUSEWHEEL, wheel(-120), 0);
    EXPECT_EQ(main_->size(), 1);
}

TEST_F(WheelChain, AHorizontalWheelDoesNotZoom) {
    send(WM_MOUSEHWHEEL, wheel(120), 0);
    EXPECT_EQ(main_->size(), 5);
    EXPECT_EQ(window_.seen(WM_MOUSEHWHEEL).size(), 1u);
}

TEST_F(WheelChain, OtherMessagesPassWithTheirArgumentsAndResults) {
    EXPECT_EQ(send(kAsk, 11, 22), kAnswer);
    const auto seen = window_.seen(kAsk);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, 11u);
    EXPECT_EQ(seen[0].lParam, 22);
    EXPECT_EQ(main_->size(), 5);
}

TEST_F(WheelChain, TextPassesThroughTheAnsiProcedureUnchanged) {
    // The hook is an ANSI procedure in front of a wide one: the text is narrowed and widened
    // again on the way, which loses nothing with the UTF-8 code page the manifest selects.
    EXPECT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8));
    ASSERT_TRUE(::SetWindowTextW(window_.hwnd(), L"Nagy\u00EDt\u00F3 \u0151\u0171 [3:1]"));
    wchar_t text[64] = {};
    ::GetWindowTextW(window_.hwnd(), text, 64);
    EXPECT_STREQ(text, L"Nagy\u00EDt\u00F3 \u0151\u0171 [3:1]");
}

TEST_F(WheelChain, ASecondHookIsRefusedSoTheProcedureNeverForwardsToItself) {
    winsvc::hookWheel(window_.handle(), *main_);
    EXPECT_EQ(winsvc::previousWindowProc(), original_);
    EXPECT_EQ(send(WM_MOUSEWHEEL, wheel(120), 0), kWheelAnswer);
    EXPECT_EQ(main_->size(), 6);
}

}  // namespace
}  // namespace win32test
