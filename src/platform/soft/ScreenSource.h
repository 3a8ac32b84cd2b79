#pragma once
// Where a screen device context's pixels come from.
#include <cstdint>
#include <optional>

#include "platform/Types.h"
#include "platform/soft/Surface.h"

namespace platform::soft {

// What a screen source knows of changes to an area without reading its pixels.
enum class ScreenChange { unknown, none, some };

class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    // Takes note of changes of the screen's size; called when a screen device context is made,
    // so each capture sees the screen as it is.
    virtual void refresh() {}
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Copies the screen rectangle (x, y, to.width, to.height), which lies wholly on the screen,
    // into `to`.
    virtual void read(int x, int y, const Surface& to) = 0;
    // Reads the screen rectangle (x, y, width, height), wholly on the screen, into memory of the
    // source's own and returns it, valid until the next read() or view(); nothing when the
    // source keeps no such memory, and then read() serves.
    virtual std::optional<ConstSurface> view(int x, int y, int width, int height) {
        (void)x;
        (void)y;
        (void)width;
        (void)height;
        return std::nullopt;
    }
    // Whether pixels inside `area` (screen coordinates, on the screen) may have changed since the
    // previous call; each call starts a new period. A source that learns of changes from the
    // display's own events answers without asking the display; one that cannot tell says so, and
    // its pixels are then compared instead.
    virtual ScreenChange changedSinceLastCheck(const Rect& area) {
        (void)area;
        return ScreenChange::unknown;
    }
    // A pixel as read, as 0x00RRGGBB, and the pixel that shows a colour: the screen's own values
    // may be in another format.
    virtual std::uint32_t toRgb(std::uint32_t pixel) const { return pixel; }
    virtual std::uint32_t fromRgb(std::uint32_t rgb) const { return rgb; }
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
