#include "platform/soft/SoftGraphics.h"

#include <algorithm>
#include <cstring>

namespace platform::soft {
namespace {

class SoftPicture : public Picture {
public:
    SoftPicture(Graphics& graphics, Handle bitmap, Handle palette, bool own)
        : graphics_(graphics), bitmap_(bitmap), palette_(palette), own_(own) {}
    ~SoftPicture() override {
        if (!own_) return;
        if (bitmap_ != 0) graphics_.DeleteObject(bitmap_);
        if (palette_ != 0) graphics_.DeleteObject(palette_);
    }
    SoftPicture(const SoftPicture&) = delete;
    SoftPicture& operator=(const SoftPicture&) = delete;
    Handle bitmap() const override { return bitmap_; }
    Handle palette() const override { return palette_; }

private:
    Graphics& graphics_;
    Handle bitmap_;
    Handle palette_;
    bool own_;
};

bool isEmpty(const PixelBounds& b) { return b.x0 >= b.x1 || b.y0 >= b.y1; }

bool contains(const PixelBounds& outer, const PixelBounds& inner) {
    return isEmpty(inner) ||
           (inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 && inner.y1 <= outer.y1);
}

// A bitmap larger than this is refused, as a display driver would refuse it.
constexpr long long kMaxBitmapPixels = 1LL << 28;

}  // namespace

SoftGraphics::SoftGraphics(ScreenSource& screen) : screen_(screen), stockBitmap_(0x100), stockPalette_(0x101) {}

SoftGraphics::~SoftGraphics() = default;

Handle SoftGraphics::add(Object object) {
    const Handle handle = next_++;
    objects_.emplace(handle, std::move(object));
    return handle;
}

template <typename T>
T* SoftGraphics::find(Handle handle) {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : std::get_if<T>(&it->second);
}

template <typename T>
const T* SoftGraphics::find(Handle handle) const {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : std::get_if<T>(&it->second);
}

Handle SoftGraphics::createScreenDC() {
    screen_.refresh();
    return add(DeviceContext{true, 0, 0});
}

bool SoftGraphics::releaseScreenDC(Handle hdc) {
    const DeviceContext* dc = find<DeviceContext>(hdc);
    if (dc == nullptr || !dc->screen) return false;
    objects_.erase(hdc);
    return true;
}

void SoftGraphics::allocate(Bitmap& bitmap) {
    if (bitmap.pixels) return;
    const auto count = static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height);
    if (spare_ && spareCount_ == count) {
        bitmap.pixels = std::move(spare_);
        spareCount_ = 0;
    } else {
        bitmap.pixels = std::make_unique_for_overwrite<std::uint32_t[]>(count);
    }
    if (!bitmap.fromScreen) {
        // A new bitmap is black; one filled from the screen has every pixel written before it
        // is read, by fill().
        std::fill(bitmap.pixels.get(), bitmap.pixels.get() + count, 0u);
        bitmap.filled = PixelBounds{0, 0, bitmap.width, bitmap.height};
    }
}

void SoftGraphics::detachView(Bitmap& bitmap) {
    if (!bitmap.view) return;
    const ConstSurface view = *bitmap.view;
    bitmap.view.reset();
    allocate(bitmap);
    for (int y = 0; y < view.height; ++y) {
        std::memcpy(bitmap.pixels.get() + static_cast<std::ptrdiff_t>(view.originY + y) * bitmap.width + view.originX,
                    view.row(view.originY + y), static_cast<std::size_t>(view.width) * sizeof(std::uint32_t));
    }
}

void SoftGraphics::prepareScreenRead() {
    if (viewOwner_ == 0) return;
    if (Bitmap* owner = find<Bitmap>(viewOwner_)) detachView(*owner);
    viewOwner_ = 0;
}

void SoftGraphics::fill(Handle handle, Bitmap& bitmap, const PixelBounds& wanted) {
    if (bitmap.fromScreen && contains(bitmap.filled, wanted)) return;
    detachView(bitmap);
    prepareScreenRead();
    // The usual capture reads one rectangle that lies on the screen: no copy at all.
    if (bitmap.fromScreen && !bitmap.pixels && !isEmpty(wanted)) {
        const int x = bitmap.screenX + wanted.x0, y = bitmap.screenY + wanted.y0;
        const int w = wanted.x1 - wanted.x0, h = wanted.y1 - wanted.y0;
        if (x >= 0 && y >= 0 && x + w <= screen_.width() && y + h <= screen_.height()) {
            if (auto view = screen_.view(x, y, w, h)) {
                view->originX = wanted.x0;
                view->originY = wanted.y0;
                bitmap.view = view;
                bitmap.filled = wanted;
                viewOwner_ = handle;
                return;
            }
        }
    }
    allocate(bitmap);
    if (!bitmap.fromScreen || contains(bitmap.filled, wanted)) return;
    PixelBounds b = wanted;
    if (!isEmpty(bitmap.filled)) {
        b.x0 = std::min(b.x0, bitmap.filled.x0);
        b.y0 = std::min(b.y0, bitmap.filled.y0);
        b.x1 = std::max(b.x1, bitmap.filled.x1);
        b.y1 = std::max(b.y1, bitmap.filled.y1);
    }
    // The screen's pixels where the rectangle is on the screen, black where it leaves it.
    const int sx0 = std::clamp(bitmap.screenX + b.x0, 0, screen_.width());
    const int sy0 = std::clamp(bitmap.screenY + b.y0, 0, screen_.height());
    const int sx1 = std::clamp(bitmap.screenX + b.x1, sx0, screen_.width());
    const int sy1 = std::clamp(bitmap.screenY + b.y1, sy0, screen_.height());
    // The same rectangle in bitmap coordinates.
    const int onX0 = sx0 - bitmap.screenX, onX1 = sx1 - bitmap.screenX;
    const int onY0 = sy0 - bitmap.screenY, onY1 = sy1 - bitmap.screenY;
    for (int y = b.y0; y < b.y1; ++y) {
        std::uint32_t* row = bitmap.pixels.get() + static_cast<std::ptrdiff_t>(y) * bitmap.width;
        if (y < onY0 || y >= onY1 || onX0 >= onX1) {
            std::fill(row + b.x0, row + b.x1, 0u);
        } else {
            std::fill(row + b.x0, row + onX0, 0u);
            std::fill(row + onX1, row + b.x1, 0u);
        }
    }
    if (sx0 < sx1 && sy0 < sy1) {
        Surface target;
        target.pixels = bitmap.pixels.get() + static_cast<std::ptrdiff_t>(sy0 - bitmap.screenY) * bitmap.width +
                        (sx0 - bitmap.screenX);
        target.width = sx1 - sx0;
        target.height = sy1 - sy0;
        target.stride = bitmap.width;
        screen_.read(sx0, sy0, target);
    }
    bitmap.filled = b;
}

std::optional<ConstSurface> SoftGraphics::bitmapPixels(Handle handle, const PixelBounds& bounds) {
    Bitmap* bitmap = find<Bitmap>(handle);
    if (bitmap == nullptr) return std::nullopt;
    PixelBounds clipped{std::clamp(bounds.x0, 0, bitmap->width), std::clamp(bounds.y0, 0, bitmap->height),
                        std::clamp(bounds.x1, 0, bitmap->width), std::clamp(bounds.y1, 0, bitmap->height)};
    fill(handle, *bitmap, clipped);
    if (bitmap->view) return *bitmap->view;
    return ConstSurface{bitmap->pixels.get(), bitmap->width, bitmap->height, bitmap->width, 0, 0};
}

std::optional<ConstSurface> SoftGraphics::bitmapPixels(Handle handle) {
    int width = 0, height = 0;
    if (!bitmapSize(handle, width, height)) return std::nullopt;
    return bitmapPixels(handle, PixelBounds{0, 0, width, height});
}

bool SoftGraphics::bitmapSize(Handle handle, int& width, int& height) const {
    const Bitmap* bitmap = find<Bitmap>(handle);
    if (bitmap == nullptr) return false;
    width = bitmap->width;
    height = bitmap->height;
    return true;
}

bool SoftGraphics::screenOrigin(Handle handle, int& x, int& y) const {
    const Bitmap* bitmap = find<Bitmap>(handle);
    if (bitmap == nullptr || !bitmap->fromScreen) return false;
    x = bitmap->screenX;
    y = bitmap->screenY;
    return true;
}

std::vector<PaletteEntry> SoftGraphics::paletteEntries(Handle handle) const {
    const Palette* palette = find<Palette>(handle);
    return palette == nullptr ? std::vector<PaletteEntry>{} : palette->entries;
}

Handle SoftGraphics::CreateCompatibleDC(Handle /*hdc*/) { return add(DeviceContext{false, stockBitmap_, stockPalette_}); }

Handle SoftGraphics::CreateCompatibleBitmap(Handle hdc, int width, int height) {
    if (find<DeviceContext>(hdc) == nullptr) return 0;
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxBitmapPixels) return 0;
    // The kept pixels serve only a bitmap of their size: after a resize they would be held for
    // nothing, as much as the largest window ever was.
    if (spare_ && spareCount_ != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        spare_.reset();
        spareCount_ = 0;
    }
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    return add(std::move(bitmap));
}

Handle SoftGraphics::SelectObject(Handle hdc, Handle object) {
    DeviceContext* dc = find<DeviceContext>(hdc);
    if (dc == nullptr || dc->screen) return 0;
    Bitmap* bitmap = find<Bitmap>(object);
    if (object != stockBitmap_ && (bitmap == nullptr || bitmap->selections > 0)) return 0;
    const Handle previous = dc->bitmap;
    if (Bitmap* old = find<Bitmap>(previous)) --old->selections;
    if (bitmap != nullptr) ++bitmap->selections;
    dc->bitmap = object;
    return previous;
}

int SoftGraphics::GetDeviceCaps(Handle hdc, int index) {
    if (find<DeviceContext>(hdc) == nullptr) return 0;
    switch (index) {
        case RASTERCAPS: return screen_.rasterCaps();
        case SIZEPALETTE: return screen_.paletteSize();
        default: return 0;
    }
}

unsigned SoftGraphics::GetSystemPaletteEntries(Handle hdc, unsigned start, unsigned count, PaletteEntry* entries) {
    if (find<DeviceContext>(hdc) == nullptr || (screen_.rasterCaps() & RC_PALETTE) == 0) return 0;
    return screen_.systemPalette(start, count, entries);
}

Handle SoftGraphics::CreatePalette(const LogPalette& palette) {
    if (palette.version != 0x300 || palette.numEntries == 0 || palette.numEntries > 256) return 0;
    return add(Palette{std::vector<PaletteEntry>(palette.entries, palette.entries + palette.numEntries), 0});
}

Handle SoftGraphics::SelectPalette(Handle hdc, Handle palette, bool /*forceBackground*/) {
    DeviceContext* dc = find<DeviceContext>(hdc);
    Palette* selected = find<Palette>(palette);
    if (dc == nullptr || (palette != stockPalette_ && selected == nullptr)) return 0;
    const Handle previous = dc->palette;
    if (Palette* old = find<Palette>(previous)) --old->selections;
    if (selected != nullptr) ++selected->selections;
    dc->palette = palette;
    return previous;
}

unsigned SoftGraphics::RealizePalette(Handle hdc) {
    const DeviceContext* dc = find<DeviceContext>(hdc);
    const Palette* palette = dc == nullptr ? nullptr : find<Palette>(dc->palette);
    return palette == nullptr ? 0 : static_cast<unsigned>(palette->entries.size());
}

bool SoftGraphics::PatBlt(Handle hdc, int x, int y, int width, int height, std::uint32_t rop) {
    DeviceContext* dc = find<DeviceContext>(hdc);
    if (rop != BLACKNESS || dc == nullptr || dc->screen) return false;
    Bitmap* target = find<Bitmap>(dc->bitmap);
    if (target == nullptr) return false;
    // The screen's pixels are fetched first: the bitmap no longer shows the screen alone.
    fill(dc->bitmap, *target, PixelBounds{0, 0, target->width, target->height});
    detachView(*target);
    if (viewOwner_ != 0 && find<Bitmap>(viewOwner_) == target) viewOwner_ = 0;
    target->fromScreen = false;
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + width, target->width), y1 = std::min(y + height, target->height);
    for (int row = y0; row < y1; ++row) {
        std::uint32_t* pixels = target->pixels.get() + static_cast<std::ptrdiff_t>(row) * target->width;
        if (x0 < x1) std::fill(pixels + x0, pixels + x1, 0u);
    }
    return true;
}

bool SoftGraphics::BitBlt(Handle dest, int x, int y, int width, int height, Handle source, int sourceX, int sourceY,
                          std::uint32_t rop) {
    DeviceContext* to = find<DeviceContext>(dest);
    DeviceContext* from = find<DeviceContext>(source);
    if (rop != SRCCOPY || to == nullptr || from == nullptr || to->screen) return false;
    Bitmap* target = find<Bitmap>(to->bitmap);
    if (target == nullptr || width <= 0 || height <= 0) return false;

    // The usual capture: a whole new bitmap from the screen. Record where from; fill on reading.
    if (from->screen && x == 0 && y == 0 && width == target->width && height == target->height &&
        !target->pixels && !target->fromScreen) {
        target->fromScreen = true;
        target->screenX = sourceX;
        target->screenY = sourceY;
        return true;
    }

    fill(to->bitmap, *target, PixelBounds{0, 0, target->width, target->height});
    detachView(*target);
    if (viewOwner_ != 0 && find<Bitmap>(viewOwner_) == target) viewOwner_ = 0;
    target->fromScreen = false;
    // Clip the copy to the target, then to the source.
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = std::min(x + width, target->width), y1 = std::min(y + height, target->height);
    int sourceWidth = 0, sourceHeight = 0;
    Bitmap* sourceBitmap = nullptr;
    if (from->screen) {
        sourceWidth = screen_.width();
        sourceHeight = screen_.height();
    } else {
        sourceBitmap = find<Bitmap>(from->bitmap);
        if (sourceBitmap == nullptr) return false;
        fill(from->bitmap, *sourceBitmap, PixelBounds{0, 0, sourceBitmap->width, sourceBitmap->height});
        // Pixels still in the screen source's memory are copied in first: the copy reads `pixels`.
        detachView(*sourceBitmap);
        if (viewOwner_ == from->bitmap) viewOwner_ = 0;
        sourceWidth = sourceBitmap->width;
        sourceHeight = sourceBitmap->height;
    }
    x0 = std::max(x0, x - sourceX);
    y0 = std::max(y0, y - sourceY);
    x1 = std::min(x1, x - sourceX + sourceWidth);
    y1 = std::min(y1, y - sourceY + sourceHeight);
    if (x0 >= x1 || y0 >= y1) return true;
    Surface region{target->pixels.get() + static_cast<std::ptrdiff_t>(y0) * target->width + x0, x1 - x0, y1 - y0,
                   target->width};
    const int fromX = sourceX + (x0 - x), fromY = sourceY + (y0 - y);
    if (from->screen) {
        prepareScreenRead();
        screen_.read(fromX, fromY, region);
    } else {
        for (int row = 0; row < region.height; ++row) {
            std::memmove(region.row(row),
                         sourceBitmap->pixels.get() + static_cast<std::ptrdiff_t>(fromY + row) * sourceBitmap->width +
                             fromX,
                         static_cast<std::size_t>(region.width) * sizeof(std::uint32_t));
        }
    }
    return true;
}

std::uint32_t SoftGraphics::GetPixel(Handle hdc, int x, int y) {
    const DeviceContext* dc = find<DeviceContext>(hdc);
    if (dc == nullptr) return CLR_INVALID;
    std::uint32_t pixel = 0;
    if (dc->screen) {
        if (x < 0 || y < 0 || x >= screen_.width() || y >= screen_.height()) return CLR_INVALID;
        prepareScreenRead();
        screen_.read(x, y, Surface{&pixel, 1, 1, 1});
    } else {
        const Bitmap* bitmap = find<Bitmap>(dc->bitmap);
        if (bitmap == nullptr || x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height) return CLR_INVALID;
        const auto pixels = bitmapPixels(dc->bitmap, PixelBounds{x, y, x + 1, y + 1});
        if (!pixels) return CLR_INVALID;
        pixel = pixels->row(y)[x - pixels->originX];
    }
    const std::uint32_t rgb = screen_.toRgb(pixel);
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

int SoftGraphics::GetDIBits(Handle hdc, Handle handle, int width, int height, std::uint32_t* pixels) {
    const Bitmap* bitmap = find<Bitmap>(handle);
    if (find<DeviceContext>(hdc) == nullptr || bitmap == nullptr || bitmap->selections > 0 || pixels == nullptr) return 0;
    const int rows = std::clamp(height, 0, bitmap->height);
    const int columns = std::clamp(width, 0, bitmap->width);
    const auto from = bitmapPixels(handle, PixelBounds{0, 0, columns, rows});
    if (!from) return 0;
    for (int y = 0; y < rows; ++y) {
        std::uint32_t* to = pixels + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = 0; x < width; ++x) to[x] = x < columns ? screen_.toRgb(from->row(y)[x - from->originX]) : 0;
    }
    return rows;
}

bool SoftGraphics::DeleteDC(Handle hdc) {
    DeviceContext* dc = find<DeviceContext>(hdc);
    if (dc == nullptr) return false;
    if (Bitmap* bitmap = find<Bitmap>(dc->bitmap)) --bitmap->selections;
    if (Palette* palette = find<Palette>(dc->palette)) --palette->selections;
    objects_.erase(hdc);
    return true;
}

bool SoftGraphics::DeleteObject(Handle object) {
    auto it = objects_.find(object);
    if (it == objects_.end()) return false;
    // Like a display driver, refuse to delete what a device context still has selected.
    if (auto* bitmap = std::get_if<Bitmap>(&it->second)) {
        if (bitmap->selections > 0) return false;
        if (bitmap->pixels) {
            spare_ = std::move(bitmap->pixels);
            spareCount_ = static_cast<std::size_t>(bitmap->width) * static_cast<std::size_t>(bitmap->height);
        }
    } else if (const auto* palette = std::get_if<Palette>(&it->second)) {
        if (palette->selections > 0) return false;
    } else {
        return false;
    }
    objects_.erase(it);
    return true;
}

PictureRef SoftGraphics::OleCreatePictureIndirect(const PictDesc& desc, bool own) {
    if (desc.size != 20 || desc.type != PICTYPE_BITMAP) return nullptr;
    return std::make_shared<SoftPicture>(*this, desc.bitmap, desc.palette, own);
}

}  // namespace platform::soft
