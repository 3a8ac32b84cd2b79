#pragma once
// A client-side image exchanged with the X server: through a shared-memory segment where the
// server offers MIT-SHM on this machine, else through the protocol. The segment is kept while
// its size fits, so a steady stream of same-sized frames allocates nothing. Its pixels are seen
// as 32-bit values whatever the visual's layout (8, 16, 24 or 32 bits a pixel): in place where
// the layout is 32-bit, else unpacked after a read and packed before a write.
#include "platform/linux/X11Includes.h"

#include <cstdint>
#include <memory>

#include "platform/linux/PixelFormat.h"
#include "platform/linux/X11Display.h"
#include "platform/soft/Surface.h"

namespace platform::linux_ {

class X11Image {
public:
    X11Image(X11Display& display, Visual* visual, int depth);
    ~X11Image();
    X11Image(const X11Image&) = delete;
    X11Image& operator=(const X11Image&) = delete;

    bool usesSharedMemory() const { return shm_; }
    // Makes the image width x height (rows packed); false when no memory could be had.
    bool resize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    soft::Surface surface();
    // The surface holds pixels of `from`, to be shown as the same colours in `to`, the image's
    // visual (both outlive the image); nulls for pixels that need no translation.
    void setTranslation(const PixelFormat* from, const PixelFormat* to);
    // Fills the image from the drawable at (x, y); the area must lie inside the drawable.
    bool read(Drawable drawable, int x, int y);
    // Puts the image at (0, 0) of the drawable. The server reads shared memory later: call
    // awaitWritten() before changing the pixels again.
    void write(Drawable drawable, GC gc);
    // Waits until the server has taken the pixels of the last write(). Usually its answer has
    // arrived with some other reply already, and this costs no round trip. False when the
    // write failed or no answer came in time.
    bool awaitWritten();

private:
    void releaseSegment();
    void releaseImage();
    bool attachSegment(std::size_t bytes);
    void pack();
    void unpack();

    X11Display& connection_;
    ::Display* display_;
    Visual* visual_;
    int depth_;
    bool shm_;
    XShmSegmentInfo segment_{};
    std::size_t segmentBytes_ = 0;
    std::unique_ptr<std::uint32_t[]> heap_;  // without shared memory
    std::size_t heapPixels_ = 0;
    std::unique_ptr<std::uint32_t[]> staging_;  // the pixels, unless they are used in place
    std::size_t stagingPixels_ = 0;
    bool direct_ = false;
    const PixelFormat* translateFrom_ = nullptr;
    const PixelFormat* translateTo_ = nullptr;
    XImage* image_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    X11Display::Subscription completions_;
    bool writePending_ = false;
    bool written_ = false;  // the server has taken the pixels of the last write
    unsigned long putSerial_ = 0;
};

}  // namespace platform::linux_
