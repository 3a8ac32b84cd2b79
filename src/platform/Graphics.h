#pragma once
// Graphics: memory device contexts, bitmaps, palettes, block transfers and the picture factory.
// Shaped after the gdi32 calls of the same names and the OLE picture factory.
#include <cstdint>

#include "platform/Picture.h"
#include "platform/Types.h"

namespace platform {

class Graphics {
public:
    virtual ~Graphics() = default;

    virtual Handle CreateCompatibleDC(Handle hdc) = 0;
    virtual Handle CreateCompatibleBitmap(Handle hdc, int width, int height) = 0;
    // Selects a bitmap or a palette into a device context; returns the one it replaces.
    virtual Handle SelectObject(Handle hdc, Handle object) = 0;
    virtual int GetDeviceCaps(Handle hdc, int index) = 0;
    virtual unsigned GetSystemPaletteEntries(Handle hdc, unsigned start, unsigned count,
                                             PaletteEntry* entries) = 0;
    virtual Handle CreatePalette(const LogPalette& palette) = 0;
    virtual Handle SelectPalette(Handle hdc, Handle palette, bool forceBackground) = 0;
    virtual unsigned RealizePalette(Handle hdc) = 0;
    virtual bool BitBlt(Handle dest, int x, int y, int width, int height, Handle source, int sourceX, int sourceY,
                        std::uint32_t rop) = 0;
    // The colour of a pixel of a device context as 0x00BBGGRR, or CLR_INVALID where there is none.
    virtual std::uint32_t GetPixel(Handle hdc, int x, int y) = 0;
    // The bitmap's top `height` rows of `width` pixels as 0x00RRGGBB, rows from the top, as a
    // 32-bit top-down DIB holds them; returns the rows copied. The bitmap is selected in no context.
    virtual int GetDIBits(Handle hdc, Handle bitmap, int width, int height, std::uint32_t* pixels) = 0;
    // Fills a rectangle of a device context; BLACKNESS is all this program asks for.
    virtual bool PatBlt(Handle hdc, int x, int y, int width, int height, std::uint32_t rop) = 0;
    virtual bool DeleteDC(Handle hdc) = 0;
    virtual bool DeleteObject(Handle object) = 0;

    // Wraps a bitmap and a palette into a picture; with `own` the picture destroys both with its
    // last reference. Returns null when no picture could be made.
    virtual PictureRef OleCreatePictureIndirect(const PictDesc& desc, bool own) = 0;
};

}  // namespace platform
