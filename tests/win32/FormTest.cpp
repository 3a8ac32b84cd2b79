// The form toolkit on the real window system: creation, geometry in twips, events from window
// messages, the timer and the message loop, drawing, and errors in event handlers.
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Win32TestSupport.h"

namespace win32test {
namespace {

using namespace std::chrono_literals;
using platform::FormDesign;

struct Recorder : platform::FormEvents {
    std::vector<std::string> events;
    int resizes = 0;
    int ticks = 0;
    std::int16_t lastKey = 0;
    std::int16_t lastShift = -1;
    std::int16_t lastButton = 0;
    float lastX = -1;
    float lastY = -1;
    std::int16_t cancelUnload = 0;
    std::function<void()> onLoad;
    std::function<void()> onResize;
    std::function<void()> onTick;

    void Form_Load() override {
        events.push_back("load");
        if (onLoad) onLoad();
    }
    void Form_Resize() override {
        events.push_back("resize");
        ++resizes;
        if (onResize) onResize();
    }
    void Form_Unload(std::int16_t& cancel) override {
        events.push_back("unload");
        cancel = cancelUnload;
    }
    void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) override {
        events.push_back("key");
        lastKey = keyCode;
        lastShift = shift;
    }
    void Form_MouseUp(std::int16_t button, std::int16_t shift, float x, float y) override {
        events.push_back("mouseup");
        lastButton = button;
        lastShift = shift;
        lastX = x;
        lastY = y;
    }
    void Timer1_Timer() override {
        ++ticks;
        if (onTick) onTick();
    }
};

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

TEST_F(Win32Forms, ANewFormHasA200By200ClientAndItsCaption) {
    const auto form = create("Nagy\xC3\xADt\xC3\xB3");
    const HWND hwnd = hwndOf(*form);
    ASSERT_TRUE(::IsWindow(hwnd));
    EXPECT_FALSE(::IsWindowVisible(hwnd)) << "shown before the load handler ran";
    EXPECT_EQ(form->ScaleWidth(), 200.0f);
    EXPECT_EQ(form->ScaleHeight(), 200.0f);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 200);
    wchar_t text[32] = {};
    ::GetWindowTextW(hwnd, text, 32);
    EXPECT_STREQ(text, L"Nagy\u00EDt\u00F3");
    EXPECT_EQ(form->Caption(), "Nagy\xC3\xADt\xC3\xB3");
    EXPECT_TRUE(events.events.empty()) << "events before the load: " << events.events.size();
}

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
}

TEST_F(Win32Forms, WritingWidthOrHeightRaisesResizeInsideTheWrite) {
    const auto form = create();
    form->loadAndShow();
    const int before = events.resizes;
    form->setWidth(300 * 15);
    EXPECT_EQ(events.resizes, before + 1);
    RECT r{};
    ::GetWindowRect(hwndOf(*form), &r);
    EXPECT_EQ(r.right - r.left, 300);
    form->setHeight(280 * 15);
    EXPECT_EQ(events.resizes, before + 2);
    ::GetWindowRect(hwndOf(*form), &r);
    EXPECT_EQ(r.bottom - r.top, 280);
    // The same size again: still one resize event.
    form->setWidth(300 * 15);
    EXPECT_EQ(events.resizes, before + 3);
}

TEST_F(Win32Forms, TheLoadHandlerRunsBeforeTheWindowIsShown) {
    const auto form = create();
    bool visibleDuringLoad = true;
    events.onLoad = [&] { visibleDuringLoad = ::IsWindowVisible(hwndOf(*form)) != FALSE; };
    form->loadAndShow();
    EXPECT_FALSE(visibleDuringLoad);
    EXPECT_TRUE(::IsWindowVisible(hwndOf(*form)));
    ASSERT_FALSE(events.events.empty());
    EXPECT_EQ(events.events.front(), "load");
}

TEST_F(Win32Forms, KeysAndButtonsBecomeEvents) {
    const auto form = create();
    form->loadAndShow();
    const HWND hwnd = hwndOf(*form);
    ::SendMessageW(hwnd, WM_KEYDOWN, VK_ADD, 1);
    EXPECT_EQ(events.lastKey, VK_ADD);
    ::SendMessageW(hwnd, WM_KEYDOWN, VK_SUBTRACT, 1);
    EXPECT_EQ(events.lastKey, VK_SUBTRACT);
    ::SendMessageW(hwnd, WM_RBUTTONUP, MK_SHIFT, MAKELPARAM(12, 34));
    EXPECT_EQ(events.lastButton, platform::vbRightButton);
    EXPECT_EQ(events.lastShift & platform::vbShiftMask, platform::vbShiftMask);
    EXPECT_EQ(events.lastX, 12.0f);
    EXPECT_EQ(events.lastY, 34.0f);
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

TEST_F(Win32Forms, CancellingTheUnloadKeepsTheWindow) {
    const auto form = create();
    form->loadAndShow();
    events.cancelUnload = 1;
    ::SendMessageW(hwndOf(*form), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(hwndOf(*form)));
    events.cancelUnload = 0;
    ::SendMessageW(hwndOf(*form), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hwndOf(*form)));
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

TEST_F(Win32Forms, TheScreenSizeIsInTwipsAndTheVersionIs120) {
    EXPECT_EQ(toolkit.ScreenWidth(), static_cast<float>(::GetSystemMetrics(SM_CXSCREEN) * 15));
    EXPECT_EQ(toolkit.ScreenHeight(), static_cast<float>(::GetSystemMetrics(SM_CYSCREEN) * 15));
    const platform::AppVersion version = toolkit.version();
    EXPECT_EQ(version.major, 1);
    EXPECT_EQ(version.minor, 2);
    EXPECT_EQ(version.revision, 0);
}

// A picture whose pixel (x, y) is patternColour(x, y).
platform::PictureRef patternPicture(Win32Services& services, int width, int height) {
    const platform::win32::OwnedWindowDc screen(nullptr);
    platform::win32::OwnedGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y) * width + x] = patternColour(x, y);
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

TEST_F(Win32Forms, PaintPictureShowsEachSourcePixelAsAZoomByZoomBlock) {
    const auto form = create();
    const HWND hwnd = hwndOf(*form);
    form->loadAndShow();
    ::SetWindowPos(hwnd, HWND_TOPMOST, 300, 200, 0, 0, SWP_NOSIZE);
    const int width = static_cast<int>(form->ScaleWidth());
    const int height = static_cast<int>(form->ScaleHeight());
    const platform::PictureRef picture = patternPicture(services, width, height);
    ASSERT_TRUE(picture);

    for (const int zoom : {1, 2, 3, 7, 18}) {
        int painted = 0;
        events.onTick = [&] {
            form->PaintPicture(picture, 0, 0, static_cast<float>(width), static_cast<float>(height), 0, 0,
                               static_cast<float>(static_cast<double>(width) / zoom),
                               static_cast<float>(static_cast<double>(height) / zoom));
            form->setCurrentX(2);
            form->setCurrentY(static_cast<float>(height - 14));
            form->Print("Zoom: [+] & [-]");
            ++painted;
        };
        std::string mismatch;
        const bool shown = pumpUntil(
            [&] {
                if (painted < 2) return false;
                const std::vector<std::uint32_t> pixels = clientPixels(hwnd, width, height);
                if (pixels.empty()) {
                    mismatch = "cannot read the client area";
                    return false;
                }
                int wrong = 0;
                mismatch.clear();
                // The text is painted over the bottom rows.
                for (int y = 0; y < height - 20; ++y) {
                    for (int x = 0; x < width; ++x) {
                        const std::uint32_t expected = patternColour(x / zoom, y / zoom);
                        const std::uint32_t seen = pixels[static_cast<std::size_t>(y) * width + x];
                        if (seen != expected && wrong++ == 0) {
                            mismatch = "client (" + std::to_string(x) + "," + std::to_string(y) + ") is " +
                                       hexColour(seen) + ", expected " + hexColour(expected);
                        }
                    }
                }
                if (wrong != 0) mismatch += " (" + std::to_string(wrong) + " pixels differ)";
                return wrong == 0;
            },
            5s);
        EXPECT_TRUE(shown) << "zoom " << zoom << ": " << mismatch;
        // The text is there: white and dark pixels in the bottom rows, which the picture has
        // neither of.
        const std::vector<std::uint32_t> pixels = clientPixels(hwnd, width, height);
        int white = 0, dark = 0;
        for (int y = height - 16; y < height && !pixels.empty(); ++y)
            for (int x = 0; x < 100; ++x) {
                const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
                white += p == 0xFFFFFFu;
                dark += p == 0x000000u;
            }
        EXPECT_GT(white, 20) << "zoom " << zoom;
        EXPECT_GT(dark, 20) << "zoom " << zoom;
    }
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

}  // namespace
}  // namespace win32test
