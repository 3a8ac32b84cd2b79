#pragma once
// The pixels of GDI bitmaps, for the frame record that decides which ticks reach the window:
// read back with GetDIBits as 32-bit 0x00RRGGBB values. Pictures are not known to come from the
// screen, so their pixels are always compared.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/soft/FrameSource.h"

namespace platform::win32 {

class GdiFramePixels : public soft::FrameSource {
public:
    bool bitmapSize(Handle bitmap, int& width, int& height) override;
    // The whole bitmap, read into memory of its own.
    std::optional<soft::ConstSurface> bitmapPixels(Handle bitmap, const soft::PixelBounds& bounds) override;

private:
    std::vector<std::uint32_t> pixels_;
};

}  // namespace platform::win32
