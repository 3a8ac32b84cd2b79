#pragma once
// The view drawn inside the X server, as GDI draws into bitmaps that are system objects: the
// part of the screen a picture shows is copied from the root window into a pixmap of the server,
// enlarged into the window's back picture by a Render composite with a whole-number scale and the
// nearest filter, the texts laid over it from pictures made once per text, and the result copied
// to the window. No screen pixel passes through the program, so a remote display costs a few
// hundred bytes a frame instead of the whole picture.
//
// Further drawing operations (a line, a filled rectangle) go in drawFrame() as one more kind of
// operation, drawn with XRenderFillRectangles on `buffer_` in the order the frame lists them.
#include "platform/linux/X11Includes.h"

#include <map>
#include <memory>
#include <string>

#include "platform/linux/TextOverlay.h"
#include "platform/linux/ViewBuffer.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11Image.h"
#include "platform/soft/SoftGraphics.h"

namespace platform::linux_ {

// Render's own types, kept out of this header: its header needs Xlib's macros (X11Includes.h).
struct RenderFormats;
using RenderPicture = unsigned long;

// A pixmap of the server with a Render picture on it, freed with the object.
class ServerPicture {
public:
    ServerPicture() = default;
    // `format` is the Render format of pixmaps of `depth`.
    ServerPicture(::Display* display, Drawable root, int width, int height, int depth, const void* format);
    ~ServerPicture();
    ServerPicture(ServerPicture&& other) noexcept;
    ServerPicture& operator=(ServerPicture&& other) noexcept;
    ServerPicture(const ServerPicture&) = delete;
    ServerPicture& operator=(const ServerPicture&) = delete;

    bool ok() const { return picture_ != 0; }
    Pixmap pixmap() const { return pixmap_; }
    RenderPicture picture() const { return picture_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    void release();
    ::Display* display_ = nullptr;
    Pixmap pixmap_ = 0;
    RenderPicture picture_ = 0;
    int width_ = 0;
    int height_ = 0;
};

class X11RenderBuffer : public ViewBuffer {
public:
    // Whether the server can draw the view of this screen exactly: Render 0.6 or later (picture
    // transforms and filters), a screen whose pixels are colour channels (TrueColor or
    // DirectColor of 15, 16, 24 or 30 bits) with a Render format, and 32-bit ARGB for the texts.
    // Otherwise false, with the reason in `why`.
    static bool usable(::Display* display, std::string& why);

    // For the native window `window`, of the screen's visual; `graphics` holds the pictures'
    // bitmaps and the screen they were taken from.
    // `screenIsRoot` false: the screen's pictures come from elsewhere (the screen-cast portal),
    // and go up from the program's memory like any other picture.
    X11RenderBuffer(X11Display& display, Handle window, soft::SoftGraphics& graphics, bool screenIsRoot = true);
    ~X11RenderBuffer() override;
    X11RenderBuffer(const X11RenderBuffer&) = delete;
    X11RenderBuffer& operator=(const X11RenderBuffer&) = delete;

    bool prepare(int width, int height) override;
    bool draw(soft::ViewFrame& frame) override;
    void present(int clientWidth, int clientHeight) override;

private:
    // The frame's operations onto `buffer_`, in order; false when a text was left out.
    bool drawFrame(const soft::FrameRecord& record);
    void drawPicture(const soft::FrameOperation& op);
    // Fills `source_` with the pixels the operation reads, its top-left the bounds' corner.
    void fillSource(const soft::FrameOperation& op, const soft::PixelBounds& bounds);
    bool drawText(int x, int y, const std::string& text);
    // A line across or down, or a box, black and white by turns as on the memory path.
    void drawLine(const soft::FrameOperation& op);
    // The black-and-white pattern lines are cut from, made at the first line.
    bool prepareLinePattern();
    // The server has carried out the last frame's requests: a busy server is never sent frames
    // faster than it draws them.
    void awaitLastFrame();

    X11Display& display_;
    ::Display* x_;
    Handle window_;
    soft::SoftGraphics& graphics_;
    int depth_;
    std::unique_ptr<RenderFormats> formats_;
    GC rootGc_ = nullptr;    // copies from the root window with what its children show
    GC bufferGc_ = nullptr;  // between pixmaps of the screen's depth
    GC windowGc_ = nullptr;
    ServerPicture buffer_;
    ServerPicture source_;
    ServerPicture linePattern_;  // 2x2, repeated: white where x + y is odd
    X11Image upload_;  // pictures whose pixels are in the program's memory
    bool screenIsRoot_ = true;
    struct Text {
        ServerPicture picture;
    };
    std::map<std::string, Text> texts_;
    TextImages images_;
    unsigned int frameMarker_ = 0;  // the request that answers once the last frame is drawn
    bool markerPending_ = false;
    int screenWidth_ = 0;  // the screen's size at the last frame
    int screenHeight_ = 0;
    bool drawn_ = false;
};

}  // namespace platform::linux_
