#include "platform/linux/X11Image.h"

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <chrono>
#include <cstdlib>

#include "base/DebugSwitches.h"
#include "platform/linux/X11Display.h"

namespace platform::linux_ {
namespace {

// Far above what the server needs to take even a screen-sized image.
constexpr std::chrono::milliseconds kWriteTimeout{2000};

// Memory held for `needed` is kept while it is enough and not more than twice as much: a window
// resized by dragging does not reallocate at every step, and one that grew huge and shrank
// again gives the memory back.
bool supportedLayout(const XImage& image) {
    const int bits = image.bits_per_pixel;
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool fits(std::size_t needed, std::size_t held) { return needed <= held && held / 2 <= needed; }

bool sharedMemoryWanted(::Display* display) {
    // A remote display cannot see this machine's memory; the extension then refuses the attach,
    // which attachSegment() notices. An override helps compare both paths.
    return !base::debugSwitches().noSharedMemory && XShmQueryExtension(display);
}

}  // namespace

X11Image::X11Image(X11Display& display, Visual* visual, int depth)
    : connection_(display), display_(display.get()), visual_(visual), depth_(depth), shm_(sharedMemoryWanted(display_)) {
    if (!shm_) return;
    completions_ = connection_.subscribe(XShmGetEventBase(display_) + ShmCompletion, [this](XEvent& event) {
        if (reinterpret_cast<const XShmCompletionEvent&>(event).shmseg == segment_.shmseg) written_ = true;
    });
}

X11Image::~X11Image() {
    awaitWritten();
    releaseImage();
    releaseSegment();
}

void X11Image::releaseImage() {
    if (image_ == nullptr) return;
    // The pixel memory is ours (segment or heap), not the image's.
    image_->data = nullptr;
    XDestroyImage(image_);
    image_ = nullptr;
}

void X11Image::releaseSegment() {
    awaitWritten();
    if (segmentBytes_ == 0) return;
    XShmDetach(display_, &segment_);
    XSync(display_, kXFalse);
    shmdt(segment_.shmaddr);
    segment_ = XShmSegmentInfo{};
    segmentBytes_ = 0;
}

bool X11Image::attachSegment(std::size_t bytes) {
    releaseSegment();
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) return false;
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    segment_.shmid = id;
    segment_.shmaddr = static_cast<char*>(address);
    segment_.readOnly = kXFalse;
    bool attached = false;
    {
        X11ErrorTrap trap(display_);
        attached = XShmAttach(display_, &segment_) && trap.succeeded();
    }
    // Marked for removal now: it goes away by itself once both sides have detached, even if this
    // process dies.
    shmctl(id, IPC_RMID, nullptr);
    if (!attached) {
        shmdt(address);
        segment_ = XShmSegmentInfo{};
        return false;
    }
    segmentBytes_ = bytes;
    return true;
}

bool X11Image::resize(int width, int height) {
    if (image_ != nullptr && width == width_ && height == height_) return true;
    awaitWritten();
    releaseImage();
    width_ = height_ = 0;
    if (width <= 0 || height <= 0) return false;
    // The layout first, without memory: the server decides how many bits a pixel takes.
    const auto w = static_cast<unsigned>(width), h = static_cast<unsigned>(height);
    if (shm_) {
        image_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &segment_, w, h);
    } else {
        image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr, w, h, 32, 0);
    }
    if (image_ == nullptr || !supportedLayout(*image_)) {
        releaseImage();
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(image_->bytes_per_line) * h;
    if (shm_) {
        if (!fits(bytes, segmentBytes_) && !attachSegment(bytes)) {
            shm_ = false;  // e.g. a remote display: the protocol path from now on
            releaseImage();
            return resize(width, height);
        }
        image_->data = segment_.shmaddr;
    } else {
        const std::size_t words = (bytes + 3) / 4;
        if (!fits(words, heapPixels_)) {
            heap_.reset();
            heap_ = std::make_unique_for_overwrite<std::uint32_t[]>(words);
            heapPixels_ = words;
        }
        image_->data = reinterpret_cast<char*>(heap_.get());
        // Packed in this machine's order; Xlib converts for a server of the other order.
        image_->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    }
    // 32-bit pixels in packed rows are used in place; other layouts, and pixels that need
    // translating to another visual, go through 32-bit pixels of their own.
    direct_ = image_->bits_per_pixel == 32 && image_->bytes_per_line == width * 4 && translateFrom_ == nullptr;
    const std::size_t pixels = static_cast<std::size_t>(width) * h;
    if (direct_) {
        staging_.reset();
        stagingPixels_ = 0;
    } else if (!fits(pixels, stagingPixels_)) {
        staging_.reset();
        staging_ = std::make_unique_for_overwrite<std::uint32_t[]>(pixels);
        stagingPixels_ = pixels;
    }
    width_ = width;
    height_ = height;
    return true;
}

void X11Image::setTranslation(const PixelFormat* from, const PixelFormat* to) {
    awaitWritten();
    releaseImage();
    width_ = height_ = 0;
    translateFrom_ = from;
    translateTo_ = to;
}

soft::Surface X11Image::surface() {
    if (image_ == nullptr) return {};
    std::uint32_t* pixels = direct_ ? reinterpret_cast<std::uint32_t*>(image_->data) : staging_.get();
    return soft::Surface{pixels, width_, height_, width_};
}

void X11Image::pack() {
    const int bytes = image_->bits_per_pixel / 8;
    const bool little = image_->byte_order == LSBFirst;
    for (int y = 0; y < height_; ++y) {
        const std::uint32_t* in = staging_.get() + static_cast<std::ptrdiff_t>(y) * width_;
        auto* out = reinterpret_cast<unsigned char*>(image_->data) +
                    static_cast<std::ptrdiff_t>(y) * image_->bytes_per_line;
        for (int x = 0; x < width_; ++x, out += bytes) {
            std::uint32_t p = in[x];
            if (translateFrom_ != nullptr) p = translateTo_->fromRgb(translateFrom_->toRgb(p));
            for (int b = 0; b < bytes; ++b) out[little ? b : bytes - 1 - b] = static_cast<unsigned char>(p >> (8 * b));
        }
    }
}

void X11Image::unpack() {
    const int bytes = image_->bits_per_pixel / 8;
    const bool little = image_->byte_order == LSBFirst;
    for (int y = 0; y < height_; ++y) {
        std::uint32_t* out = staging_.get() + static_cast<std::ptrdiff_t>(y) * width_;
        const auto* in = reinterpret_cast<const unsigned char*>(image_->data) +
                         static_cast<std::ptrdiff_t>(y) * image_->bytes_per_line;
        for (int x = 0; x < width_; ++x, in += bytes) {
            std::uint32_t p = 0;
            for (int b = 0; b < bytes; ++b) p |= static_cast<std::uint32_t>(in[little ? b : bytes - 1 - b]) << (8 * b);
            out[x] = p;
        }
    }
}

bool X11Image::read(Drawable drawable, int x, int y) {
    if (image_ == nullptr) return false;
    bool ok = false;
    if (shm_) {
        ok = XShmGetImage(display_, drawable, image_, x, y, AllPlanes) != 0;
    } else {
        ok = XGetSubImage(display_, drawable, x, y, static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                          AllPlanes, ZPixmap, image_, 0, 0) != nullptr;
    }
    if (ok && !direct_) unpack();
    return ok;
}

bool X11Image::awaitWritten() {
    if (!writePending_) return true;
    writePending_ = false;
    // The answer never comes when the request failed (the window was destroyed by another
    // client, say), and a server that stopped answering must not freeze the program: the wait
    // ends on the request's error or after a bound, and the pixels may then be reused early.
    const auto deadline = std::chrono::steady_clock::now() + kWriteTimeout;
    for (;;) {
        // Usually the answer has arrived, and been handed out, with other events already.
        if (written_) return true;
        if (lastXErrorSerial() == putSerial_) return false;
        connection_.dispatchPending(true);
        if (written_) return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd connection{ConnectionNumber(display_), POLLIN, 0};
        if (XEventsQueued(display_, QueuedAlready) == 0) ::poll(&connection, 1, static_cast<int>(left.count()));
    }
}

void X11Image::write(Drawable drawable, GC gc) {
    if (image_ == nullptr) return;
    if (!direct_) {
        awaitWritten();
        pack();
    }
    if (shm_) {
        awaitWritten();
        putSerial_ = NextRequest(display_);
        written_ = false;
        XShmPutImage(display_, drawable, gc, image_, 0, 0, 0, 0, static_cast<unsigned>(width_),
                     static_cast<unsigned>(height_), kXTrue);
        writePending_ = true;
        XFlush(display_);
    } else {
        XPutImage(display_, drawable, gc, image_, 0, 0, 0, 0, static_cast<unsigned>(width_),
                  static_cast<unsigned>(height_));
        XFlush(display_);
    }
}

}  // namespace platform::linux_
