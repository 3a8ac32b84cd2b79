#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "QtTestApplication.h"
#include "platform/linux/PixelFormat.h"
#include "platform/linux/TextOverlay.h"

namespace {

using platform::linux_::PixelFormat;
using platform::linux_::TextOverlay;
using platform::soft::Surface;

constexpr char kText[] = "Zoom: [+] & [-]";

class TextOverlayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app_ = backendtest::startQtApplication(); }
    static void TearDownTestSuite() { app_.reset(); }

    struct Canvas {
        int width, height;
        std::vector<std::uint32_t> pixels;
        Canvas(int w, int h, std::uint32_t (*fill)(int, int)) : width(w), height(h), pixels(std::size_t(w) * h) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) pixels[std::size_t(y) * w + x] = fill(x, y);
        }
        Surface surface() { return Surface{pixels.data(), width, height, width}; }
        std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    };

    // Draws the text, waiting for its first making off the user-interface thread.
    static void draw(TextOverlay& overlay, Canvas& canvas, int x, int y) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!overlay.draw(canvas.surface(), x, y, kText)) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the text was never made";
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    static inline std::unique_ptr<QApplication> app_;
};

std::uint32_t black(int, int) { return 0; }
std::uint32_t white(int, int) { return 0xFFFFFF; }
// The letters' pixel over `d`, from the same pixel drawn over black and over white.
std::uint32_t over(std::uint32_t onBlack, std::uint32_t onWhite, std::uint32_t d) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t s = onBlack >> shift & 0xFF, alpha = 255 + s - (onWhite >> shift & 0xFF);
        result |= (s + ((d >> shift & 0xFF) * (255 - alpha) + 127) / 255) << shift;
    }
    return result;
}

// Every channel value against many alpha values, with no channel tied to another.
std::uint32_t busy(int x, int y) {
    return ((x * 37 + y * 11) & 0xFF) << 16 | ((x * 5 + y * 83) & 0xFF) << 8 | ((x * 101 + y * 29) & 0xFF);
}

TEST_F(TextOverlayTest, BlendsOverAnyPictureClipsAtEveryEdgeAndWritesTheSurfacesOwnFormat) {
    const PixelFormat rgb = PixelFormat::masked(24, 0xFF0000, 0xFF00, 0xFF);
    TextOverlay overlay(rgb);
    constexpr int kWidth = 200, kHeight = 40, kX = 20, kY = 10;
    Canvas overBlack(kWidth, kHeight, black), overWhite(kWidth, kHeight, white), overBusy(kWidth, kHeight, busy);
    draw(overlay, overBlack, kX, kY);
    draw(overlay, overWhite, kX, kY);
    draw(overlay, overBusy, kX, kY);

    // Over black a pixel shows the letters' premultiplied colour s, over white s + 255 - alpha:
    // from the two, each pixel over the busy picture must be s + (d (255 - alpha) + 127) / 255.
    int letters = 0, soft = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t onBlack = overBlack.at(x, y), onWhite = overWhite.at(x, y);
            ASSERT_EQ(overBusy.at(x, y), over(onBlack, onWhite, busy(x, y))) << "at " << x << "," << y;
            const std::uint32_t alpha = 255 + (onBlack & 0xFF) - (onWhite & 0xFF);
            letters += alpha > 0;
            soft += alpha > 0 && alpha < 255;
        }
    }
    EXPECT_GT(letters, 100) << "no text was drawn";
    EXPECT_GT(soft, 10) << "the letters have no soft edges to blend";

    // Drawn across each edge, the part that lies on the surface is the same as the unclipped
    // text's, and nothing is written beyond the surface's rows (the canvas is one surface inside
    // a taller buffer).
    for (const auto& [dx, dy] : {std::pair{-15, -5}, std::pair{kWidth - 60, kHeight - 12}}) {
        Canvas clipped(kWidth, kHeight + 2, busy);
        Surface inner{clipped.pixels.data() + kWidth, kWidth, kHeight, kWidth};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!overlay.draw(inner, dx, dy, kText)) ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        for (int x = 0; x < kWidth; ++x) {
            EXPECT_EQ(clipped.at(x, 0), busy(x, 0)) << "the row above the surface was written";
            EXPECT_EQ(clipped.at(x, kHeight + 1), busy(x, kHeight + 1)) << "the row below was written";
        }
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const int ux = x - dx + kX, uy = y - dy + kY;  // the same text pixel, unclipped
                const bool inText = ux >= 0 && uy >= 0 && ux < kWidth && uy < kHeight;
                const std::uint32_t d = busy(x, y + 1);
                std::uint32_t expected = d;
                if (inText) expected = over(overBlack.at(ux, uy), overWhite.at(ux, uy), d);
                ASSERT_EQ(clipped.at(x, y + 1), expected) << "at " << x << "," << y << " drawn at " << dx << "," << dy;
            }
        }
    }

    // On a 5-6-5 surface the letters are written in its own pixel values.
    const PixelFormat rgb565 = PixelFormat::masked(16, 0xF800, 0x07E0, 0x001F);
    TextOverlay overlay565(rgb565);
    Canvas over565(kWidth, kHeight, black);
    draw(overlay565, over565, kX, kY);
    for (const std::uint32_t pixel : over565.pixels) ASSERT_EQ(pixel & ~0xFFFFu, 0u) << "a pixel beyond 16 bits";
    EXPECT_NE(std::find(over565.pixels.begin(), over565.pixels.end(), 0xFFFFu), over565.pixels.end())
        << "no letter pixel is white in 5-6-5";
}

}  // namespace

namespace {

// At any DPI the overlay font has the pixel size the font has at 96: its metrics equal those of
// the font itself at 96 DPI.
TEST(OverlayFont, KeepsThePixelSizeOfNinetySixDpi) {
    using platform::linux_::overlayFont;
    const auto app = backendtest::startQtApplication();
    for (const double points : {9.0, 10.0, 11.0}) {
        QFont font(QStringLiteral("Sans Serif"));
        font.setPointSizeF(points);
        EXPECT_EQ(overlayFont(font, 96.0), font) << points << " pt at 96 DPI is left as it is";
        for (const double dpi : {120.0, 144.0, 192.0}) {
            const QFont scaled = overlayFont(font, dpi);
            // The pixel size the toolkit will make of it at that DPI.
            const double pixels = scaled.pixelSize() > 0 ? scaled.pixelSize() : scaled.pointSizeF() * dpi / 72.0;
            EXPECT_NEAR(pixels, points * 96.0 / 72.0, 1e-9) << points << " pt at " << dpi << " DPI";
        }
    }
    QFont pixelFont(QStringLiteral("Sans Serif"));
    pixelFont.setPixelSize(13);
    EXPECT_EQ(overlayFont(pixelFont, 192.0), pixelFont) << "a font sized in pixels does not grow";
}

}  // namespace
