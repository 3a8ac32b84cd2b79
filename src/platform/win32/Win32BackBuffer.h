#pragma once
// The client picture of a form's window: a bitmap like the window's, selected into a memory
// context. A tick's frame is drawn on it whole, picture and texts, and only then copied to the
// window, so the window never shows a picture without its texts.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/soft/FrameRecord.h"
#include "platform/win32/Win32Handles.h"

namespace platform::win32 {

// The character height, in logical units (negative: of the letters without leading), that a
// font of height `height` made for `dpi` has at 96 DPI. The stock fonts' heights are whole
// pixels rounded from a size in points, taken back to the nearest half point first.
int heightAtNinetySixDpi(int height, int dpi);

class BackBuffer {
public:
    // A black picture of this size for the window; nothing when GDI cannot make one.
    static std::unique_ptr<BackBuffer> create(HWND window, int width, int height);
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // Draws a frame, in order: pictures stretched, texts over them.
    void draw(const std::vector<soft::FrameOperation>& frame);
    // The width, in pixels, the text's letters take in the texts' font.
    int textWidth(const std::string& text) const;
    // Copies the picture to (0, 0) of a device context of the window.
    void copyTo(HDC dc) const;

private:
    BackBuffer() = default;
    void stretch(const soft::FrameOperation& picture);
    void drawText(float x, float y, const std::string& text);
    void drawLine(const soft::FrameOperation& line);

    int width_ = 0;
    int height_ = 0;
    // The texts' font where the system's DPI is not 96; otherwise the stock one is used.
    OwnedGdiObject<HFONT> font_;
    OwnedGdiObject<HBITMAP> bitmap_;
    MemoryDc dc_;
    std::optional<Selection> selected_;  // goes first, so the bitmap is out before both are deleted
};

}  // namespace platform::win32
