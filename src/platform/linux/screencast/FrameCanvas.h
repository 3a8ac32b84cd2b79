#pragma once
// The shared screen as the portal delivers it: one stream per monitor, each placed on the
// desktop. The canvas keeps no pixels of its own: each stream's newest frame stays in the
// buffer it came in, and a read converts only the rectangle asked for into the view's pixel
// layout (0x00RRGGBB); what no stream covers reads black.
//
// Coordinates are the frames' own pixels. On a desktop laid out in logical pixels (fractional
// or per-monitor scaling) the portal gives positions and sizes in logical pixels while frames
// and the pointer metadata are in the monitor's real pixels; each stream's scale is taken from
// its frame size against the size the portal reported, and its position scaled with it.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Types.h"
#include "platform/soft/Surface.h"

namespace platform::linux_::screencast {

// 32-bit layouts a screen-cast stream may use, named by their bytes in memory.
enum class StreamFormat { BGRx, BGRA, RGBx, RGBA };

// Where the portal says a stream's picture lies on the desktop.
struct StreamPlacement {
    std::uint32_t node = 0;  // the PipeWire node the stream comes from
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A stream's newest picture, in memory that stays valid until the stream replaces it.
struct StreamFrame {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;  // rows present in memory
    int stride = 0;
    StreamFormat format = StreamFormat::BGRx;
};

// Converts `count` pixels of the given layout to 0x00RRGGBB.
void convertPixels(StreamFormat format, const std::uint8_t* from, std::uint32_t* to, int count);

// The stream's area on the screen in its frames' pixels, for frames of the given size.
Rect placeStream(const StreamPlacement& placement, int frameWidth, int frameHeight);

class FrameCanvas {
public:
    explicit FrameCanvas(std::vector<StreamPlacement> streams);

    // The screen spans from (0, 0) to the right and bottom edge of the farthest stream; streams
    // left of or above the origin are cut there, as X11's root window would cut them.
    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t count() const { return placements_.size(); }
    const std::vector<StreamPlacement>& placements() const { return placements_; }
    const Rect& area(std::size_t index) const { return areas_[index]; }

    // The stream negotiated frames of this size: it is placed anew by them.
    void setFrameSize(std::size_t index, int width, int height);
    // The stream's newest picture, or none; the memory must stay valid until replaced or cleared.
    void setFrame(std::size_t index, std::optional<StreamFrame> frame);
    // The screen position of a point given relative to stream `index`.
    std::optional<Point> toScreen(std::size_t index, int x, int y) const;
    // Copies the screen rectangle (x, y, to.width, to.height) into `to`; black where no frame is.
    void read(int x, int y, const soft::Surface& to) const;

private:
    void measure();

    std::vector<StreamPlacement> placements_;
    std::vector<Rect> areas_;
    std::vector<std::optional<StreamFrame>> frames_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace platform::linux_::screencast
