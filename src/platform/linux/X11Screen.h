#pragma once
// The X screen as the source of the desktop's device context: pixels read from the root window.
#include "platform/linux/X11Changes.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/PixelFormat.h"
#include "platform/linux/X11Image.h"
#include "platform/soft/ScreenSource.h"

namespace platform::linux_ {

class X11Screen : public soft::ScreenSource {
public:
    // With `changes`, areas are known to be unchanged from the server's events, without reading.
    explicit X11Screen(X11Display& display, X11Changes* changes = nullptr);

    void refresh() override;
    int width() const override { return width_; }
    int height() const override { return height_; }
    void read(int x, int y, const soft::Surface& to) override;
    std::optional<soft::ConstSurface> view(int x, int y, int width, int height) override;
    int rasterCaps() const override;
    int paletteSize() const override;
    unsigned systemPalette(unsigned start, unsigned count, PaletteEntry* entries) const override;
    soft::ScreenChange changedSinceLastCheck(const Rect& area) override;
    std::uint32_t toRgb(std::uint32_t pixel) const override { return format_.toRgb(pixel); }
    std::uint32_t fromRgb(std::uint32_t rgb) const override { return format_.fromRgb(rgb); }

    // Every visual of 8 bits or more; the pixels read are the screen's own values (PixelFormat).
    bool supportedFormat() const { return supported_; }
    bool usesSharedMemory() const { return image_.usesSharedMemory(); }

private:
    X11Display& display_;
    X11Changes* changes_;
    Visual* visual_;
    int depth_;
    bool supported_;
    PixelFormat format_;
    X11Image image_;
    // The root window's size, followed through its ConfigureNotify events (RandR resizes it).
    int width_;
    int height_;
    X11Display::Subscription resizes_;
};

}  // namespace platform::linux_
