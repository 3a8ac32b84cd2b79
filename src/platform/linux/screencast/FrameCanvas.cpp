#include "platform/linux/screencast/FrameCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::linux_::screencast {

void convertPixels(StreamFormat format, const std::uint8_t* from, std::uint32_t* to, int count) {
    if (format == StreamFormat::BGRx || format == StreamFormat::BGRA) {
        // Already the view's layout in memory, apart from the top byte.
        std::memcpy(to, from, static_cast<std::size_t>(count) * 4);
        std::for_each(to, to + count, [](std::uint32_t& p) { p &= 0xFFFFFFu; });
        return;
    }
    for (int i = 0; i < count; ++i, from += 4) {
        // The view has no alpha: a half-transparent pixel is shown as the compositor stored it.
        to[i] = (static_cast<std::uint32_t>(from[0]) << 16) | (static_cast<std::uint32_t>(from[1]) << 8) | from[2];
    }
}

Rect placeStream(const StreamPlacement& placement, int frameWidth, int frameHeight) {
    if (frameWidth <= 0 || frameHeight <= 0) {
        return Rect{placement.x, placement.y, placement.x + std::max(placement.width, 0),
                    placement.y + std::max(placement.height, 0)};
    }
    // A frame larger than the reported size is a monitor scaled in a logical layout; the scale
    // carries the position into the same real pixels. Equal sizes (or a size not reported) are
    // the common case and scale nothing.
    const double scale = placement.width > 0 ? static_cast<double>(frameWidth) / placement.width : 1.0;
    const int x = static_cast<int>(std::lround(placement.x * scale));
    const int y = static_cast<int>(std::lround(placement.y * scale));
    return Rect{x, y, x + frameWidth, y + frameHeight};
}

FrameCanvas::FrameCanvas(std::vector<StreamPlacement> streams)
    : placements_(std::move(streams)), frames_(placements_.size()) {
    for (const StreamPlacement& placement : placements_) areas_.push_back(placeStream(placement, 0, 0));
    measure();
}

void FrameCanvas::measure() {
    width_ = height_ = 0;
    for (const Rect& area : areas_) {
        width_ = std::max(width_, area.right);
        height_ = std::max(height_, area.bottom);
    }
}

void FrameCanvas::setFrameSize(std::size_t index, int width, int height) {
    if (index >= placements_.size()) return;
    areas_[index] = placeStream(placements_[index], width, height);
    measure();
}

void FrameCanvas::setFrame(std::size_t index, std::optional<StreamFrame> frame) {
    if (index < frames_.size()) frames_[index] = frame;
}

std::optional<Point> FrameCanvas::toScreen(std::size_t index, int x, int y) const {
    if (index >= areas_.size()) return std::nullopt;
    return Point{areas_[index].left + x, areas_[index].top + y};
}

void FrameCanvas::read(int x, int y, const soft::Surface& to) const {
    for (int row = 0; row < to.height; ++row) std::fill_n(to.row(row), to.width, 0u);
    for (std::size_t i = 0; i < areas_.size(); ++i) {
        if (!frames_[i]) continue;
        const StreamFrame& frame = *frames_[i];
        const Rect& area = areas_[i];
        // The part of the rectangle that this frame covers, in screen coordinates.
        const int left = std::max(x, area.left);
        const int top = std::max(y, area.top);
        const int right = std::min({x + to.width, area.left + frame.width, area.right});
        const int bottom = std::min({y + to.height, area.top + frame.height, area.bottom});
        if (right <= left || bottom <= top) continue;
        for (int screenY = top; screenY < bottom; ++screenY) {
            const std::uint8_t* from = frame.data + static_cast<std::ptrdiff_t>(screenY - area.top) * frame.stride +
                                       static_cast<std::ptrdiff_t>(left - area.left) * 4;
            convertPixels(frame.format, from, to.row(screenY - y) + (left - x), right - left);
        }
    }
}

}  // namespace platform::linux_::screencast
