#pragma once
// How a visual's pixel values stand for colours: channel masks for TrueColor and DirectColor
// (any widths: 5-6-5, 10-10-10, ...), a palette for PseudoColor and the other colormap classes.
// The view works in the screen's own pixel values, so a picture goes from the screen to the
// window unchanged, exactly, whatever the depth; colours are worked out only where something is
// drawn over it or the window's visual differs from the screen's.
#include <cstdint>
#include <map>
#include <vector>

#include "platform/linux/X11Includes.h"

namespace platform::linux_ {

class PixelFormat {
public:
    // A format with channel masks (TrueColor, DirectColor).
    static PixelFormat masked(int depth, std::uint32_t red, std::uint32_t green, std::uint32_t blue);
    // A format whose pixels index a palette of 0xRRGGBB colours.
    static PixelFormat indexed(int depth, std::vector<std::uint32_t> palette);
    // The format of a visual, with the colours of `colormap` for the palette classes.
    static PixelFormat of(::Display* display, const Visual* visual, int depth, Colormap colormap);

    // 0x00RRGGBB itself: pixels need no conversion to colours.
    bool isRgb() const { return !indexed_ && red_.mask == 0xFF0000 && green_.mask == 0xFF00 && blue_.mask == 0xFF; }
    // The bits of a pixel that carry its colour (no alpha, no padding).
    std::uint32_t colourBits() const { return colourBits_; }
    std::uint32_t toRgb(std::uint32_t pixel) const;
    // The pixel that shows the colour: exact where the format has it, else the nearest.
    std::uint32_t fromRgb(std::uint32_t rgb) const;
    friend bool operator==(const PixelFormat& a, const PixelFormat& b) {
        return a.indexed_ == b.indexed_ && a.colourBits_ == b.colourBits_ && a.red_.mask == b.red_.mask &&
               a.green_.mask == b.green_.mask && a.blue_.mask == b.blue_.mask && a.palette_ == b.palette_;
    }

private:
    struct Channel {
        std::uint32_t mask = 0;
        int shift = 0;
        std::uint32_t max = 0;  // the largest value, all bits set
        std::uint32_t to8(std::uint32_t pixel) const;
        std::uint32_t from8(std::uint32_t value) const;
    };
    static Channel channel(std::uint32_t mask);

    bool indexed_ = false;
    std::uint32_t colourBits_ = 0;
    Channel red_, green_, blue_;
    std::vector<std::uint32_t> palette_;
    mutable std::map<std::uint32_t, std::uint32_t> nearest_;  // colours looked up in the palette
};

}  // namespace platform::linux_
