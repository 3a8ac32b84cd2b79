#pragma once
// Screen contents: a test pattern whose every pixel is unique, painted as the root window's
// background; rectangles of the screen read back as 0xRRGGBB; and the comparison of what the
// magnifier shows with what it should show.
#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
    bool intersects(const Rect& other) const;
    Rect grown(int margin) const { return {x - margin, y - margin, width + 2 * margin, height + 2 * margin}; }
};

std::string to_string(const Point& point);
std::string to_string(const Rect& rect);
std::string hex_colour(std::uint32_t rgb);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A pattern in which no two pixels of a screen up to 2048x2048 share a colour and none is
// black, so a pixel read back names the screen position it came from: an off-by-one shows up
// as a wrong position, and a black pixel can only be "outside the screen". Neighbours differ
// in every channel, so blending neighbours (smoothing) gives colours that are not in it.
struct UniquePattern {
    static std::uint32_t colour(int x, int y);
    static std::optional<Point> position(std::uint32_t rgb);
    static Image image(int width, int height);
    // For screens wider than the pattern: columns from 2048 on repeat it from column 0.
    static std::uint32_t tiled_colour(int x, int y) { return colour(x % 2048, y); }
    static Image tiled_image(int width, int height);
};

// Makes the image the root window's background and clears the root, so every part of the
// screen not covered by a window shows it.
void paint_root_background(Display* display, const Image& image);

// Reads a rectangle of the screen (root coordinates, inside the screen) as it is shown now.
// Throws std::runtime_error if the server refuses.
Image grab_screen(Display* display, const Rect& rect);

// The screen pixel a magnifier shows at a client pixel.
struct Magnification {
    Point cursor;
    int client_width = 0;
    int client_height = 0;
    int zoom = 1;

    // The screen position of the client's top-left block: cursor - client/(2*zoom), each rounded
    // half to even.
    Point origin() const;
    Point source(int client_x, int client_y) const;
};

// x/d rounded to the nearest integer, ties to the even one; d > 0.
// Reads a rectangle of a window's own contents (window coordinates), as an X server without a
// root picture (Xwayland) still keeps them. Throws std::runtime_error if the server refuses.
Image grab_window(Display* display, Window window, const Rect& rect);

long long divide_round_half_even(long long x, long long d);

// The screen as the magnifier should see it: a colour for positions on the screen, black off it.
using ScreenModel = std::function<std::uint32_t(int x, int y)>;
ScreenModel pattern_screen(int screen_width, int screen_height);

// Compares a grab of the magnifier's client area with the expected magnification. Rows from
// client_height - ignore_bottom_rows on are skipped (the key hint is painted there). Returns an
// empty string when every compared pixel matches, else a description of the first mismatch
// (row by row) and the number of mismatching pixels.
std::string compare_magnified(const Image& client, const Magnification& view, const ScreenModel& screen,
                              int ignore_bottom_rows);

// As compare_magnified, but only at the client pixels for which `compared(client_x, client_y)`
// holds, for views partly hidden (by a popup, say). A region with fewer than `minimum` pixels
// is reported as a mismatch, so a check whose region came out empty cannot pass.
std::string compare_magnified_where(const Image& client, const Magnification& view, const ScreenModel& screen,
                                    const std::function<bool(int client_x, int client_y)>& compared,
                                    long long minimum);

}  // namespace e2e
