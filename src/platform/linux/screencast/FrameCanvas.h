#pragma once
// The shared screen as the portal delivers it: one stream per monitor, each placed at its
// position on the desktop. The newest frame of every stream is copied into one screen-sized
// picture in the view's pixel layout (0x00RRGGBB); what no stream covers stays black.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Types.h"
#include "platform/soft/Surface.h"

namespace platform::linux_::screencast {

// 32-bit layouts a screen-cast stream may use, named by their bytes in memory.
enum class StreamFormat { BGRx, BGRA, RGBx, RGBA };

// Where a stream's picture lies on the desktop, in screen pixels.
struct StreamPlacement {
    std::uint32_t node = 0;  // the PipeWire node the stream comes from
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Converts `count` pixels of the given layout to 0x00RRGGBB.
void convertPixels(StreamFormat format, const std::uint8_t* from, std::uint32_t* to, int count);

class FrameCanvas {
public:
    // The screen spans from (0, 0) to the right and bottom edge of the farthest stream; streams
    // left of or above the origin are cut there, as X11's root window would cut them.
    explicit FrameCanvas(std::vector<StreamPlacement> streams);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<StreamPlacement>& streams() const { return streams_; }

    // Copies a frame of stream `index` into place. A frame larger than the stream's area is
    // cut to it; a smaller one leaves the rest of the area as it was.
    void putFrame(std::size_t index, const std::uint8_t* data, int width, int height, int stride, StreamFormat format);
    // The screen position of a point given relative to stream `index`.
    std::optional<Point> toScreen(std::size_t index, int x, int y) const;
    // Copies the rectangle (x, y, to.width, to.height), wholly inside the canvas, into `to`.
    void read(int x, int y, const soft::Surface& to) const;

private:
    std::vector<StreamPlacement> streams_;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace platform::linux_::screencast
