#pragma once
// Graphics on gdi32 and the OLE picture factory: each call goes to the Win32 function of the same
// name with the same arguments.
#include "platform/Graphics.h"

namespace platform::win32 {

class Win32Graphics : public Graphics {
public:
    Handle CreateCompatibleDC(Handle hdc) override;
    Handle CreateCompatibleBitmap(Handle hdc, int width, int height) override;
    Handle SelectObject(Handle hdc, Handle object) override;
    int GetDeviceCaps(Handle hdc, int index) override;
    unsigned GetSystemPaletteEntries(Handle hdc, unsigned start, unsigned count, PaletteEntry* entries) override;
    Handle CreatePalette(const LogPalette& palette) override;
    Handle SelectPalette(Handle hdc, Handle palette, bool forceBackground) override;
    unsigned RealizePalette(Handle hdc) override;
    bool PatBlt(Handle hdc, int x, int y, int width, int height, std::uint32_t rop) override;
    bool BitBlt(Handle dest, int x, int y, int width, int height, Handle source, int sourceX, int sourceY,
                std::uint32_t rop) override;
    std::uint32_t GetPixel(Handle hdc, int x, int y) override;
    // GetDIBits into a 32-bit top-down BI_RGB DIB.
    int GetDIBits(Handle hdc, Handle bitmap, int width, int height, std::uint32_t* pixels) override;
    bool DeleteDC(Handle hdc) override;
    bool DeleteObject(Handle object) override;
    // An OLE picture (IPictureDisp); with `own` the picture deletes the bitmap and the palette
    // when its last reference is released.
    PictureRef OleCreatePictureIndirect(const PictDesc& desc, bool own) override;
};

}  // namespace platform::win32
