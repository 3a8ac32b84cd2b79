#include "platform/win32/Win32BackBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::win32 {

int heightAtNinetySixDpi(int height, int dpi) {
    if (dpi <= 0 || dpi == 96) return height;
    const double halfPoints = std::round(2.0 * std::abs(height) * 72.0 / dpi);
    const int pixels = static_cast<int>(std::lround(halfPoints / 2.0 * 96.0 / 72.0));
    return height < 0 ? -pixels : pixels;
}

std::unique_ptr<BackBuffer> BackBuffer::create(HWND window, int width, int height) {
    std::unique_ptr<BackBuffer> buffer(new BackBuffer());
    {
        const OwnedWindowDc windowDc(window);
        if (windowDc.get() == nullptr) return nullptr;
        // The texts stand at fixed pixel offsets in a band of fixed height: at another DPI the
        // font keeps the pixel size it has at 96, so that it fits the band as it does there.
        const int dpi = ::GetDeviceCaps(windowDc.get(), LOGPIXELSY);
        LOGFONTW font{};
        if (dpi != 96 && ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == sizeof font) {
            font.lfHeight = heightAtNinetySixDpi(font.lfHeight, dpi);
            font.lfWidth = 0;
            buffer->font_.reset(::CreateFontIndirectW(&font));
        }
        buffer->dc_ = MemoryDc(windowDc.get());
        buffer->bitmap_.reset(::CreateCompatibleBitmap(windowDc.get(), width, height));
    }
    if (buffer->dc_.get() == nullptr || buffer->bitmap_.get() == nullptr) return nullptr;
    buffer->selected_.emplace(buffer->dc_.get(), buffer->bitmap_.get());
    buffer->width_ = width;
    buffer->height_ = height;
    ::PatBlt(buffer->dc_.get(), 0, 0, width, height, BLACKNESS);
    return buffer;
}

void BackBuffer::draw(const std::vector<soft::FrameOperation>& frame) {
    for (const soft::FrameOperation& op : frame) {
        if (op.isLine) drawLine(op);
        else if (op.isText) drawText(op.x, op.y, op.text);
        else stretch(op);
    }
}

void BackBuffer::copyTo(HDC dc) const { ::BitBlt(dc, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY); }

void BackBuffer::stretch(const soft::FrameOperation& picture) {
    const auto bitmap = fromHandle<HBITMAP>(picture.picture->bitmap());
    const auto palette = fromHandle<HPALETTE>(picture.picture->palette());
    const double x1 = picture.dest.x, y1 = picture.dest.y, w1 = picture.dest.width, h1 = picture.dest.height;
    const double x2 = picture.source.x, y2 = picture.source.y, w2 = picture.source.width, h2 = picture.source.height;

    // StretchBlt takes whole pixels. The source rectangle is widened to the whole pixels it
    // touches and the destination by the same scale, so a source of (client / zoom) pixels maps
    // every source pixel onto exactly zoom x zoom destination pixels, with the block of the first
    // one at the destination's origin; what lies beyond the client is clipped.
    const double scaleX = w1 / w2;
    const double scaleY = h1 / h2;
    const double sx0 = std::floor(x2), sy0 = std::floor(y2);
    const double sx1 = std::ceil(x2 + w2), sy1 = std::ceil(y2 + h2);
    const long left = std::lround(x1 + (sx0 - x2) * scaleX);
    const long top = std::lround(y1 + (sy0 - y2) * scaleY);
    const long right = std::lround(x1 + (sx1 - x2) * scaleX);
    const long bottom = std::lround(y1 + (sy1 - y2) * scaleY);

    HDC dest = dc_.get();
    const MemoryDc source(dest);
    if (source.get() == nullptr) return;
    const Selection selected(source.get(), bitmap);
    std::optional<PaletteSelection> sourcePalette;
    std::optional<PaletteSelection> destPalette;
    if (palette != nullptr) {
        sourcePalette.emplace(source.get(), palette);
        destPalette.emplace(dest, palette);
    }
    ::SetStretchBltMode(dest, COLORONCOLOR);
    ::StretchBlt(dest, static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                 static_cast<int>(bottom - top), source.get(), static_cast<int>(sx0), static_cast<int>(sy0),
                 static_cast<int>(sx1 - sx0), static_cast<int>(sy1 - sy0), SRCCOPY);
}

void BackBuffer::drawLine(const soft::FrameOperation& line) {
    // A checkerboard brush, white where x + y is odd: each one-pixel rectangle filled with it
    // is black and white by turns along its length.
    static const WORD kChecker[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    const OwnedGdiObject<HBITMAP> pattern(::CreateBitmap(8, 8, 1, 1, kChecker));
    const OwnedGdiObject<HBRUSH> brush(::CreatePatternBrush(pattern.get()));
    if (brush.get() == nullptr) return;
    HDC dc = dc_.get();
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::SetTextColor(dc, RGB(0, 0, 0));      // a monochrome pattern's 0 bits
    ::SetBkColor(dc, RGB(255, 255, 255));  // and its 1 bits
    const Selection selected(dc, brush.get());
    for (const soft::LineSegment& s : soft::lineSegments(line)) {
        ::PatBlt(dc, s.left, s.top, s.right - s.left + 1, s.bottom - s.top + 1, PATCOPY);
    }
}

int BackBuffer::textWidth(const std::string& text) const {
    const std::wstring wide = utf8ToWide(text);
    const Selection font(
        dc_.get(), font_.get() != nullptr ? static_cast<HGDIOBJ>(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    if (!::GetTextExtentPoint32W(dc_.get(), wide.c_str(), static_cast<int>(wide.size()), &size)) return 0;
    return size.cx;
}

void BackBuffer::drawText(float atX, float atY, const std::string& text) {
    const std::wstring wide = utf8ToWide(text);
    HDC dc = dc_.get();
    const int x = static_cast<int>(std::floor(atX));
    const int y = static_cast<int>(std::floor(atY));
    const Selection font(
        dc, font_.get() != nullptr ? static_cast<HGDIOBJ>(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    // A dark outline under white letters: readable over any picture.
    ::SetTextColor(dc, RGB(0, 0, 0));
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (dx != 0 || dy != 0) ::TextOutW(dc, x + dx, y + dy, wide.c_str(), static_cast<int>(wide.size()));
        }
    }
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

}  // namespace platform::win32
