#pragma once
// The client picture of a form's window: drawn by the program in its own memory, in device pixels, in the screen's
// pixel format, with the texts over it, and put on the window with the X server, so Qt never
// rescales or smooths it.
#include "platform/linux/X11Includes.h"

#include <memory>

#include "platform/Types.h"
#include "platform/linux/PixelFormat.h"
#include "platform/linux/TextOverlay.h"
#include "platform/linux/ViewBuffer.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11Image.h"
#include "platform/soft/ViewFrame.h"

namespace platform::linux_ {

class X11BackBuffer : public ViewBuffer {
public:
    // For the native window `window`, whose background the server then leaves alone.
    X11BackBuffer(X11Display& display, Handle window);
    ~X11BackBuffer() override;
    X11BackBuffer(const X11BackBuffer&) = delete;
    X11BackBuffer& operator=(const X11BackBuffer&) = delete;

    bool prepare(int width, int height) override;
    bool draw(soft::ViewFrame& frame) override;
    void present(int clientWidth, int clientHeight) override;

private:
    X11Display& display_;
    Handle window_;
    // The view's pixels are the screen's; the window's visual may differ.
    PixelFormat screenFormat_;
    PixelFormat windowFormat_;
    std::unique_ptr<X11Image> image_;
    GC gc_ = nullptr;
    TextOverlay overlay_;
    bool drawn_ = false;
};

}  // namespace platform::linux_
