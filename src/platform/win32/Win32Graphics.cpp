#include "platform/win32/Win32Graphics.h"

#include <cstddef>

#include "platform/win32/Win32Handles.h"

namespace platform::win32 {
namespace {

static_assert(sizeof(PaletteEntry) == sizeof(PALETTEENTRY));
static_assert(offsetof(PALETTEENTRY, peRed) == offsetof(PaletteEntry, red) &&
              offsetof(PALETTEENTRY, peGreen) == offsetof(PaletteEntry, green) &&
              offsetof(PALETTEENTRY, peBlue) == offsetof(PaletteEntry, blue) &&
              offsetof(PALETTEENTRY, peFlags) == offsetof(PaletteEntry, flags));

// LOGPALETTE declares one entry and is used with as many as it holds.
struct LogPalette256 {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[256];
};
static_assert(offsetof(LogPalette256, palPalEntry) == offsetof(LOGPALETTE, palPalEntry));

// The picture: one reference to an OLE picture object, released with the last copy of the
// PictureRef. The handles are read from the object each time, as the object may own them.
class Win32Picture : public Picture {
public:
    explicit Win32Picture(ComPtr<IPictureDisp> picture) : picture_(std::move(picture)) {}

    Handle bitmap() const override {
        const ComPtr<IPicture> picture = picture_.as<IPicture>(IID_IPicture);
        OLE_HANDLE handle = 0;
        if (!picture || FAILED(picture->get_Handle(&handle))) return 0;
        return widenHandle32(handle);
    }

    Handle palette() const override {
        const ComPtr<IPicture> picture = picture_.as<IPicture>(IID_IPicture);
        OLE_HANDLE handle = 0;
        if (!picture || FAILED(picture->get_hPal(&handle))) return 0;
        return widenHandle32(handle);
    }

private:
    ComPtr<IPictureDisp> picture_;
};

}  // namespace

Handle Win32Graphics::CreateCompatibleDC(Handle hdc) { return toHandle(::CreateCompatibleDC(fromHandle<HDC>(hdc))); }

Handle Win32Graphics::CreateCompatibleBitmap(Handle hdc, int width, int height) {
    return toHandle(::CreateCompatibleBitmap(fromHandle<HDC>(hdc), width, height));
}

Handle Win32Graphics::SelectObject(Handle hdc, Handle object) {
    return toHandle(::SelectObject(fromHandle<HDC>(hdc), fromHandle<HGDIOBJ>(object)));
}

int Win32Graphics::GetDeviceCaps(Handle hdc, int index) { return ::GetDeviceCaps(fromHandle<HDC>(hdc), index); }

unsigned Win32Graphics::GetSystemPaletteEntries(Handle hdc, unsigned start, unsigned count, PaletteEntry* entries) {
    return ::GetSystemPaletteEntries(fromHandle<HDC>(hdc), start, count, reinterpret_cast<PALETTEENTRY*>(entries));
}

Handle Win32Graphics::CreatePalette(const LogPalette& palette) {
    LogPalette256 description{};
    description.palVersion = palette.version;
    description.palNumEntries = palette.numEntries > 256 ? 256 : palette.numEntries;
    for (unsigned i = 0; i < description.palNumEntries; ++i) {
        const PaletteEntry& entry = palette.entries[i];
        description.palPalEntry[i] = PALETTEENTRY{entry.red, entry.green, entry.blue, entry.flags};
    }
    return toHandle(::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&description)));
}

Handle Win32Graphics::SelectPalette(Handle hdc, Handle palette, bool forceBackground) {
    return toHandle(::SelectPalette(fromHandle<HDC>(hdc), fromHandle<HPALETTE>(palette), forceBackground));
}

unsigned Win32Graphics::RealizePalette(Handle hdc) { return ::RealizePalette(fromHandle<HDC>(hdc)); }

bool Win32Graphics::BitBlt(Handle dest, int x, int y, int width, int height, Handle source, int sourceX, int sourceY,
                           std::uint32_t rop) {
    return ::BitBlt(fromHandle<HDC>(dest), x, y, width, height, fromHandle<HDC>(source), sourceX, sourceY, rop) !=
           FALSE;
}

std::uint32_t Win32Graphics::GetPixel(Handle hdc, int x, int y) {
    return static_cast<std::uint32_t>(::GetPixel(fromHandle<HDC>(hdc), x, y));
}

int Win32Graphics::GetDIBits(Handle hdc, Handle bitmap, int width, int height, std::uint32_t* pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int rows = ::GetDIBits(fromHandle<HDC>(hdc), fromHandle<HBITMAP>(bitmap), 0, static_cast<UINT>(height),
                                 pixels, &info, DIB_RGB_COLORS);
    // The DIB's fourth byte is not a colour.
    for (std::size_t i = 0; rows > 0 && i < static_cast<std::size_t>(width) * static_cast<std::size_t>(rows); ++i)
        pixels[i] &= 0x00FFFFFFu;
    return rows;
}

bool Win32Graphics::PatBlt(Handle hdc, int x, int y, int width, int height, std::uint32_t rop) {
    return ::PatBlt(fromHandle<HDC>(hdc), x, y, width, height, rop) != FALSE;
}

bool Win32Graphics::DeleteDC(Handle hdc) { return ::DeleteDC(fromHandle<HDC>(hdc)) != FALSE; }

bool Win32Graphics::DeleteObject(Handle object) { return ::DeleteObject(fromHandle<HGDIOBJ>(object)) != FALSE; }

PictureRef Win32Graphics::OleCreatePictureIndirect(const PictDesc& desc, bool own) {
    // The description's size is that of the structure as this process lays it out (a 32-bit
    // caller's 20 bytes are 24 here).
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(PICTDESC);
    description.picType = desc.type;
    if (desc.type == PICTYPE_BITMAP) {
        description.bmp.hbitmap = fromHandle<HBITMAP>(desc.bitmap);
        description.bmp.hpal = fromHandle<HPALETTE>(desc.palette);
    }
    ComPtr<IPictureDisp> picture;
    const HRESULT result = ::OleCreatePictureIndirect(&description, IID_IPictureDisp, own ? TRUE : FALSE,
                                                      reinterpret_cast<void**>(picture.put()));
    if (FAILED(result) || !picture) return nullptr;
    return std::make_shared<Win32Picture>(std::move(picture));
}

}  // namespace platform::win32
