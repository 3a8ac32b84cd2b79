#include "platform/soft/FrameRecord.h"

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

std::size_t pixelCount(const PixelBounds& b) {
    return static_cast<std::size_t>(std::max(0, b.x1 - b.x0)) * static_cast<std::size_t>(std::max(0, b.y1 - b.y0));
}

}  // namespace

bool FrameOperation::sameLayout(const FrameOperation& other) const {
    if (isText != other.isText || isLine != other.isLine) return false;
    if (isText) return x == other.x && y == other.y && text == other.text;
    if (isLine) return x == other.x && y == other.y && x2 == other.x2 && y2 == other.y2 && box == other.box;
    return fromScreen == other.fromScreen && (!fromScreen || (originX == other.originX && originY == other.originY)) &&
           bitmapWidth == other.bitmapWidth && bitmapHeight == other.bitmapHeight && sameRect(dest, other.dest) &&
           sameRect(source, other.source);
}

FramePlan planFrame(bool sameLayout, bool allFromScreen, ScreenChange screen, bool directOnChange) {
    // Only the screen can say that nothing changed without a pixel being read, and only of
    // pictures it knows to be its own.
    if (!allFromScreen || screen == ScreenChange::unknown) return FramePlan::compare;
    if (!sameLayout) return FramePlan::drawDirect;
    if (screen == ScreenChange::none) return FramePlan::keep;
    return directOnChange ? FramePlan::drawDirect : FramePlan::compare;
}

void FrameRecord::paint(const PictureRef& picture, const StretchRect& dest, const StretchRect& source) {
    FrameOperation op;
    if (!picture || !source_.bitmapSize(picture->bitmap(), op.bitmapWidth, op.bitmapHeight)) return;
    op.picture = picture;
    op.fromScreen = source_.screenOrigin(picture->bitmap(), op.originX, op.originY);
    op.dest = dest;
    op.source = source;
    pending_.push_back(std::move(op));
}

void FrameRecord::print(float x, float y, const std::string& text) {
    FrameOperation op;
    op.isText = true;
    op.x = x;
    op.y = y;
    op.text = text;
    pending_.push_back(std::move(op));
}

void FrameRecord::line(float x1, float y1, float x2, float y2, bool box) {
    FrameOperation op;
    op.isLine = true;
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.box = box;
    pending_.push_back(std::move(op));
}

Rect FrameRecord::screenArea(const FrameOperation& op) const {
    const PixelBounds bounds = op.sourcePixels();
    const Rect screen = source_.screenBounds();
    return Rect{std::clamp(op.originX + bounds.x0, screen.left, screen.right),
                std::clamp(op.originY + bounds.y0, screen.top, screen.bottom),
                std::clamp(op.originX + bounds.x1, screen.left, screen.right),
                std::clamp(op.originY + bounds.y1, screen.top, screen.bottom)};
}

bool FrameRecord::pixelsChanged(const FrameOperation& op, std::vector<std::uint32_t>& last) {
    const PixelBounds bounds = op.sourcePixels();
    const int width = std::max(0, bounds.x1 - bounds.x0), height = std::max(0, bounds.y1 - bounds.y0);
    const auto pixels = source_.bitmapPixels(op.picture->bitmap(), bounds);
    if (!pixels) {
        // Unreadable pixels equal nothing: the next tick that reads them compares afresh.
        last.clear();
        return true;
    }
    const std::size_t count = pixelCount(bounds);
    bool changed = last.size() != count;
    if (changed) {
        // Memory follows the view down as well as up, after a huge window as much as before it.
        if (last.capacity() > 2 * count) std::vector<std::uint32_t>().swap(last);
        last.assign(count, 0u);
    }
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

bool FrameRecord::decide(int width, int height) {
    // The vectors change places rather than being made anew: a tick allocates nothing.
    std::vector<FrameOperation> ops;
    ops.swap(pending_);
    pending_.swap(spare_);
    pending_.clear();
    // The screen's record of changes is taken even when nothing was drawn, so that it does not
    // pile up for as long as that lasts.
    if (ops.empty()) {
        spare_.swap(ops);
        source_.changedSinceLastCheck(Rect{});
        return false;
    }
    bool same = shownValid_ && width == shownWidth_ && height == shownHeight_ && ops.size() == shown_.size();
    for (std::size_t i = 0; same && i < ops.size(); ++i) same = ops[i].sameLayout(shown_[i]);

    // One question to the screen per tick, for everything the pictures read: it also starts the
    // next period of change tracking, so it is asked even when the layout has already decided.
    Rect area{};
    bool allFromScreen = true;
    for (const FrameOperation& op : ops) {
        if (!op.isPicture()) continue;
        if (!op.fromScreen) allFromScreen = false;
        else area = unite(area, screenArea(op));
    }
    const ScreenChange change = isEmpty(area) ? ScreenChange::none : source_.changedSinceLastCheck(area);
    const bool direct = allFromScreen && change == ScreenChange::some && source_.drawsChangesDirect(area);
    const FramePlan plan = planFrame(same, allFromScreen, change, direct);
    if (plan == FramePlan::keep) {
        ops.clear();  // the pictures go now, not with the next tick
        spare_.swap(ops);
        return false;
    }

    // Drawn directly, the pixels are neither compared nor copied: the next tick learns from the
    // screen whether anything changed, and the emptied copies make the rare tick that must
    // compare draw and copy afresh. Otherwise each operation compares with, and then keeps, the
    // pixels of the one in its place.
    direct_ = plan == FramePlan::drawDirect;
    shownPixels_.resize(ops.size());
    // A change drawn without comparing counts as a change.
    bool changed = !same || direct_;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (!ops[i].isPicture()) continue;
        // Drawn directly, nothing is compared: the kept copy goes, memory and all.
        if (direct_) std::vector<std::uint32_t>().swap(shownPixels_[i]);
        else if (pixelsChanged(ops[i], shownPixels_[i])) changed = true;
    }
    spare_.swap(shown_);
    shown_.swap(ops);
    if (!changed) {
        releasePictures();
        return false;
    }
    shownWidth_ = width;
    shownHeight_ = height;
    // Until drawn() says the draw was complete, the target is not trusted.
    shownValid_ = false;
    return true;
}

ConstSurface FrameRecord::keptPixels(std::size_t index) const {
    const FrameOperation& op = shown_.at(index);
    const PixelBounds b = op.sourcePixels();
    const std::vector<std::uint32_t>& kept = shownPixels_.at(index);
    if (!op.isPicture() || kept.empty() || kept.size() != pixelCount(b)) return ConstSurface{};
    const int width = b.x1 - b.x0, height = b.y1 - b.y0;
    return ConstSurface{kept.data(), width, height, width, b.x0, b.y0};
}

void FrameRecord::drawn(bool complete) {
    releasePictures();
    // A text left out is drawn with everything else at a later tick.
    shownValid_ = complete;
}

void FrameRecord::releasePictures() {
    for (FrameOperation& op : shown_) op.picture.reset();
}

std::vector<LineSegment> lineSegments(const FrameOperation& line) {
    const auto at = [](float v) { return static_cast<int>(std::floor(v)); };
    const auto run = [](int x1, int y1, int x2, int y2) {
        return LineSegment{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    };
    const int x1 = at(line.x), y1 = at(line.y), x2 = at(line.x2), y2 = at(line.y2);
    if (!line.box) {
        if (x1 == x2 || y1 == y2) return {run(x1, y1, x2, y2)};
        return {};
    }
    return {run(x1, y1, x2, y1), run(x1, y2, x2, y2), run(x1, y1, x1, y2), run(x2, y1, x2, y2)};
}

}  // namespace platform::soft
