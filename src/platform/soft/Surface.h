#pragma once
// A view of 32-bit 0x00RRGGBB pixels in rows.
#include <cstdint>

namespace platform::soft {

struct Surface {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // pixels from one row to the next
    std::uint32_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};

// Read-only pixels of the rectangle (originX, originY, width, height) of an image: `pixels`
// points at the rectangle's top-left pixel.
struct ConstSurface {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int originX = 0;
    int originY = 0;
    bool contains(int x, int y) const {
        return x >= originX && x < originX + width && y >= originY && y < originY + height;
    }
    // The pixels of row y, indexed from the rectangle's left edge.
    const std::uint32_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y - originY) * stride; }
};

}  // namespace platform::soft
