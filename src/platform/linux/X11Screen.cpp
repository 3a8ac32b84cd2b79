#include "platform/linux/X11Screen.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::linux_ {

X11Screen::X11Screen(X11Display& display, X11Changes* changes)
    : display_(display),
      changes_(changes),
      visual_(DefaultVisual(display.get(), display.screen())),
      depth_(DefaultDepth(display.get(), display.screen())),
      supported_(depth_ >= 8),
      format_(PixelFormat::of(display.get(), visual_, depth_, DefaultColormap(display.get(), display.screen()))),
      image_(display, visual_, depth_),
      width_(DisplayWidth(display.get(), display.screen())),
      height_(DisplayHeight(display.get(), display.screen())) {
    XSelectInput(display.get(), display.root(), StructureNotifyMask);
    resizes_ = display.subscribe(ConfigureNotify, [this](XEvent& event) {
        if (event.xconfigure.window != display_.root()) return;
        width_ = event.xconfigure.width;
        height_ = event.xconfigure.height;
    });
}

void X11Screen::refresh() { display_.dispatchPending(); }

void X11Screen::read(int x, int y, const soft::Surface& to) {
    // A screen of fewer than 8 bits a pixel, or a rectangle off a screen that has just shrunk:
    // the picture is black rather than stale.
    if (!supported_ || !image_.resize(to.width, to.height) || !image_.read(display_.root(), x, y)) {
        for (int row = 0; row < to.height; ++row) std::fill(to.row(row), to.row(row) + to.width, 0u);
        return;
    }
    const soft::Surface from = image_.surface();
    const std::size_t rowBytes = static_cast<std::size_t>(to.width) * sizeof(std::uint32_t);
    for (int row = 0; row < to.height; ++row) {
        std::uint32_t* out = to.row(row);
        std::memcpy(out, from.row(row), rowBytes);
        // Depth-32 screens carry alpha in the top byte; the view's pixels do not.
        if (depth_ == 32) {
            const std::uint32_t bits = format_.colourBits();
            std::for_each(out, out + to.width, [bits](std::uint32_t& p) { p &= bits; });
        }
    }
}

std::optional<soft::ConstSurface> X11Screen::view(int x, int y, int width, int height) {
    // Depth-32 pixels need their alpha byte cleared, which read() does on its copy.
    if (!supported_ || depth_ == 32 || !image_.resize(width, height) || !image_.read(display_.root(), x, y)) {
        return std::nullopt;
    }
    const soft::Surface pixels = image_.surface();
    return soft::ConstSurface{pixels.pixels, pixels.width, pixels.height, pixels.stride, 0, 0};
}

soft::ScreenChange X11Screen::changedSinceLastCheck(const Rect& area) {
    if (changes_ == nullptr || !changes_->damageAvailable()) return soft::ScreenChange::unknown;
    return changes_->takeDamage(area) ? soft::ScreenChange::some : soft::ScreenChange::none;
}

int X11Screen::rasterCaps() const {
    const int visualClass = visual_->c_class;
    return (visualClass == PseudoColor || visualClass == 1 /* GrayScale */) ? RC_PALETTE : 0;
}

int X11Screen::paletteSize() const { return rasterCaps() != 0 ? visual_->map_entries : 0; }

unsigned X11Screen::systemPalette(unsigned start, unsigned count, PaletteEntry* entries) const {
    const auto size = static_cast<unsigned>(paletteSize());
    if (start >= size) return 0;
    count = std::min(count, size - start);
    std::vector<XColor> colours(count);
    for (unsigned i = 0; i < count; ++i) colours[i].pixel = start + i;
    XQueryColors(display_.get(), DefaultColormap(display_.get(), display_.screen()), colours.data(),
                 static_cast<int>(count));
    for (unsigned i = 0; i < count; ++i) {
        entries[i] = PaletteEntry{static_cast<std::uint8_t>(colours[i].red >> 8),
                                  static_cast<std::uint8_t>(colours[i].green >> 8),
                                  static_cast<std::uint8_t>(colours[i].blue >> 8), 0};
    }
    return count;
}

}  // namespace platform::linux_
