// The screen capture on the real window system: a window of known pixels, shown on the screen,
// copied through the desktop window's device context into a picture that owns its bitmap.
#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "capture/Capture.h"
#include "Win32TestSupport.h"

namespace win32test {
namespace {

using namespace std::chrono_literals;

constexpr int kLeft = 240;
constexpr int kTop = 170;
constexpr int kWidth = 64;
constexpr int kHeight = 48;

// A borderless, topmost window that paints patternColour(x, y) at each client pixel.
class PatternWindow {
public:
    PatternWindow()
        : window_(WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, RECT{kLeft, kTop, kLeft + kWidth, kTop + kHeight},
                  [this](UINT message, WPARAM, LPARAM, LRESULT& result) {
                      if (message == WM_PAINT) {
                          paint();
                          result = 0;
                          return true;
                      }
                      if (message == WM_ERASEBKGND) {
                          result = 1;
                          return true;
                      }
                      return false;
                  }) {
        pixels_.resize(static_cast<std::size_t>(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) pixels_[static_cast<std::size_t>(y) * kWidth + x] = patternColour(x, y);
        ::ShowWindow(window_.hwnd(), SW_SHOWNOACTIVATE);
        ::UpdateWindow(window_.hwnd());
    }

    HWND hwnd() const { return window_.hwnd(); }

private:
    void paint() {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(window_.hwnd(), &paint);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        ::SetDIBitsToDevice(dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, pixels_.data(), &info, DIB_RGB_COLORS);
        ::EndPaint(window_.hwnd(), &paint);
    }

    std::vector<std::uint32_t> pixels_;
    TestWindow window_;
};

// "" when the pixels show the pattern's (x0, y0)..(x0 + w, y0 + h) part at (ox, oy), else the
// first mismatch and their number.
std::string comparePattern(const std::vector<std::uint32_t>& pixels, int pixelsWidth, int ox, int oy) {
    if (pixels.empty()) return "the picture's bits could not be read";
    int mismatches = 0;
    std::ostringstream first;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t seen = pixels[static_cast<std::size_t>(y + oy) * pixelsWidth + (x + ox)];
            if (seen != patternColour(x, y)) {
                if (mismatches++ == 0) {
                    first << "pattern pixel (" << x << "," << y << ") is " << hexColour(seen) << ", expected "
                          << hexColour(patternColour(x, y));
                }
            }
        }
    }
    if (mismatches == 0) return "";
    return first.str() + " (" + std::to_string(mismatches) + " pixels differ)";
}

class ScreenCapture : public ::testing::Test {
protected:
    // Captures until the pattern shows (the window reaches the screen after a moment) and returns
    // the last comparison.
    std::string captureShowsPattern(int left, int top, int width, int height, int ox, int oy) {
        std::string mismatch = "no capture made";
        pumpUntil(
            [&] {
                const platform::PictureRef picture = capture::captureWindowRect(
                    services.windows.GetDesktopWindow(), false, left, top, width, height);
                if (!picture) {
                    mismatch = "no picture";
                    return false;
                }
                mismatch = comparePattern(bitmapPixels(fromHandle<HBITMAP>(picture->bitmap()), width, height), width,
                                          ox, oy);
                return mismatch.empty();
            },
            5000ms);
        return mismatch;
    }

    Win32Services services;
};

TEST_F(ScreenCapture, CopiesAWindowsPixelsExactly) {
    const PatternWindow window;
    EXPECT_EQ(captureShowsPattern(kLeft, kTop, kWidth, kHeight, 0, 0), "");
}

TEST_F(ScreenCapture, CopiesTheRectangleAskedForAroundIt) {
    const PatternWindow window;
    // A larger rectangle: the pattern sits 10 pixels in from its top-left corner.
    EXPECT_EQ(captureShowsPattern(kLeft - 10, kTop - 10, kWidth + 20, kHeight + 20, 10, 10), "");
}

TEST_F(ScreenCapture, ThePictureOwnsTheBitmapAndDeletesItWithItsLastReference) {
    const PatternWindow window;
    platform::PictureRef picture =
        capture::captureWindowRect(services.windows.GetDesktopWindow(), false, kLeft, kTop, kWidth, kHeight);
    ASSERT_TRUE(picture);
    const auto bitmap = fromHandle<HBITMAP>(picture->bitmap());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    BITMAP description{};
    ASSERT_NE(::GetObjectW(bitmap, sizeof description, &description), 0);
    EXPECT_EQ(description.bmWidth, kWidth);
    EXPECT_EQ(description.bmHeight, kHeight);
    // A true-colour screen has no palette to keep.
    EXPECT_EQ(picture->palette(), 0u);

    platform::PictureRef copy = picture;
    picture.reset();
    EXPECT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP)) << "deleted while a reference remains";
    copy.reset();
    EXPECT_EQ(::GetObjectType(bitmap), 0u) << "the last reference left the bitmap behind";
}

TEST_F(ScreenCapture, APictureThatDoesNotOwnItsBitmapLeavesIt) {
    const platform::win32::OwnedWindowDc screen(nullptr);
    platform::win32::OwnedGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen.get(), 8, 8));
    ASSERT_NE(bitmap.get(), nullptr);
    platform::PictDesc description;
    description.size = 20;
    description.type = PICTYPE_BITMAP;
    description.bitmap = toHandle(bitmap.get());
    {
        const platform::PictureRef picture = services.graphics.OleCreatePictureIndirect(description, false);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->bitmap(), toHandle(bitmap.get()));
    }
    EXPECT_EQ(::GetObjectType(bitmap.get()), static_cast<DWORD>(OBJ_BITMAP));
}

}  // namespace
}  // namespace win32test
