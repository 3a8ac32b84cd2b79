#pragma once
// A 32-bit client-side image exchanged with the X server: through a shared-memory segment where
// the server offers MIT-SHM on this machine, else through the protocol. The segment is kept and
// grown as needed, so a steady stream of same-sized frames allocates nothing.
#include "platform/linux/X11Includes.h"

#include <cstdint>
#include <memory>

#include "platform/soft/Surface.h"

namespace platform::linuxx11 {

class X11Image {
public:
    X11Image(::Display* display, Visual* visual, int depth);
    ~X11Image();
    X11Image(const X11Image&) = delete;
    X11Image& operator=(const X11Image&) = delete;

    bool usesSharedMemory() const { return shm_; }
    // Makes the image width x height (rows packed); false when no memory could be had.
    bool resize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    soft::Surface surface();
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

    ::Display* display_;
    Visual* visual_;
    int depth_;
    bool shm_;
    XShmSegmentInfo segment_{};
    std::size_t segmentBytes_ = 0;
    std::unique_ptr<std::uint32_t[]> heap_;  // without shared memory
    std::size_t heapPixels_ = 0;
    XImage* image_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int completionEvent_ = -1;
    bool writePending_ = false;
    unsigned long putSerial_ = 0;
};

}  // namespace platform::linuxx11
