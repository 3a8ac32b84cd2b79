#include "platform/soft/ViewFrame.h"

#include <algorithm>
#include <cmath>

namespace platform::soft {

bool ViewFrame::GraphicsSource::bitmapSize(Handle bitmap, int& width, int& height) {
    return graphics_.bitmapSize(bitmap, width, height);
}

std::optional<ConstSurface> ViewFrame::GraphicsSource::bitmapPixels(Handle bitmap, const PixelBounds& bounds) {
    return graphics_.bitmapPixels(bitmap, bounds);
}

bool ViewFrame::GraphicsSource::screenOrigin(Handle bitmap, int& x, int& y) {
    return graphics_.screenOrigin(bitmap, x, y);
}

Rect ViewFrame::GraphicsSource::screenBounds() const {
    return Rect{0, 0, graphics_.screen().width(), graphics_.screen().height()};
}

ScreenChange ViewFrame::GraphicsSource::changedSinceLastCheck(const Rect& area) {
    return graphics_.screen().changedSinceLastCheck(area);
}

void ViewFrame::drawLine(const Surface& to, const FrameOperation& op) const {
    const std::uint32_t black = graphics_.screen().fromRgb(0);
    const std::uint32_t white = graphics_.screen().fromRgb(0xFFFFFF);
    for (const LineSegment& s : lineSegments(op)) {
        // Clipped to the surface.
        for (int y = std::max(s.top, 0); y <= std::min(s.bottom, to.height - 1); ++y) {
            for (int x = std::max(s.left, 0); x <= std::min(s.right, to.width - 1); ++x) {
                to.row(y)[x] = ((x + y) & 1) != 0 ? white : black;
            }
        }
    }
}

bool ViewFrame::GraphicsSource::drawsChangesDirect(const Rect& area) {
    const bool meetsOwn = area.left < ownArea.right && ownArea.left < area.right && area.top < ownArea.bottom &&
                          ownArea.top < area.bottom;
    return directChanges && !meetsOwn;
}

bool ViewFrame::finish(const Surface& to, TextPainter* texts) {
    if (!record_.decide(to.width, to.height)) return false;
    record_.drawn(draw(to, texts));
    return true;
}

bool ViewFrame::draw(const Surface& to, TextPainter* texts) {
    bool complete = true;
    const auto& ops = record_.frame();
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const FrameOperation& op = ops[i];
        if (op.isLine) {
            drawLine(to, op);
        } else if (op.isText) {
            if (texts != nullptr &&
                !texts->draw(to, static_cast<int>(std::floor(op.x)), static_cast<int>(std::floor(op.y)), op.text)) {
                complete = false;
            }
        } else if (!record_.drawsDirect()) {
            stretchCopy(record_.keptPixels(i), op.source, to, op.dest);
        } else {
            // Pixels that cannot be read paint black, as beyond the edges of any picture.
            const auto pixels = graphics_.bitmapPixels(op.picture->bitmap(), op.sourcePixels());
            stretchCopy(pixels ? *pixels : ConstSurface{}, op.source, to, op.dest);
        }
    }
    return complete;
}

}  // namespace platform::soft
