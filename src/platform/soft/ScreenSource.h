#pragma once
// Where a screen device context's pixels come from.
#include <cstdint>

#include "platform/Types.h"
#include "platform/soft/Surface.h"

namespace platform::soft {

class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Copies the screen rectangle (x, y, to.width, to.height), which lies wholly on the screen,
    // into `to`.
    virtual void read(int x, int y, const Surface& to) = 0;
    // Palette displays report RC_PALETTE in their raster capabilities and the size of their
    // system palette.
    virtual int rasterCaps() const { return 0; }
    virtual int paletteSize() const { return 0; }
    virtual unsigned systemPalette(unsigned start, unsigned count, PaletteEntry* entries) const {
        (void)start;
        (void)count;
        (void)entries;
        return 0;
    }
};

}  // namespace platform::soft
