// The magnifier on screens of every colour depth and visual class Xvfb offers: the screen is
// painted with raw pixel values of its own visual, and every client pixel must show the colour,
// as the X server reports it, of the screen pixel it magnifies.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>

#include "harness/Magnifier.h"
#include "harness/Screen.h"
#include "harness/VirtualDisplay.h"
#include "harness/Wait.h"

#include <X11/Xutil.h>

namespace e2e {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr Point kClientPlace{400, 240};
constexpr Point kCursor{150, 150};
constexpr int kHintRows = 20;

struct ScreenVisual {
    int depth;
    int visual_class;  // -1: the server's default for the depth
    const char* name;
    bool window_manager = true;  // openbox refuses DirectColor screens
    // Drawn in the program's memory: forced, or because Render cannot draw the screen's pixels.
    bool in_memory = false;
    bool forced = false;
};

struct XImageOwner {
    XImage* image;
    ~XImageOwner() {
        if (image) XDestroyImage(image);
    }
};

std::uint32_t scramble(int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x9E3779B1u ^ static_cast<std::uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    return h ^ (h >> 13);
}

class ScreenOfDepth {
public:
    explicit ScreenOfDepth(Display* display) : display_(display), screen_(DefaultScreen(display)) {
        Visual* visual = DefaultVisual(display_, screen_);
        if (visual->c_class == TrueColor) {
            for (std::uint32_t i = 0; i < 4096; ++i) pixels_.push_back(i * 0x9E3779B1u);
            bits_ = static_cast<std::uint32_t>(visual->red_mask | visual->green_mask | visual->blue_mask);
        } else {
            // Colours of its own in the shared colormap, as an application allocates them (the
            // DirectColor one starts empty).
            // Few levels a channel, as DirectColor allocates each channel's cells separately.
            for (int i = 0; i < 200; ++i) {
                XColor colour{};
                colour.red = static_cast<unsigned short>((i % 8) * 9000);
                colour.green = static_cast<unsigned short>((i / 8 % 8) * 9000);
                colour.blue = static_cast<unsigned short>((i / 64) * 20000);
                if (XAllocColor(display_, DefaultColormap(display_, screen_), &colour)) pixels_.push_back(colour.pixel);
            }
            bits_ = 0xFFFFFFFFu;
        }
    }

    std::uint32_t pixel(int x, int y) const { return pixels_[scramble(x, y) % pixels_.size()] & bits_; }

    void paint() const {
        const int depth = DefaultDepth(display_, screen_);
        XImageOwner image{XCreateImage(display_, DefaultVisual(display_, screen_), static_cast<unsigned>(depth),
                                       ZPixmap, 0, nullptr, kWidth, kHeight, 32, 0)};
        std::vector<char> data(static_cast<std::size_t>(image.image->bytes_per_line) * kHeight);
        image.image->data = data.data();
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) XPutPixel(image.image, x, y, pixel(x, y));
        }
        const Window root = RootWindow(display_, screen_);
        const Pixmap pixmap = XCreatePixmap(display_, root, kWidth, kHeight, static_cast<unsigned>(depth));
        const GC gc = XCreateGC(display_, pixmap, 0, nullptr);
        XPutImage(display_, pixmap, gc, image.image, 0, 0, 0, 0, kWidth, kHeight);
        image.image->data = nullptr;
        XSetWindowBackgroundPixmap(display_, root, pixmap);
        XClearWindow(display_, root);
        XFreeGC(display_, gc);
        XFreePixmap(display_, pixmap);
        XSync(display_, False);
    }

    // The colours of raw pixels as the server reports them through a colormap, 16 bits a channel.
    std::vector<std::uint64_t> colours(const std::vector<unsigned long>& pixels, Colormap colormap) const {
        std::vector<XColor> query(pixels.size());
        for (std::size_t i = 0; i < pixels.size(); ++i) query[i].pixel = pixels[i];
        XQueryColors(display_, colormap, query.data(), static_cast<int>(query.size()));
        std::vector<std::uint64_t> out;
        for (const XColor& c : query) {
            out.push_back((std::uint64_t{c.red} << 32) | (std::uint64_t{c.green} << 16) | c.blue);
        }
        return out;
    }

    // Empty when the client shows the screen around the cursor magnified `zoom` times, exactly.
    std::string compare(Window window, const Rect& client, int zoom) const {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_, window, &attributes);
        XImageOwner grab{XGetImage(display_, RootWindow(display_, screen_), client.x, client.y,
                                   static_cast<unsigned>(client.width), static_cast<unsigned>(client.height), AllPlanes,
                                   ZPixmap)};
        if (!grab.image) return "cannot read the client area";
        const Magnification view{kCursor, client.width, client.height, zoom};
        std::vector<unsigned long> shown, expected;
        for (int cy = 0; cy < client.height - kHintRows; ++cy) {
            for (int cx = 0; cx < client.width; ++cx) {
                const Point source = view.source(cx, cy);
                shown.push_back(XGetPixel(grab.image, cx, cy));
                expected.push_back(pixel(source.x, source.y));
            }
        }
        const auto shown_colours = colours(shown, attributes.colormap);
        const auto expected_colours = colours(expected, DefaultColormap(display_, screen_));
        if (std::set<std::uint64_t>(expected_colours.begin(), expected_colours.end()).size() < 50) {
            return "test set-up: the pattern shows fewer than 50 colours";
        }
        for (std::size_t i = 0; i < shown.size(); ++i) {
            if (shown_colours[i] == expected_colours[i]) continue;
            std::ostringstream text;
            text << "client pixel " << i % client.width << "," << i / client.width << " is pixel 0x" << std::hex
                 << shown[i] << " colour 0x" << shown_colours[i] << ", expected pixel 0x" << expected[i] << " colour 0x"
                 << expected_colours[i];
            return text.str();
        }
        return {};
    }

private:
    Display* display_;
    int screen_;
    std::vector<std::uint32_t> pixels_;
    std::uint32_t bits_ = 0;
};

class ColourDepth : public ::testing::TestWithParam<ScreenVisual> {};

TEST_P(ColourDepth, MagnifiesEveryPixelInItsOwnColour) {
    VirtualDisplay display(VirtualDisplay::Options{kWidth, kHeight, GetParam().depth, GetParam().window_manager,
                                                   std::chrono::milliseconds(15000), GetParam().visual_class});
    ScreenOfDepth screen(display.x());
    screen.paint();
    EnvOverrides env{{"QT_QPA_PLATFORM", std::nullopt}, {"MAGNIFIER_STATS", "1"}};
    if (GetParam().forced) env["MAGNIFIER_NO_XRENDER"] = "1";
    MagnifierRun run(display, MAGNIFIER_EXE, env);
    const WindowId window = run.wait_for_window();
    const Desktop& desktop = run.desktop();
    desktop.move(window, kClientPlace.x, kClientPlace.y);
    ASSERT_TRUE(
        wait_until([&] { return desktop.client_geometry(window).x == kClientPlace.x; }, std::chrono::seconds(5)));
    desktop.move_mouse(kCursor);
    std::string mismatch;
    const bool same = wait_until(
        [&] { return (mismatch = screen.compare(window, desktop.client_geometry(window), 2)).empty(); },
        std::chrono::seconds(5));
    EXPECT_TRUE(same) << mismatch << "; " << run.describe();
    // The statistics' line on the way the view is drawn, and no other line of the program's.
    const std::string stderr_text = run.process().stderr_text();
    const std::string path_line = GetParam().in_memory ? "magnifier: view drawn in memory: "
                                                        : "magnifier: view drawn in the X server\n";
    const std::size_t at = stderr_text.find(path_line);
    EXPECT_NE(at, std::string::npos) << run.describe();
    EXPECT_EQ(stderr_text.find("magnifier:", at + 1), std::string::npos) << run.describe();
    EXPECT_EQ(stderr_text.find("magnifier:"), at) << run.describe();
}

INSTANTIATE_TEST_SUITE_P(XvfbVisuals, ColourDepth,
                         ::testing::Values(ScreenVisual{8, -1, "PseudoColor8", true, true},
                                           ScreenVisual{15, -1, "TrueColor15"},
                                           ScreenVisual{16, -1, "TrueColor16"},
                                           ScreenVisual{16, 5, "DirectColor16", false},
                                           ScreenVisual{24, -1, "TrueColor24"},
                                           ScreenVisual{24, 5, "DirectColor24", false},
                                           ScreenVisual{30, -1, "TrueColor30"},
                                           ScreenVisual{16, -1, "TrueColor16InMemory", true, true, true},
                                           ScreenVisual{24, 5, "DirectColor24InMemory", false, true, true},
                                           ScreenVisual{30, -1, "TrueColor30InMemory", true, true, true}),
                         [](const ::testing::TestParamInfo<ScreenVisual>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace e2e
