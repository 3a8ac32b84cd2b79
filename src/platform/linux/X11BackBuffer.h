#pragma once
// The client picture of a form's window: drawn by the program in device pixels, in the screen's
// pixel format, with the texts over it, and put on the window with the X server, so Qt never
// rescales or smooths it.
#include "platform/linux/X11Includes.h"

#include <memory>

#include "platform/Types.h"
#include "platform/linux/PixelFormat.h"
#include "platform/linux/TextOverlay.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11Image.h"
#include "platform/soft/ViewFrame.h"

namespace platform::linux_ {

class X11BackBuffer {
public:
    // For the native window `window`, whose background the server then leaves alone.
    X11BackBuffer(X11Display& display, Handle window);
    ~X11BackBuffer();
    X11BackBuffer(const X11BackBuffer&) = delete;
    X11BackBuffer& operator=(const X11BackBuffer&) = delete;

    // Makes the picture width x height, black where it is new; false when it cannot be.
    bool prepare(int width, int height);
    // Draws the tick's frame on the picture when it changes anything there; true when it did.
    bool draw(soft::ViewFrame& frame);
    // Puts the picture on the window, once a frame has been drawn and while the picture is the
    // client area's size.
    void present(int clientWidth, int clientHeight);

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
