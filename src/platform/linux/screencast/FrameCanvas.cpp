#include "platform/linux/screencast/FrameCanvas.h"

#include <algorithm>
#include <cstring>

namespace platform::linux_::screencast {

void convertPixels(StreamFormat format, const std::uint8_t* from, std::uint32_t* to, int count) {
    const bool redFirst = format == StreamFormat::RGBx || format == StreamFormat::RGBA;
    for (int i = 0; i < count; ++i, from += 4) {
        const std::uint32_t red = redFirst ? from[0] : from[2];
        const std::uint32_t blue = redFirst ? from[2] : from[0];
        // The view has no alpha: a half-transparent pixel is shown as the compositor stored it.
        to[i] = (red << 16) | (static_cast<std::uint32_t>(from[1]) << 8) | blue;
    }
}

FrameCanvas::FrameCanvas(std::vector<StreamPlacement> streams) : streams_(std::move(streams)) {
    for (const StreamPlacement& s : streams_) {
        width_ = std::max(width_, s.x + std::max(s.width, 0));
        height_ = std::max(height_, s.y + std::max(s.height, 0));
    }
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0u);
}

void FrameCanvas::putFrame(std::size_t index, const std::uint8_t* data, int width, int height, int stride,
                           StreamFormat format) {
    if (index >= streams_.size() || data == nullptr) return;
    const StreamPlacement& s = streams_[index];
    // The part of the frame that lies both in the stream's area and on the canvas.
    const int x0 = std::max(0, -s.x), y0 = std::max(0, -s.y);
    const int x1 = std::min({width, s.width, width_ - s.x});
    const int y1 = std::min({height, s.height, height_ - s.y});
    if (x1 <= x0 || y1 <= y0) return;
    for (int row = y0; row < y1; ++row) {
        const std::uint8_t* from = data + static_cast<std::ptrdiff_t>(row) * stride + x0 * 4;
        std::uint32_t* to = pixels_.data() + static_cast<std::size_t>(s.y + row) * width_ + (s.x + x0);
        if (format == StreamFormat::BGRx || format == StreamFormat::BGRA) {
            // Already the view's layout in memory, apart from the top byte.
            std::memcpy(to, from, static_cast<std::size_t>(x1 - x0) * 4);
            std::for_each(to, to + (x1 - x0), [](std::uint32_t& p) { p &= 0xFFFFFFu; });
        } else {
            convertPixels(format, from, to, x1 - x0);
        }
    }
}

std::optional<Point> FrameCanvas::toScreen(std::size_t index, int x, int y) const {
    if (index >= streams_.size()) return std::nullopt;
    return Point{streams_[index].x + x, streams_[index].y + y};
}

void FrameCanvas::read(int x, int y, const soft::Surface& to) const {
    for (int row = 0; row < to.height; ++row) {
        const std::uint32_t* from = pixels_.data() + static_cast<std::size_t>(y + row) * width_ + x;
        std::memcpy(to.row(row), from, static_cast<std::size_t>(to.width) * 4);
    }
}

}  // namespace platform::linux_::screencast
