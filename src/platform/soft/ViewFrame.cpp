#include "platform/soft/ViewFrame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::soft {
namespace {

bool sameRect(const StretchRect& a, const StretchRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

bool isEmpty(const Rect& r) { return r.left >= r.right || r.top >= r.bottom; }

Rect unite(const Rect& a, const Rect& b) {
    if (isEmpty(a)) return b;
    if (isEmpty(b)) return a;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

}  // namespace

bool ViewFrame::Operation::sameLayout(const Operation& other) const {
    if (isText != other.isText) return false;
    if (isText) return x == other.x && y == other.y && text == other.text;
    return fromScreen == other.fromScreen && (!fromScreen || (originX == other.originX && originY == other.originY)) &&
           bitmapWidth == other.bitmapWidth && bitmapHeight == other.bitmapHeight && sameRect(dest, other.dest) &&
           sameRect(source, other.source);
}

void ViewFrame::paint(const PictureRef& picture, const StretchRect& dest, const StretchRect& source) {
    Operation op;
    if (!picture || !graphics_.bitmapSize(picture->bitmap(), op.bitmapWidth, op.bitmapHeight)) return;
    op.picture = picture;
    op.fromScreen = graphics_.screenOrigin(picture->bitmap(), op.originX, op.originY);
    op.dest = dest;
    op.source = source;
    pending_.push_back(std::move(op));
}

void ViewFrame::print(float x, float y, const std::string& text) {
    Operation op;
    op.isText = true;
    op.x = x;
    op.y = y;
    op.text = text;
    pending_.push_back(std::move(op));
}

Rect ViewFrame::screenArea(const Operation& op, const PixelBounds& bounds) const {
    return Rect{std::clamp(op.originX + bounds.x0, 0, screen_.width()),
                std::clamp(op.originY + bounds.y0, 0, screen_.height()),
                std::clamp(op.originX + bounds.x1, 0, screen_.width()),
                std::clamp(op.originY + bounds.y1, 0, screen_.height())};
}

bool ViewFrame::pixelsChanged(const Operation& op, std::vector<std::uint32_t>& last) {
    const PixelBounds bounds = sourceBounds(op.source, op.bitmapWidth, op.bitmapHeight);
    const int width = std::max(0, bounds.x1 - bounds.x0), height = std::max(0, bounds.y1 - bounds.y0);
    const auto pixels = graphics_.bitmapPixels(op.picture->bitmap(), bounds);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    bool changed = last.size() != count;
    if (changed) {
        // Memory follows the view down as well as up, after a huge window as much as before it.
        if (last.capacity() > 2 * count) std::vector<std::uint32_t>().swap(last);
        last.assign(count, 0u);
    }
    if (!pixels) return changed;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(std::uint32_t);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* from = pixels->row(bounds.y0 + y) + (bounds.x0 - pixels->originX);
        std::uint32_t* to = last.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        if (!changed && std::memcmp(from, to, rowBytes) == 0) continue;
        changed = true;
        std::memcpy(to, from, rowBytes);
    }
    return changed;
}

bool ViewFrame::finish(const Surface& to, TextPainter* texts) {
    // The vectors change places rather than being made anew: a tick allocates nothing.
    std::vector<Operation> ops;
    ops.swap(pending_);
    pending_.swap(spare_);
    pending_.clear();
    // A tick that drew nothing (a minimized window) leaves the surface as it is; the screen's
    // record of changes is still taken, so that it does not pile up for as long as that lasts.
    if (ops.empty()) {
        screen_.changedSinceLastCheck(Rect{});
        return false;
    }
    bool same = shownValid_ && to.width == shownWidth_ && to.height == shownHeight_ && ops.size() == shown_.size();
    for (std::size_t i = 0; same && i < ops.size(); ++i) same = ops[i].sameLayout(shown_[i]);

    // One question to the screen per tick, for everything the pictures read: it also starts the
    // next period of change tracking, so it is asked even when the layout has already decided.
    Rect area{};
    bool allFromScreen = true;
    for (const Operation& op : ops) {
        if (op.isText) continue;
        if (!op.fromScreen) allFromScreen = false;
        else area = unite(area, screenArea(op, sourceBounds(op.source, op.bitmapWidth, op.bitmapHeight)));
    }
    const ScreenChange change = isEmpty(area) ? ScreenChange::none : screen_.changedSinceLastCheck(area);
    if (same && allFromScreen && change == ScreenChange::none) {
        ops.clear();  // the pictures go now, not with the next tick
        spare_.swap(ops);
        return false;
    }

    // A new layout is drawn anyway. When the screen reports its changes, the pixels are then
    // neither compared nor copied but stretched straight from the pictures: the next tick learns
    // from the screen whether anything changed, and the emptied copies make the rare tick that
    // must compare draw and copy afresh. Otherwise each operation compares with, and then keeps,
    // the pixels of the one in its place: its own repaint, seen through the screen, thus stops
    // once the picture has converged.
    const bool direct = !same && allFromScreen && change != ScreenChange::unknown;
    shownPixels_.resize(ops.size());
    bool changed = !same;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].isText) continue;
        if (direct) shownPixels_[i].clear();
        else if (pixelsChanged(ops[i], shownPixels_[i])) changed = true;
    }
    spare_.swap(shown_);
    shown_.swap(ops);
    if (!changed) {
        for (Operation& op : shown_) op.picture.reset();  // the pictures, with their bitmaps, go now
        return false;
    }

    bool complete = true;
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        Operation& op = shown_[i];
        if (op.isText) {
            if (texts != nullptr &&
                !texts->draw(to, static_cast<int>(std::floor(op.x)), static_cast<int>(std::floor(op.y)), op.text)) {
                complete = false;
            }
            continue;
        }
        const PixelBounds b = sourceBounds(op.source, op.bitmapWidth, op.bitmapHeight);
        if (!direct) {
            const int width = std::max(0, b.x1 - b.x0), height = std::max(0, b.y1 - b.y0);
            stretchCopy(ConstSurface{shownPixels_[i].data(), width, height, width, b.x0, b.y0}, op.source, to, op.dest);
        } else {
            // Pixels that cannot be read paint black, as beyond the edges of any picture.
            const auto pixels = graphics_.bitmapPixels(op.picture->bitmap(), b);
            stretchCopy(pixels ? *pixels : ConstSurface{}, op.source, to, op.dest);
        }
        op.picture.reset();
    }
    shownWidth_ = to.width;
    shownHeight_ = to.height;
    // A text left out is drawn with everything else at a later tick.
    shownValid_ = complete;
    return true;
}

}  // namespace platform::soft
