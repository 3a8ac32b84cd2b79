#include "capture/Capture.h"

#include <algorithm>

#include "base/Arithmetic.h"
#include "capture/GdiResources.h"
#include "platform/Services.h"

namespace capture {
namespace {

bool isEmpty(const platform::Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

platform::Rect intersection(const platform::Rect& a, const platform::Rect& b) {
    return platform::Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                          std::min(a.bottom, b.bottom)};
}

// The monitors' rectangles; none when the system tells of no monitor.
std::vector<platform::Rect> monitorRects() {
    auto& windows = platform::windows();
    std::vector<platform::Rect> rects;
    for (const platform::Handle monitor : windows.EnumDisplayMonitors()) {
        platform::MonitorInfo info;
        if (windows.GetMonitorInfo(monitor, info)) rects.push_back(info.monitor);
    }
    return rects;
}

}  // namespace

std::vector<platform::Rect> uncoveredAreas(const platform::Rect& area, const std::vector<platform::Rect>& monitors) {
    if (monitors.empty()) return {};
    platform::Rect bounds = monitors.front();
    for (const platform::Rect& m : monitors) {
        bounds = platform::Rect{std::min(bounds.left, m.left), std::min(bounds.top, m.top),
                                std::max(bounds.right, m.right), std::max(bounds.bottom, m.bottom)};
    }
    std::vector<platform::Rect> left{intersection(area, bounds)};
    if (isEmpty(left.front())) return {};
    // Each monitor cuts what is left into at most four pieces around it.
    for (const platform::Rect& m : monitors) {
        std::vector<platform::Rect> next;
        for (const platform::Rect& r : left) {
            const platform::Rect cut = intersection(r, m);
            if (isEmpty(cut)) {
                next.push_back(r);
                continue;
            }
            const platform::Rect pieces[] = {{r.left, r.top, r.right, cut.top},
                                             {r.left, cut.bottom, r.right, r.bottom},
                                             {r.left, cut.top, cut.left, cut.bottom},
                                             {cut.right, cut.top, r.right, cut.bottom}};
            for (const platform::Rect& piece : pieces)
                if (!isEmpty(piece)) next.push_back(piece);
        }
        left = std::move(next);
    }
    return left;
}

platform::PictureRef captureAroundCursor(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                         std::int16_t size) {
    const platform::Handle desktop = platform::windows().GetDesktopWindow();
    const std::int32_t left = viewEdge(x, width, size);
    const std::int32_t top = viewEdge(y, height, size);
    // Only the part the view shows is copied: width / size x height / size, the last partly
    // shown column and row included. Copying the whole client size cost size^2 times as much.
    const std::int32_t shownWidth = (width + size - 1) / size;
    const std::int32_t shownHeight = (height + size - 1) / size;
    const platform::Rect area{left, top, base::add32(left, shownWidth), base::add32(top, shownHeight)};
    return captureWindowRect(desktop, false, left, top, shownWidth, shownHeight, uncoveredAreas(area, monitorRects()));
}

std::int32_t viewEdge(std::int32_t at, std::int32_t extent, std::int16_t size) {
    const std::int16_t twice = base::mul16(2, size);
    if (twice == 0) throw base::DivisionByZeroError("zoom factor is 0");
    // The quotient is not truncated: 75.5 with the cursor at 100 gives 24.5, rounded to even.
    return base::toInt32(at - static_cast<double>(extent) / twice);
}

platform::PictureRef stillCopy(const platform::PictureRef& picture, std::int32_t width, std::int32_t height) {
    if (!picture || width <= 0 || height <= 0) return nullptr;
    auto& gdi = platform::graphics();
    const platform::Handle desktop = platform::windows().GetDesktopWindow();
    GdiObject bitmap;
    {
        WindowDC screen(desktop, false);
        MemoryDC from(screen.get());
        MemoryDC to(screen.get());
        bitmap.reset(gdi.CreateCompatibleBitmap(screen.get(), width, height));
        const platform::Handle previousFrom = gdi.SelectObject(from.get(), picture->bitmap());
        const platform::Handle previousTo = gdi.SelectObject(to.get(), bitmap.get());
        gdi.BitBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, platform::SRCCOPY);
        gdi.SelectObject(from.get(), previousFrom);
        gdi.SelectObject(to.get(), previousTo);
    }
    platform::PictureRef copy = pictureFromBitmap(bitmap.get(), 0);
    if (copy) bitmap.release();
    return copy;
}

platform::PictureRef captureWindowRect(platform::Handle window, bool client, std::int32_t left, std::int32_t top,
                                       std::int32_t width, std::int32_t height,
                                       const std::vector<platform::Rect>& black) {
    auto& gdi = platform::graphics();
    GdiObject bitmap;
    GdiObject palette;
    {
        WindowDC source(window, client);
        MemoryDC memory(source.get());
        bitmap.reset(gdi.CreateCompatibleBitmap(source.get(), width, height));
        const platform::Handle previousBitmap = gdi.SelectObject(memory.get(), bitmap.get());

        const bool paletteDisplay = (gdi.GetDeviceCaps(source.get(), platform::RASTERCAPS) & platform::RC_PALETTE) != 0;
        const int paletteSize = gdi.GetDeviceCaps(source.get(), platform::SIZEPALETTE);
        const bool withPalette = paletteDisplay && paletteSize == 256;
        platform::Handle previousPalette = 0;
        if (withPalette) {
            platform::LogPalette description;
            description.version = 0x300;
            description.numEntries = 256;
            gdi.GetSystemPaletteEntries(source.get(), 0, 256, description.entries);
            palette.reset(gdi.CreatePalette(description));
            previousPalette = gdi.SelectPalette(memory.get(), palette.get(), false);
            gdi.RealizePalette(memory.get());
        }

        gdi.BitBlt(memory.get(), 0, 0, width, height, source.get(), left, top, platform::SRCCOPY);
        for (const platform::Rect& r : black) {
            gdi.PatBlt(memory.get(), r.left - left, r.top - top, r.right - r.left, r.bottom - r.top,
                       platform::BLACKNESS);
        }

        // Both go back out of the memory context before it is deleted.
        gdi.SelectObject(memory.get(), previousBitmap);
        if (withPalette) gdi.SelectPalette(memory.get(), previousPalette, false);
        // Leaving the scope deletes the memory context, then releases the window's context.
    }
    platform::PictureRef picture = pictureFromBitmap(bitmap.get(), palette.get());
    if (picture) {
        // The picture owns them now.
        bitmap.release();
        palette.release();
    }
    return picture;
}

platform::PictureRef pictureFromBitmap(platform::Handle bitmap, platform::Handle palette) {
    platform::PictDesc description;
    description.size = 20;
    description.type = platform::PICTYPE_BITMAP;
    description.bitmap = bitmap;
    description.palette = palette;
    return platform::graphics().OleCreatePictureIndirect(description, true);
}

}  // namespace capture
