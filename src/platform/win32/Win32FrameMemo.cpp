#include "platform/win32/Win32FrameMemo.h"

#include "platform/win32/Win32Handles.h"

namespace platform::win32 {

void FrameMemo::begin() {
    texts_.clear();
    same_ = pictured_ = false;
}

bool FrameMemo::samePicture(Handle dcHandle, Handle bitmapHandle, const Geometry& geometry) {
    const auto dc = fromHandle<HDC>(dcHandle);
    const auto bitmap = fromHandle<HBITMAP>(bitmapHandle);
    pictured_ = true;
    BITMAP description{};
    if (::GetObjectW(bitmap, sizeof description, &description) == 0) return same_ = false;
    const int width = description.bmWidth, height = description.bmHeight;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    reading_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), reading_.data(), &info, DIB_RGB_COLORS) != height) {
        valid_ = false;
        return same_ = false;
    }
    same_ = valid_ && width == width_ && height == height_ && geometry == geometry_ && reading_ == pixels_;
    if (!same_) {
        pixels_.swap(reading_);
        width_ = width;
        height_ = height;
        geometry_ = geometry;
    }
    return same_;
}

bool FrameMemo::sameText(float x, float y, const std::string& text) {
    texts_.push_back(Text{x, y, text});
    const std::size_t i = texts_.size() - 1;
    same_ = same_ && i < lastTexts_.size() && lastTexts_[i] == texts_[i];
    return same_;
}

void FrameMemo::end() {
    // A tick that painted no picture (minimized) leaves the buffer as it was.
    if (!pictured_) return;
    lastTexts_.swap(texts_);
    valid_ = true;
}

}  // namespace platform::win32
