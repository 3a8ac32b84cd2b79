#include "platform/linux/X11BackBuffer.h"

#include <algorithm>

namespace platform::linux_ {

X11BackBuffer::X11BackBuffer(X11Display& display, Handle window)
    : display_(display), window_(window), overlay_(screenFormat_) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_.get(), window_, &attributes);
    ::Display* x = display_.get();
    const int screen = display_.screen();
    // The window shows the screen's colours through the screen's colormap: on palette and
    // DirectColor displays a colormap of the toolkit's own would show other colours.
    if (attributes.visual == DefaultVisual(x, screen)) XSetWindowColormap(x, window_, DefaultColormap(x, screen));
    screenFormat_ = PixelFormat::of(x, DefaultVisual(x, screen), DefaultDepth(x, screen), DefaultColormap(x, screen));
    windowFormat_ = attributes.visual == DefaultVisual(x, screen)
                        ? screenFormat_
                        : PixelFormat::of(x, attributes.visual, attributes.depth, attributes.colormap);
    image_ = std::make_unique<X11Image>(display_, attributes.visual, attributes.depth);
    if (!(screenFormat_ == windowFormat_)) image_->setTranslation(&screenFormat_, &windowFormat_);
    gc_ = XCreateGC(display_.get(), window_, 0, nullptr);
    // Nothing is painted before the first tick, and the server must not clear what the tick put.
    XSetWindowBackgroundPixmap(display_.get(), window_, kXNone);
}

X11BackBuffer::~X11BackBuffer() {
    if (gc_ != nullptr) XFreeGC(display_.get(), gc_);
    image_.reset();
}

bool X11BackBuffer::prepare(int width, int height) {
    image_->awaitWritten();
    if (image_->width() == width && image_->height() == height) return true;
    if (!image_->resize(width, height)) return false;
    const soft::Surface s = image_->surface();
    for (int y = 0; y < s.height; ++y) std::fill(s.row(y), s.row(y) + s.width, 0u);
    return true;
}

bool X11BackBuffer::draw(soft::ViewFrame& frame) {
    if (!frame.finish(image_->surface(), &overlay_)) return false;
    drawn_ = true;
    return true;
}

void X11BackBuffer::present(int clientWidth, int clientHeight) {
    // Nothing is shown before the first tick has drawn.
    if (!drawn_) return;
    if (image_->width() != clientWidth || image_->height() != clientHeight) return;
    image_->write(window_, gc_);
}

}  // namespace platform::linux_
