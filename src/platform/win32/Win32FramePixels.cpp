#include "platform/win32/Win32FramePixels.h"

#include "platform/win32/Win32Handles.h"

namespace platform::win32 {

bool GdiFramePixels::bitmapSize(Handle bitmap, int& width, int& height) {
    BITMAP description{};
    if (bitmap == 0 || ::GetObjectW(fromHandle<HBITMAP>(bitmap), sizeof description, &description) == 0) return false;
    width = description.bmWidth;
    height = description.bmHeight;
    return true;
}

std::optional<soft::ConstSurface> GdiFramePixels::bitmapPixels(Handle bitmap, const soft::PixelBounds& /*bounds*/) {
    int width = 0, height = 0;
    if (!bitmapSize(bitmap, width, height) || width <= 0 || height <= 0) return std::nullopt;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    // A memory context like the window's, with the default palette, converts the pixels.
    const MemoryDc dc(nullptr);
    if (dc.get() == nullptr ||
        ::GetDIBits(dc.get(), fromHandle<HBITMAP>(bitmap), 0, static_cast<UINT>(height), pixels_.data(), &info,
                    DIB_RGB_COLORS) != height) {
        return std::nullopt;
    }
    return soft::ConstSurface{pixels_.data(), width, height, width, 0, 0};
}

}  // namespace platform::win32
