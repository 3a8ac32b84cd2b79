#include "platform/fake/FakeScreen.h"

#include <algorithm>

namespace platform::fake {

std::uint32_t patternColour(int x, int y) {
    return (static_cast<std::uint32_t>(x & 0xFF) << 16) | (static_cast<std::uint32_t>(y & 0xFF) << 8) |
           static_cast<std::uint32_t>(((x >> 8) & 0x0F) | (((y >> 8) & 0x0F) << 4));
}

FakeScreen::FakeScreen(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, 0) {}

void FakeScreen::read(int x, int y, const soft::Surface& to) {
    for (int row = 0; row < to.height; ++row) {
        const std::uint32_t* from = &pixels_[index(x, y + row)];
        std::copy(from, from + to.width, to.row(row));
    }
    pixelsRead_ += static_cast<std::size_t>(to.width) * to.height;
}

soft::ScreenChange FakeScreen::changedSinceLastCheck(const Rect& area) {
    const bool hit = changes_.takeMeeting(area);
    if (!tracking_) return soft::ScreenChange::unknown;
    return hit ? soft::ScreenChange::some : soft::ScreenChange::none;
}

unsigned FakeScreen::systemPalette(unsigned start, unsigned count, PaletteEntry* entries) const {
    unsigned n = 0;
    for (unsigned i = start; i < start + count && i < static_cast<unsigned>(paletteSize_); ++i, ++n) {
        entries[n] = PaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                  static_cast<std::uint8_t>(i * 7), 0};
    }
    return n;
}

void FakeScreen::fillPattern() {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) pixels_[index(x, y)] = patternColour(x, y);
    changed(Rect{0, 0, width_, height_});
}

void FakeScreen::changed(const Rect& area) { changes_.add(area); }

void FakeScreen::setPaletteDisplay(bool on, int size) {
    palette_ = on;
    paletteSize_ = size;
}

}  // namespace platform::fake
