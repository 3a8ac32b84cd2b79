#pragma once
// An in-memory screen: pixels, and a switch for a 256-colour palette display.
#include <cstdint>
#include <vector>

#include "platform/soft/ChangedAreas.h"
#include "platform/soft/ScreenSource.h"

namespace platform::fake {

class FakeScreen : public soft::ScreenSource {
public:
    FakeScreen(int width, int height);

    int width() const override { return width_; }
    int height() const override { return height_; }
    void read(int x, int y, const soft::Surface& to) override;
    int rasterCaps() const override { return palette_ ? RC_PALETTE : 0; }
    int paletteSize() const override { return palette_ ? paletteSize_ : 0; }
    unsigned systemPalette(unsigned start, unsigned count, PaletteEntry* entries) const override;
    soft::ScreenChange changedSinceLastCheck(const Rect& area) override;

    void setPixel(int x, int y, std::uint32_t rgb) {
        pixels_[index(x, y)] = rgb;
        changed(Rect{x, y, x + 1, y + 1});
    }
    // With tracking the screen reports the pixels set since the last check, as a display's damage
    // events would; without it, like a display that cannot tell, it leaves the reader to compare.
    void setChangeTracking(bool on) { tracking_ = on; }
    std::uint32_t pixel(int x, int y) const { return pixels_[index(x, y)]; }
    // Every pixel a different colour, so an off-by-one shows.
    void fillPattern();
    // A palette display with `size` system palette entries.
    void setPaletteDisplay(bool on, int size = 256);
    // Screen reads so far, a way to see how much a capture fetched.
    std::size_t pixelsRead() const { return pixelsRead_; }

private:
    void changed(const Rect& area);
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
    bool palette_ = false;
    int paletteSize_ = 0;
    std::size_t pixelsRead_ = 0;
    bool tracking_ = false;
    soft::ChangedAreas changes_{256};
};

// The pattern's colour at a screen point.
std::uint32_t patternColour(int x, int y);

}  // namespace platform::fake
