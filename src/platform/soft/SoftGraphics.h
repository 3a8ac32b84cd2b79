#pragma once
// Device contexts, bitmaps, palettes and pictures in plain memory, for back ends whose screen is
// read some other way. A bitmap filled from the screen is read lazily: only the part that is
// actually looked at is fetched, which saves copying the large unseen part of every capture.
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "platform/Graphics.h"
#include "platform/soft/ScreenSource.h"
#include "platform/soft/Stretch.h"

namespace platform::soft {

class SoftGraphics : public Graphics {
public:
    explicit SoftGraphics(ScreenSource& screen);
    ~SoftGraphics() override;

    // The device context of the screen (the desktop window's), given back with releaseScreenDC.
    Handle createScreenDC();
    bool releaseScreenDC(Handle hdc);

    // The bitmap's pixels with at least `bounds` of it filled in; null for a handle that is not
    // a bitmap.
    std::optional<ConstSurface> bitmapPixels(Handle bitmap, const PixelBounds& bounds);
    std::optional<ConstSurface> bitmapPixels(Handle bitmap);
    // Where on the screen a bitmap filled from it by one whole block transfer was taken; false for
    // any other bitmap.
    bool screenOrigin(Handle bitmap, int& x, int& y) const;
    // The bitmap's size, or nothing.
    bool bitmapSize(Handle bitmap, int& width, int& height) const;
    // Entries of a palette object.
    std::vector<PaletteEntry> paletteEntries(Handle palette) const;

    ScreenSource& screen() const { return screen_; }
    // Objects alive now, stock objects excluded: a leak check.
    std::size_t liveObjects() const { return objects_.size(); }

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
    int GetDIBits(Handle hdc, Handle bitmap, int width, int height, std::uint32_t* pixels) override;
    bool DeleteDC(Handle hdc) override;
    bool DeleteObject(Handle object) override;
    PictureRef OleCreatePictureIndirect(const PictDesc& desc, bool own) override;

private:
    struct DeviceContext {
        bool screen = false;
        Handle bitmap = 0;
        Handle palette = 0;
    };
    struct Bitmap {
        int width = 0;
        int height = 0;
        std::unique_ptr<std::uint32_t[]> pixels;
        // Pixels not yet fetched from the screen: the bitmap shows the screen at this offset.
        bool fromScreen = false;
        int screenX = 0;
        int screenY = 0;
        PixelBounds filled;  // what is in `pixels` (or `view`) already
        // The filled part straight from the screen source's memory, not copied; valid until the
        // source reads again, so it is copied into `pixels` before any other screen read.
        std::optional<ConstSurface> view;
        std::size_t selections = 0;  // device contexts it is selected into
    };
    struct Palette {
        std::vector<PaletteEntry> entries;
        std::size_t selections = 0;
    };
    using Object = std::variant<DeviceContext, Bitmap, Palette>;

    Handle add(Object object);
    template <typename T>
    T* find(Handle handle);
    template <typename T>
    const T* find(Handle handle) const;
    void fill(Handle handle, Bitmap& bitmap, const PixelBounds& bounds);
    void allocate(Bitmap& bitmap);
    // Copies the pixels a bitmap shows from the screen source's memory into its own.
    void detachView(Bitmap& bitmap);
    // Call before reading the screen: no other bitmap may keep pointing into the source's memory.
    void prepareScreenRead();

    ScreenSource& screen_;
    std::map<Handle, Object> objects_;
    // The pixels of the last bitmap deleted, kept for the next one of the same size: a capture
    // every few milliseconds would otherwise map and unmap megabytes each time.
    std::unique_ptr<std::uint32_t[]> spare_;
    std::size_t spareCount_ = 0;
    Handle viewOwner_ = 0;  // the bitmap whose `view` is in use, if any
    Handle next_ = 0x10000;
    Handle stockBitmap_;
    Handle stockPalette_;
};

}  // namespace platform::soft
