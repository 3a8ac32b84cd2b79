// The extensions' headers need Xlib's macros, which the back end's own headers take away.
#include <X11/Xlib-xcb.h>
#include <X11/extensions/Xrender.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/linux/X11RenderBuffer.h"

namespace platform::linux_ {

struct RenderFormats {
    XRenderPictFormat* screen = nullptr;
    XRenderPictFormat* argb = nullptr;
};

namespace {

// Sample points lie at least 1/36 of a pixel (zoom 18) from a pixel's edge; a composite no wider
// than this keeps the rounding of the scale in 16.16 fixed point well below that.
constexpr int kTileSize = 1024;
constexpr std::size_t kMaxCachedTexts = 64;

XFixed toFixed(double value) { return static_cast<XFixed>(std::llround(value * 65536.0)); }

// Destination pixels whose centres lie in [start, start + length), within [0, limit).
void destinationSpan(double start, double length, int limit, int& first, int& last) {
    first = std::max(0, static_cast<int>(std::ceil(start - 0.5)));
    last = std::min(limit, static_cast<int>(std::ceil(start + length - 0.5)));
}

// Tiles start on whole source pixels where the scale is one over a whole number.
int tileFor(double scale) {
    const long zoom = std::lround(1.0 / scale);
    if (zoom < 1 || zoom > kTileSize || std::abs(1.0 / scale - static_cast<double>(zoom)) > 1e-9) return kTileSize;
    return kTileSize - kTileSize % static_cast<int>(zoom);
}

}  // namespace

ServerPicture::ServerPicture(::Display* display, Drawable root, int width, int height, int depth, const void* format)
    : display_(display), width_(width), height_(height) {
    pixmap_ = XCreatePixmap(display, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            static_cast<unsigned>(depth));
    picture_ = XRenderCreatePicture(display, pixmap_, static_cast<const XRenderPictFormat*>(format), 0, nullptr);
}

ServerPicture::~ServerPicture() { release(); }

ServerPicture::ServerPicture(ServerPicture&& other) noexcept
    : display_(other.display_),
      pixmap_(std::exchange(other.pixmap_, 0)),
      picture_(std::exchange(other.picture_, 0)),
      width_(other.width_),
      height_(other.height_) {}

ServerPicture& ServerPicture::operator=(ServerPicture&& other) noexcept {
    if (this == &other) return *this;
    release();
    display_ = other.display_;
    pixmap_ = std::exchange(other.pixmap_, 0);
    picture_ = std::exchange(other.picture_, 0);
    width_ = other.width_;
    height_ = other.height_;
    return *this;
}

void ServerPicture::release() {
    if (picture_ != 0) XRenderFreePicture(display_, picture_);
    if (pixmap_ != 0) XFreePixmap(display_, pixmap_);
    picture_ = 0;
    pixmap_ = 0;
}

bool X11RenderBuffer::usable(::Display* display, std::string& why) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRenderQueryExtension(display, &eventBase, &errorBase) || !XRenderQueryVersion(display, &major, &minor)) {
        why = "the X server has no Render extension";
        return false;
    }
    if (major == 0 && minor < 6) {
        why = "the X server's Render extension is older than 0.6";
        return false;
    }
    const int screen = DefaultScreen(display);
    const Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    if ((visual->c_class != TrueColor && visual->c_class != DirectColor) ||
        (depth != 15 && depth != 16 && depth != 24 && depth != 30)) {
        why = "the screen's pixels are not colour channels of 15, 16, 24 or 30 bits";
        return false;
    }
    const XRenderPictFormat* format = XRenderFindVisualFormat(display, visual);
    if (format == nullptr || format->type != PictTypeDirect) {
        why = "Render has no format for the screen's visual";
        return false;
    }
    if (XRenderFindStandardFormat(display, PictStandardARGB32) == nullptr) {
        why = "Render has no 32-bit ARGB format";
        return false;
    }
    return true;
}

X11RenderBuffer::X11RenderBuffer(X11Display& display, Handle window, soft::SoftGraphics& graphics, bool screenIsRoot)
    : display_(display),
      x_(display.get()),
      window_(window),
      graphics_(graphics),
      depth_(DefaultDepth(x_, display.screen())),
      formats_(std::make_unique<RenderFormats>()),
      upload_(display, DefaultVisual(x_, display.screen()), depth_),
      screenIsRoot_(screenIsRoot) {
    formats_->screen = XRenderFindVisualFormat(x_, DefaultVisual(x_, display.screen()));
    formats_->argb = XRenderFindStandardFormat(x_, PictStandardARGB32);
    ::Display* x = x_;
    // The window shows the screen's colours through the screen's colormap, as in memory.
    XSetWindowColormap(x, window_, DefaultColormap(x, display.screen()));
    XGCValues values{};
    values.subwindow_mode = IncludeInferiors;
    values.graphics_exposures = kXFalse;
    rootGc_ = XCreateGC(x, display.root(), GCSubwindowMode | GCGraphicsExposures, &values);
    // Pixel 0 is black on every screen this path serves, as the memory path assumes too.
    values.foreground = 0;
    bufferGc_ = XCreateGC(x, display.root(), GCForeground | GCGraphicsExposures, &values);
    windowGc_ = XCreateGC(x, window_, GCGraphicsExposures, &values);
    // Nothing is painted before the first tick, and the server must not clear what the tick put.
    XSetWindowBackgroundPixmap(x, window_, kXNone);
}

X11RenderBuffer::~X11RenderBuffer() {
    texts_.clear();
    buffer_ = ServerPicture();
    source_ = ServerPicture();
    linePattern_ = ServerPicture();
    XFreeGC(x_, rootGc_);
    XFreeGC(x_, bufferGc_);
    XFreeGC(x_, windowGc_);
    awaitLastFrame();
}

bool X11RenderBuffer::prepare(int width, int height) {
    if (buffer_.ok() && buffer_.width() == width && buffer_.height() == height) return true;
    if (width <= 0 || height <= 0) return false;
    buffer_ = ServerPicture(x_, display_.root(), width, height, depth_, formats_->screen);
    XFillRectangle(x_, buffer_.pixmap(), bufferGc_, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    return buffer_.ok();
}

void X11RenderBuffer::awaitLastFrame() {
    if (!markerPending_) return;
    markerPending_ = false;
    xcb_connection_t* connection = XGetXCBConnection(x_);
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus_cookie_t{frameMarker_}, nullptr));
}

bool X11RenderBuffer::draw(soft::ViewFrame& frame) {
    // What lay beyond a screen that has since grown was drawn black: drawn again at the new size,
    // whatever the damage events said before the size was known.
    const int screenWidth = graphics_.screen().width(), screenHeight = graphics_.screen().height();
    if (screenWidth != screenWidth_ || screenHeight != screenHeight_) frame.invalidate();
    screenWidth_ = screenWidth;
    screenHeight_ = screenHeight;
    soft::FrameRecord& record = frame.record();
    if (!record.decide(buffer_.width(), buffer_.height())) return false;
    awaitLastFrame();
    record.drawn(drawFrame(record));
    drawn_ = true;
    return true;
}

bool X11RenderBuffer::drawFrame(const soft::FrameRecord& record) {
    bool complete = true;
    for (const soft::FrameOperation& op : record.frame()) {
        if (op.isText) {
            complete = drawText(static_cast<int>(std::floor(op.x)), static_cast<int>(std::floor(op.y)), op.text) &&
                       complete;
        } else if (op.isLine) {
            drawLine(op);
        } else {
            drawPicture(op);
        }
    }
    return complete;
}

bool X11RenderBuffer::prepareLinePattern() {
    if (linePattern_.ok()) return true;
    linePattern_ = ServerPicture(x_, display_.root(), 2, 2, depth_, formats_->screen);
    if (!linePattern_.ok()) return false;
    XFillRectangle(x_, linePattern_.pixmap(), bufferGc_, 0, 0, 2, 2);
    XGCValues values{};
    values.foreground = graphics_.screen().fromRgb(0xFFFFFF);
    values.graphics_exposures = kXFalse;
    GC white = XCreateGC(x_, linePattern_.pixmap(), GCForeground | GCGraphicsExposures, &values);
    XDrawPoint(x_, linePattern_.pixmap(), white, 1, 0);
    XDrawPoint(x_, linePattern_.pixmap(), white, 0, 1);
    XFreeGC(x_, white);
    XRenderPictureAttributes repeat{};
    repeat.repeat = RepeatNormal;
    XRenderChangePicture(x_, linePattern_.picture(), CPRepeat, &repeat);
    return true;
}

void X11RenderBuffer::drawLine(const soft::FrameOperation& op) {
    if (!prepareLinePattern()) return;
    // The pattern is read at the destination's own coordinates, so each pixel's colour depends
    // on where it is, as on the memory path.
    for (const soft::LineSegment& s : soft::lineSegments(op)) {
        const int left = std::max(s.left, 0), right = std::min(s.right, buffer_.width() - 1);
        const int top = std::max(s.top, 0), bottom = std::min(s.bottom, buffer_.height() - 1);
        if (left > right || top > bottom) continue;
        XRenderComposite(x_, PictOpSrc, linePattern_.picture(), kXNone, buffer_.picture(), left, top, 0, 0, left, top,
                         static_cast<unsigned>(right - left + 1), static_cast<unsigned>(bottom - top + 1));
    }
}

void X11RenderBuffer::fillSource(const soft::FrameOperation& op, const soft::PixelBounds& bounds) {
    const int width = bounds.x1 - bounds.x0, height = bounds.y1 - bounds.y0;
    // Exactly the bounds: Render reads beyond them as transparent, which a plain copy makes black.
    if (!source_.ok() || source_.width() != width || source_.height() != height) {
        source_ = ServerPicture(x_, display_.root(), width, height, depth_, formats_->screen);
        XRenderSetPictureFilter(x_, source_.picture(), FilterNearest, nullptr, 0);
    }
    if (op.fromScreen && screenIsRoot_) {
        // The screen's pixels where the rectangle is on the screen, black where it leaves it.
        const int left = op.originX + bounds.x0, top = op.originY + bounds.y0;
        const int x0 = std::max(left, 0), y0 = std::max(top, 0);
        const int x1 = std::min(left + width, graphics_.screen().width());
        const int y1 = std::min(top + height, graphics_.screen().height());
        if (x0 != left || y0 != top || x1 != left + width || y1 != top + height) {
            XFillRectangle(x_, source_.pixmap(), bufferGc_, 0, 0, static_cast<unsigned>(width),
                           static_cast<unsigned>(height));
        }
        if (x0 < x1 && y0 < y1) {
            XCopyArea(x_, display_.root(), source_.pixmap(), rootGc_, x0, y0, static_cast<unsigned>(x1 - x0),
                      static_cast<unsigned>(y1 - y0), x0 - left, y0 - top);
        }
        return;
    }
    // A bitmap of the program's memory: its pixels go up once; unreadable ones are black.
    const auto pixels = graphics_.bitmapPixels(op.picture->bitmap(), bounds);
    if (!upload_.resize(width, height)) return;
    const soft::Surface to = upload_.surface();
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = to.row(y);
        if (pixels) {
            std::memcpy(row, pixels->row(bounds.y0 + y) + (bounds.x0 - pixels->originX),
                        static_cast<std::size_t>(width) * sizeof(std::uint32_t));
        } else {
            std::fill(row, row + width, 0u);
        }
    }
    upload_.write(source_.pixmap(), bufferGc_);
    upload_.awaitWritten();
}

void X11RenderBuffer::drawPicture(const soft::FrameOperation& op) {
    if (op.dest.width <= 0 || op.dest.height <= 0 || op.source.width <= 0 || op.source.height <= 0) return;
    int dx0 = 0, dx1 = 0, dy0 = 0, dy1 = 0;
    destinationSpan(op.dest.x, op.dest.width, buffer_.width(), dx0, dx1);
    destinationSpan(op.dest.y, op.dest.height, buffer_.height(), dy0, dy1);
    if (dx0 >= dx1 || dy0 >= dy1) return;
    const soft::PixelBounds bounds = op.sourcePixels();
    if (bounds.x0 >= bounds.x1 || bounds.y0 >= bounds.y1) {
        // Nothing of the picture is read: black, as beyond the edges of any picture.
        XFillRectangle(x_, buffer_.pixmap(), bufferGc_, dx0, dy0, static_cast<unsigned>(dx1 - dx0),
                       static_cast<unsigned>(dy1 - dy0));
        return;
    }
    fillSource(op, bounds);
    const double scaleX = op.source.width / op.dest.width, scaleY = op.source.height / op.dest.height;
    const int tileX = tileFor(scaleX), tileY = tileFor(scaleY);
    // Destination pixel (dx, dy) takes source pixel floor(source.x + (dx - dest.x + 0.5) * scale):
    // Render samples each destination pixel's centre through the transform, so a tile starting at
    // (tx, ty) is translated to where that pixel's left and top edges fall in the source.
    for (int ty = dy0; ty < dy1; ty += tileY) {
        for (int tx = dx0; tx < dx1; tx += tileX) {
            const double sourceX = op.source.x - bounds.x0 + (tx - op.dest.x) * scaleX;
            const double sourceY = op.source.y - bounds.y0 + (ty - op.dest.y) * scaleY;
            XTransform transform{{{toFixed(scaleX), 0, toFixed(sourceX)},
                                  {0, toFixed(scaleY), toFixed(sourceY)},
                                  {0, 0, toFixed(1.0)}}};
            XRenderSetPictureTransform(x_, source_.picture(), &transform);
            XRenderComposite(x_, PictOpSrc, source_.picture(), 0, buffer_.picture(), 0, 0, 0, 0, tx, ty,
                             static_cast<unsigned>(std::min(tileX, dx1 - tx)),
                             static_cast<unsigned>(std::min(tileY, dy1 - ty)));
        }
    }
}

bool X11RenderBuffer::drawText(int x, int y, const std::string& text) {
    auto found = texts_.find(text);
    if (found == texts_.end()) {
        std::optional<QImage> image = images_.make(text);
        if (!image) return false;
        if (texts_.size() >= kMaxCachedTexts) texts_.clear();
        Text made;
        if (image->width() > 0 && image->height() > 0) {
            made.picture = ServerPicture(x_, display_.root(), image->width(), image->height(), 32, formats_->argb);
            // Premultiplied ARGB in this machine's byte order, as Render's ARGB32 reads it.
            XImage* upload = XCreateImage(x_, nullptr, 32, ZPixmap, 0, reinterpret_cast<char*>(image->bits()),
                                          static_cast<unsigned>(image->width()), static_cast<unsigned>(image->height()),
                                          32, static_cast<int>(image->bytesPerLine()));
            if (upload != nullptr) {
                upload->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
                GC gc = XCreateGC(x_, made.picture.pixmap(), 0, nullptr);
                XPutImage(x_, made.picture.pixmap(), gc, upload, 0, 0, 0, 0, static_cast<unsigned>(image->width()),
                          static_cast<unsigned>(image->height()));
                XFreeGC(x_, gc);
                upload->data = nullptr;  // the QImage's
                XDestroyImage(upload);
            }
        }
        found = texts_.emplace(text, std::move(made)).first;
    }
    const ServerPicture& picture = found->second.picture;
    if (picture.ok()) {
        XRenderComposite(x_, PictOpOver, picture.picture(), 0, buffer_.picture(), 0, 0, 0, 0,
                         x - TextImages::kOutline, y - TextImages::kOutline, static_cast<unsigned>(picture.width()),
                         static_cast<unsigned>(picture.height()));
    }
    return true;
}

void X11RenderBuffer::present(int clientWidth, int clientHeight) {
    // Nothing is shown before the first tick has drawn.
    if (!drawn_ || buffer_.width() != clientWidth || buffer_.height() != clientHeight) return;
    XCopyArea(x_, buffer_.pixmap(), window_, windowGc_, 0, 0, static_cast<unsigned>(clientWidth),
              static_cast<unsigned>(clientHeight), 0, 0);
    XFlush(x_);
    // Answered once the server has drawn all of it; the next frame waits for that answer.
    if (!markerPending_) {
        xcb_connection_t* connection = XGetXCBConnection(x_);
        frameMarker_ = xcb_get_input_focus(connection).sequence;
        markerPending_ = true;
        xcb_flush(connection);
    }
}

}  // namespace platform::linux_
