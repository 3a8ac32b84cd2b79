#include "harness/Screen.h"

#include <X11/Xutil.h>

#include <bit>
#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace e2e {

namespace {

struct XImageDeleter {
    void operator()(XImage* image) const {
        if (image) XDestroyImage(image);
    }
};
using XImagePtr = std::unique_ptr<XImage, XImageDeleter>;

struct PixmapOwner {
    Display* display;
    Pixmap pixmap;
    ~PixmapOwner() { XFreePixmap(display, pixmap); }
};

struct GcOwner {
    Display* display;
    GC gc;
    ~GcOwner() { XFreeGC(display, gc); }
};

void require_rgb_visual(Display* display) {
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    if (visual->red_mask != 0xff0000 || visual->green_mask != 0x00ff00 || visual->blue_mask != 0x0000ff ||
        DefaultDepth(display, DefaultScreen(display)) != 24) {
        throw std::runtime_error("the screen is not 24-bit TrueColor 0xRRGGBB; start the server with depth 24");
    }
}

}  // namespace

bool Rect::intersects(const Rect& other) const {
    return x < other.x + other.width && other.x < x + width && y < other.y + other.height &&
           other.y < y + height;
}

std::string to_string(const Point& point) {
    return "(" + std::to_string(point.x) + "," + std::to_string(point.y) + ")";
}

std::string to_string(const Rect& rect) {
    return std::to_string(rect.width) + "x" + std::to_string(rect.height) + "+" + std::to_string(rect.x) + "+" +
           std::to_string(rect.y);
}

std::string hex_colour(std::uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(rgb & 0xffffff));
    return text;
}

namespace {

// The pattern is a bijection of the 22-bit index y*2048 + x, built from steps that each undo:
// xor with a right shift, and multiplication by an odd number modulo 2^22. Neighbouring pixels
// so differ in all channels, unlike a ramp, which a smoothing filter would reproduce exactly.
constexpr std::uint32_t kIndexBits = 22;
constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;
constexpr std::uint32_t kMultiplierA = 0x2c1b3du;  // odd
constexpr std::uint32_t kMultiplierB = 0x35a7c5u;  // odd
// Puts every colour at 0x80xxxx or above: never black.
constexpr std::uint32_t kMarker = 0x800000u;

constexpr std::uint32_t inverse_odd(std::uint32_t a) {
    std::uint32_t inverse = a;  // Newton's iteration doubles the correct low bits each step
    for (int i = 0; i < 5; ++i) inverse *= 2u - a * inverse;
    return inverse & kIndexMask;
}

constexpr std::uint32_t unshift_xor(std::uint32_t value, int shift) {
    std::uint32_t result = value;
    for (int done = shift; done < static_cast<int>(kIndexBits); done += shift) result = value ^ (result >> shift);
    return result;
}

constexpr std::uint32_t scramble(std::uint32_t i) {
    i ^= i >> 11;
    i = (i * kMultiplierA) & kIndexMask;
    i ^= i >> 7;
    i = (i * kMultiplierB) & kIndexMask;
    i ^= i >> 13;
    return i;
}

constexpr std::uint32_t unscramble(std::uint32_t i) {
    i = unshift_xor(i, 13);
    i = (i * inverse_odd(kMultiplierB)) & kIndexMask;
    i = unshift_xor(i, 7);
    i = (i * inverse_odd(kMultiplierA)) & kIndexMask;
    i = unshift_xor(i, 11);
    return i;
}

static_assert(unscramble(scramble(0)) == 0);
static_assert(unscramble(scramble(12345)) == 12345);
static_assert(unscramble(scramble(kIndexMask)) == kIndexMask);

}  // namespace

std::uint32_t UniquePattern::colour(int x, int y) {
    const std::uint32_t index = (static_cast<std::uint32_t>(y) << 11) | static_cast<std::uint32_t>(x);
    return kMarker | scramble(index & kIndexMask);
}

std::optional<Point> UniquePattern::position(std::uint32_t rgb) {
    if ((rgb & ~kIndexMask) != kMarker) return std::nullopt;
    const std::uint32_t index = unscramble(rgb & kIndexMask);
    return Point{static_cast<int>(index & 0x7ffu), static_cast<int>(index >> 11)};
}

Image UniquePattern::image(int width, int height) {
    if (width > 2048 || height > 2048) throw std::invalid_argument("the unique pattern covers at most 2048x2048");
    Image image{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.at(x, y) = colour(x, y);
    }
    return image;
}

Image UniquePattern::tiled_image(int width, int height) {
    if (height > 2048) throw std::invalid_argument("the unique pattern covers at most 2048 rows");
    Image image{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.at(x, y) = tiled_colour(x, y);
    }
    return image;
}

void paint_root_background(Display* display, const Image& image) {
    require_rgb_visual(display);
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    // The XImage borrows the pixels; it is detached before XDestroyImage so the vector keeps
    // ownership.
    std::vector<std::uint32_t> pixels = image.pixels;
    XImagePtr ximage(XCreateImage(display, DefaultVisual(display, screen), 24, ZPixmap, 0,
                                  reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(image.width),
                                  static_cast<unsigned>(image.height), 32, image.width * 4));
    if (!ximage) throw std::runtime_error("XCreateImage failed");
    // The vector holds 32-bit words in host order; Xlib converts if the server differs.
    ximage->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    struct Detach {
        XImage* image;
        ~Detach() { image->data = nullptr; }
    } detach{ximage.get()};

    PixmapOwner pixmap{display, XCreatePixmap(display, root, static_cast<unsigned>(image.width),
                                              static_cast<unsigned>(image.height), 24)};
    GcOwner gc{display, XCreateGC(display, pixmap.pixmap, 0, nullptr)};
    XPutImage(display, pixmap.pixmap, gc.gc, ximage.get(), 0, 0, 0, 0, static_cast<unsigned>(image.width),
              static_cast<unsigned>(image.height));
    // The root keeps its own reference to the pixmap, so ours can go.
    XSetWindowBackgroundPixmap(display, root, pixmap.pixmap);
    XClearWindow(display, root);
    XSync(display, False);
}

Image grab_screen(Display* display, const Rect& rect) {
    require_rgb_visual(display);
    const int screen = DefaultScreen(display);
    const int screen_width = DisplayWidth(display, screen);
    const int screen_height = DisplayHeight(display, screen);
    if (rect.width <= 0 || rect.height <= 0 || rect.x < 0 || rect.y < 0 || rect.x + rect.width > screen_width ||
        rect.y + rect.height > screen_height) {
        throw std::invalid_argument("grab_screen: " + to_string(rect) + " is not inside the " +
                                    std::to_string(screen_width) + "x" + std::to_string(screen_height) + " screen");
    }
    return grab_window(display, RootWindow(display, screen), rect);
}

Image grab_window(Display* display, Window window, const Rect& rect) {
    require_rgb_visual(display);
    XImagePtr ximage(XGetImage(display, window, rect.x, rect.y, static_cast<unsigned>(rect.width),
                               static_cast<unsigned>(rect.height), AllPlanes, ZPixmap));
    if (!ximage) throw std::runtime_error("XGetImage of " + to_string(rect) + " failed");
    Image image{rect.width, rect.height, std::vector<std::uint32_t>(static_cast<std::size_t>(rect.width) * rect.height)};
    for (int y = 0; y < rect.height; ++y) {
        for (int x = 0; x < rect.width; ++x) {
            image.at(x, y) = static_cast<std::uint32_t>(XGetPixel(ximage.get(), x, y)) & 0xffffffu;
        }
    }
    return image;
}

long long divide_round_half_even(long long x, long long d) {
    long long q = x / d;
    long long r = x % d;
    if (r < 0) {  // floor division
        q -= 1;
        r += d;
    }
    if (2 * r > d || (2 * r == d && (q % 2 != 0))) q += 1;
    return q;
}

Point Magnification::origin() const {
    // cursor - client/(2*zoom) == (2*zoom*cursor - client) / (2*zoom), exactly.
    const long long d = 2LL * zoom;
    return Point{static_cast<int>(divide_round_half_even(d * cursor.x - client_width, d)),
                 static_cast<int>(divide_round_half_even(d * cursor.y - client_height, d))};
}

Point Magnification::source(int client_x, int client_y) const {
    const Point o = origin();
    return Point{o.x + client_x / zoom, o.y + client_y / zoom};
}

ScreenModel pattern_screen(int screen_width, int screen_height) {
    return [screen_width, screen_height](int x, int y) -> std::uint32_t {
        if (x < 0 || y < 0 || x >= screen_width || y >= screen_height) return 0;
        return UniquePattern::colour(x, y);
    };
}

std::string compare_magnified(const Image& client, const Magnification& view, const ScreenModel& screen,
                              int ignore_bottom_rows) {
    const int rows = client.height - ignore_bottom_rows;
    return compare_magnified_where(client, view, screen, [rows](int, int cy) { return cy < rows; }, 0);
}

std::string compare_magnified_where(const Image& client, const Magnification& view, const ScreenModel& screen,
                                    const std::function<bool(int client_x, int client_y)>& compared,
                                    long long minimum) {
    if (client.width != view.client_width || client.height != view.client_height) {
        return "the grab is " + std::to_string(client.width) + "x" + std::to_string(client.height) +
               " but the client is " + std::to_string(view.client_width) + "x" + std::to_string(view.client_height);
    }
    std::string first;
    long long mismatches = 0;
    long long count = 0;
    for (int cy = 0; cy < client.height; ++cy) {
        for (int cx = 0; cx < client.width; ++cx) {
            if (!compared(cx, cy)) continue;
            ++count;
            const Point src = view.source(cx, cy);
            const std::uint32_t expected = screen(src.x, src.y);
            const std::uint32_t actual = client.at(cx, cy);
            if (actual == expected) continue;
            if (mismatches++ == 0) {
                std::ostringstream text;
                text << "client pixel (" << cx << "," << cy << ") is " << hex_colour(actual);
                if (actual == 0) {
                    text << " (black)";
                } else if (auto shown = UniquePattern::position(actual)) {
                    text << " = pattern at screen " << to_string(*shown);
                } else {
                    text << " (not a pattern colour)";
                }
                text << ", expected " << hex_colour(expected) << " = screen " << to_string(src)
                     << (expected == 0 ? " (off the screen: black)" : "") << "; cursor " << to_string(view.cursor)
                     << ", zoom " << view.zoom << ", client " << view.client_width << "x" << view.client_height
                     << ", so the top-left block is screen " << to_string(view.origin());
                first = text.str();
            }
        }
    }
    if (count < minimum) {
        return "only " + std::to_string(count) + " client pixels were to be compared, fewer than the " +
               std::to_string(minimum) + " the check needs";
    }
    if (mismatches == 0) return {};
    return first + "; " + std::to_string(mismatches) + " of " + std::to_string(count) + " compared pixels differ";
}

}  // namespace e2e
