// The form toolkit on the real window system, held to what every back end's toolkit does, and
// what only it does: geometry read from the window rectangle, the shift state from the messages,
// the message loop, errors in event handlers and the frame statistics.
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FormToolkitConformance.h"
#include "Win32TestSupport.h"

namespace win32test {
namespace {

using namespace std::chrono_literals;
using platform::FormDesign;

using Recorder = conformance::RecordedEvents;

class Win32Forms : public ::testing::Test {
protected:
    void SetUp() override {
        // A window closed by an earlier test ended a message loop that never ran: its quit
        // request must not end this test's loop.
        MSG message{};
        while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    std::unique_ptr<platform::Form> create(const std::string& caption = "Magnifier", int interval = 10) {
        FormDesign design;
        design.caption = caption;
        design.timerIntervalMs = interval;
        return toolkit.createForm(design, events);
    }
    static HWND hwndOf(const platform::Form& form) { return fromHandle<HWND>(form.hWnd()); }

    Win32Services services;
    platform::win32::Win32Toolkit toolkit;
    Recorder events;
};

TEST_F(Win32Forms, OuterGeometryIsTheWindowRectangleInTwips) {
    const auto form = create();
    const HWND hwnd = hwndOf(*form);
    ::SetWindowPos(hwnd, nullptr, 33, 44, 250, 260, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(form->Width(), static_cast<float>((r.right - r.left) * 15));
    EXPECT_EQ(form->Height(), static_cast<float>((r.bottom - r.top) * 15));
    EXPECT_EQ(form->Left(), static_cast<float>(r.left * 15));
    EXPECT_EQ(form->Top(), static_cast<float>(r.top * 15));
    EXPECT_EQ(r.right - r.left, 250);

    form->setLeft(70 * 15);
    form->setTop(80 * 15);
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 70);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(r.right - r.left, 250) << "moving changed the size";

    form->setWidth(300 * 15);
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, 300);
    form->setHeight(280 * 15);
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.bottom - r.top, 280);
}

TEST_F(Win32Forms, MinimisedTheGeometryIsTheOneItComesBackTo) {
    const auto form = create();
    const HWND hwnd = hwndOf(*form);
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::SetWindowPos(hwnd, nullptr, 133, 144, 260, 270, SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(hwnd, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(hwnd)) << "test set-up: the window is minimised";
    EXPECT_EQ(form->WindowState(), platform::WINDOW_MINIMIZED);
    EXPECT_EQ(form->Left(), 133.0f * 15);
    EXPECT_EQ(form->Top(), 144.0f * 15);
    EXPECT_EQ(form->Width(), 260.0f * 15);
    EXPECT_EQ(form->Height(), 270.0f * 15);
}

TEST_F(Win32Forms, ADpiChangeKeepsThePixelSizeAtTheSuggestedPlace) {
    const auto form = create();
    const HWND hwnd = hwndOf(*form);
    ::SetWindowPos(hwnd, nullptr, 40, 50, 230, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    // What the system sends when the window reaches a monitor at 150 %: a rectangle scaled for it.
    RECT suggested{300, 200, 300 + 345, 200 + 360};
    ::SendMessageW(hwnd, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right - r.left, 230);
    EXPECT_EQ(r.bottom - r.top, 240);
}

TEST_F(Win32Forms, TheWindowHasTheFormsClientSizeAndTitle) {
    const auto form = create("Nagy\xC3\xADt\xC3\xB3");
    const HWND hwnd = hwndOf(*form);
    ASSERT_TRUE(::IsWindow(hwnd));
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 200);
    wchar_t text[32] = {};
    ::GetWindowTextW(hwnd, text, 32);
    EXPECT_STREQ(text, L"Nagy\u00EDt\u00F3");
}

// The shift state of a button comes with its message.
TEST_F(Win32Forms, ButtonMessagesCarryTheShiftAndControlKeys) {
    const auto form = create();
    form->loadAndShow();
    const HWND hwnd = hwndOf(*form);
    ::SendMessageW(hwnd, WM_RBUTTONUP, MK_SHIFT, MAKELPARAM(12, 34));
    EXPECT_EQ(events.lastButton, platform::vbRightButton);
    EXPECT_EQ(events.lastShift & platform::vbShiftMask, platform::vbShiftMask);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    EXPECT_EQ(events.lastButton, platform::vbLeftButton);
    EXPECT_EQ(events.lastShift & (platform::vbShiftMask | platform::vbCtrlMask), 0);
    ::SendMessageW(hwnd, WM_MBUTTONUP, MK_CONTROL, MAKELPARAM(7, 8));
    EXPECT_EQ(events.lastButton, platform::vbMiddleButton);
    EXPECT_EQ(events.lastShift & platform::vbCtrlMask, platform::vbCtrlMask);
}

TEST_F(Win32Forms, TheTimerTicksUntilTheFormIsClosedAndTheLoopEndsWithZero) {
    const auto form = create();
    form->loadAndShow();
    events.onTick = [&] {
        if (events.ticks == 5) ::PostMessageW(hwndOf(*form), WM_CLOSE, 0, 0);
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(toolkit.run(), 0);
    EXPECT_GE(events.ticks, 5);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(events.events.back(), "unload");
    EXPECT_FALSE(::IsWindow(hwndOf(*form)));
}

// A 10 ms timer ticks a hundred times a second, not at the system timer's coarser period, from
// whichever source the system allows; ticks go on in a loop that is not the toolkit's, as while a
// menu is open. (Wine has no high-resolution timers: the best it gives is the window timer; the
// plain waitable timer runs the loop the high-resolution one would.)
TEST_F(Win32Forms, TheTimerTicksAHundredTimesASecondAndGoesOnInOtherLoops) {
    using platform::win32::TickSource;
    for (const TickSource source : {TickSource::Best, TickSource::WaitableTimer, TickSource::WindowTimer}) {
        SCOPED_TRACE(static_cast<int>(source));
        toolkit.setTickSource(source);
        events.ticks = 0;
        const auto form = create();
        form->loadAndShow();
        const HWND hwnd = hwndOf(*form);
        std::chrono::steady_clock::time_point counted;
        double perSecond = 0;
        int ticksInMenuLoop = 0;
        events.onTick = [&] {
            const auto now = std::chrono::steady_clock::now();
            if (events.ticks == 10) counted = now;  // from the 10th on, past the start's work
            if (events.ticks > 10 && now - counted >= 2s && perSecond == 0) {
                perSecond = (events.ticks - 10) / std::chrono::duration<double>(now - counted).count();
                ::PostMessageW(hwnd, WM_LBUTTONUP, 0, 0);
            }
        };
        // A nested loop of its own, as a popup menu runs: the ticks keep coming for 300 ms.
        events.onMouseUp = [&] {
            const int before = events.ticks;
            const auto until = std::chrono::steady_clock::now() + 300ms;
            MSG message{};
            while (std::chrono::steady_clock::now() < until) {
                if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                    ::DispatchMessageW(&message);
                } else {
                    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
                }
            }
            ticksInMenuLoop = events.ticks - before;
            ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        };
        EXPECT_EQ(toolkit.run(), 0);
        EXPECT_GE(perSecond, 95);
        EXPECT_LE(perSecond, 105);
        EXPECT_GE(ticksInMenuLoop, 10) << "no ticks while another loop ran";
        events.onTick = nullptr;
        events.onMouseUp = nullptr;
    }
}

TEST_F(Win32Forms, AnErrorInAHandlerIsReportedAndEndsTheLoopWithOne) {
    const auto form = create();
    events.onResize = [] { throw std::overflow_error("overflow in 16-bit multiplication"); };
    events.onLoad = [&] { form->setWidth(333 * 15); };
    ::testing::internal::CaptureStderr();
    form->loadAndShow();
    const int status = toolkit.run();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_NE(errors.find("magnifier: overflow in 16-bit multiplication"), std::string::npos) << errors;
    EXPECT_FALSE(::IsWindowVisible(hwndOf(*form))) << "shown after its load failed";
    // No further event reaches the handlers.
    const auto count = events.events.size();
    ::SendMessageW(hwndOf(*form), WM_KEYDOWN, VK_ADD, 1);
    EXPECT_EQ(events.events.size(), count);
}

// A picture whose pixel (x, y) is conformance::patternColour(x, y).
platform::PictureRef patternPicture(Win32Services& services, int width, int height) {
    const platform::win32::OwnedWindowDc screen(nullptr);
    platform::win32::OwnedGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<std::size_t>(y) * width + x] = conformance::patternColour(x, y);
        }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    platform::PictDesc description;
    description.size = 20;
    description.type = PICTYPE_BITMAP;
    description.bitmap = toHandle(bitmap.get());
    platform::PictureRef picture = services.graphics.OleCreatePictureIndirect(description, true);
    if (picture) bitmap.release();
    return picture;
}

TEST_F(Win32Forms, StatisticsCountThePaintedTicks) {
    const auto form = create();
    form->loadAndShow();
    const platform::PictureRef picture = patternPicture(services, 10, 10);
    events.onTick = [&] {
        // A different source rectangle each time, so each of the four is a new frame.
        if (events.ticks <= 4) form->PaintPicture(picture, 0, 0, 200, 200, 0, 0, 10.0f - events.ticks, 10);
        if (events.ticks == 7) ::PostMessageW(hwndOf(*form), WM_CLOSE, 0, 0);
    };
    ::_putenv("MAGNIFIER_STATS=1");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(toolkit.run(), 0);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ::_putenv("MAGNIFIER_STATS=");
    EXPECT_EQ(toolkit.frames(), 4u);
    EXPECT_NE(errors.find("magnifier: frames 4\n"), std::string::npos) << errors;
}

// A tick that would paint the frame the window already shows paints and counts nothing; a
// different text or picture geometry is painted at once.
TEST_F(Win32Forms, OnlyTicksThatChangeTheFramePaint) {
    const auto form = create();
    form->loadAndShow();
    const platform::PictureRef picture = patternPicture(services, 10, 10);
    std::vector<unsigned long> framesBefore;  // toolkit.frames() as each tick starts
    events.onTick = [&] {
        framesBefore.push_back(toolkit.frames());
        const float source = events.ticks >= 13 ? 5.0f : 10.0f;
        form->PaintPicture(picture, 0, 0, 200, 200, 0, 0, source, source);
        form->setCurrentX(2);
        form->setCurrentY(180);
        form->Print(events.ticks >= 12 ? "Nagyit\xC3\xA1s" : "Zoom");
        if (events.ticks == 14) ::PostMessageW(hwndOf(*form), WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(toolkit.run(), 0);
    ASSERT_GE(framesBefore.size(), 14u);
    // Ticks 10 and 11 repeat tick 9: no frames; 12 changes the text and 13 the source rectangle.
    EXPECT_EQ(framesBefore[11], framesBefore[9]);
    EXPECT_EQ(framesBefore[12], framesBefore[11] + 1);
    EXPECT_EQ(framesBefore[13], framesBefore[12] + 1);
}


class Win32ToolkitBackend {
public:
    static constexpr bool kDrawsText = true;

    Win32ToolkitBackend() {
        // A window closed by an earlier test ended a message loop that never ran: its quit
        // request must not be left for this test's loop.
        MSG message{};
        while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    platform::FormToolkit& toolkit() { return toolkit_; }
    bool runUntil(platform::Form& /*form*/, const std::function<bool()>& done) { return pumpUntil(done, 5s); }
    bool visible(platform::Form& form) {
        const HWND hwnd = fromHandle<HWND>(form.hWnd());
        return ::IsWindow(hwnd) && ::IsWindowVisible(hwnd);
    }
    platform::PictureRef pattern(int width, int height) { return patternPicture(services_, width, height); }
    std::vector<std::uint32_t> clientPixels(platform::Form& form) {
        const HWND hwnd = fromHandle<HWND>(form.hWnd());
        // On top of everything, so that the window's device context shows all of it.
        ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return win32test::clientPixels(hwnd, static_cast<int>(form.ScaleWidth()), static_cast<int>(form.ScaleHeight()));
    }
    void pressKey(platform::Form& form, conformance::Key key) {
        ::SendMessageW(fromHandle<HWND>(form.hWnd()), WM_KEYDOWN, key == conformance::Key::KeypadPlus ? VK_ADD : VK_SUBTRACT,
                       1);
    }
    void releaseButton(platform::Form& form, int button, int x, int y) {
        const UINT message = button == platform::vbLeftButton ? WM_LBUTTONUP : button == platform::vbRightButton ? WM_RBUTTONUP : WM_MBUTTONUP;
        ::SendMessageW(fromHandle<HWND>(form.hWnd()), message, 0, MAKELPARAM(x, y));
    }
    void askToClose(platform::Form& form) { ::SendMessageW(fromHandle<HWND>(form.hWnd()), WM_CLOSE, 0, 0); }
    int screenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
    int screenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

private:
    Win32Services services_;
    platform::win32::Win32Toolkit toolkit_;
};

}  // namespace
}  // namespace win32test

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32Toolkit, FormToolkitConformance, win32test::Win32ToolkitBackend);
}  // namespace conformance
