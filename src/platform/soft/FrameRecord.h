#pragma once
// One tick's drawing of a view, collected, and the decision at the end of the tick whether it
// would change what the last frame drawn left on the target. A magnifier mostly looks at a still
// screen: then the layout (where the picture comes from, where it goes, which texts lie over it)
// is the same as last time, the screen can often tell without reading that nothing under the
// picture changed, and otherwise the few source pixels read are compared with the last ones. Its
// own repaint, seen through the screen, thus stops once the picture has converged.
//
// The record decides; the back end draws what it decided on, on its own target.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Picture.h"
#include "platform/soft/FrameSource.h"
#include "platform/soft/Stretch.h"
#include "platform/soft/Surface.h"

namespace platform::soft {

// A picture stretched, or a text printed, by a tick.
struct FrameOperation {
    // A picture to stretch, or a text when `isText` is set.
    PictureRef picture;
    bool fromScreen = false;
    int originX = 0, originY = 0, bitmapWidth = 0, bitmapHeight = 0;
    StretchRect dest, source;
    bool isText = false;
    float x = 0, y = 0;
    std::string text;
    // A line from (x, y) to (x2, y2), or the box with these corners, when `isLine` is set.
    bool isLine = false;
    bool box = false;
    float x2 = 0, y2 = 0;

    bool isPicture() const { return !isText && !isLine; }
    bool sameLayout(const FrameOperation& other) const;
    // The pixels of the bitmap the stretch reads.
    PixelBounds sourcePixels() const { return sourceBounds(source, bitmapWidth, bitmapHeight); }
};

// A one-pixel-wide run of a line operation, its corners included: left <= right, top <= bottom.
struct LineSegment {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// The runs a line operation draws, in whole pixels: one for a line across or down, four for a
// box, none for a slanted line. Not clipped.
std::vector<LineSegment> lineSegments(const FrameOperation& line);

// What a tick does with its frame, as far as it is known without reading a pixel.
enum class FramePlan {
    keep,        // the target shows this frame already
    compare,     // the pictures' pixels are compared with the last ones; drawn when they or the layout differ
    drawDirect,  // drawn straight from the pictures, with no pixel compared or kept
};

// `sameLayout`: the tick's operations and target equal the last ones drawn; `allFromScreen`:
// every picture was taken from the screen in one piece; `screen`: what the screen knows of
// changes under those pictures; `directOnChange`: a reported change is drawn without comparing
// (see FrameSource::drawsChangesDirect). A new layout is drawn anyway, so when the screen
// reports its changes the next tick learns from the screen, not from a copy of the pixels.
FramePlan planFrame(bool sameLayout, bool allFromScreen, ScreenChange screen, bool directOnChange = false);

class FrameRecord {
public:
    explicit FrameRecord(FrameSource& source) : source_(source) {}

    void paint(const PictureRef& picture, const StretchRect& dest, const StretchRect& source);
    void print(float x, float y, const std::string& text);
    void line(float x1, float y1, float x2, float y2, bool box);
    // What is on the target can no longer be trusted (shown again, exposed, resized): the next
    // tick draws everything.
    void invalidate() { shownValid_ = false; }
    // Forgets the collected operations without deciding on them.
    void discard() { pending_.clear(); }

    // The decide step, at the end of a tick: true when the collected operations are to be drawn
    // on a target of this size, false when that would leave it as it is. Either way the
    // collection starts afresh. A tick that drew nothing (a minimized window) leaves the target
    // as it is.
    bool decide(int width, int height);
    // After decide() said so: the operations to draw, in order.
    const std::vector<FrameOperation>& frame() const { return shown_; }
    // Whether the pictures are drawn straight from their bitmaps; otherwise from keptPixels().
    bool drawsDirect() const { return direct_; }
    // The source pixels the picture operation `index` of frame() was compared with, equal to its
    // bitmap's within its sourcePixels(); empty where they could not be read, which draws black.
    ConstSurface keptPixels(std::size_t index) const;
    // The draw step is over; `complete` is false when a text was left out, and the next tick
    // then draws everything again. The pictures, with their bitmaps, go now.
    void drawn(bool complete);

private:
    // The source pixels a picture operation reads, in screen coordinates, clipped to the screen.
    Rect screenArea(const FrameOperation& op) const;
    // Whether the pixels the operation reads differ from `last`; refreshes `last`.
    bool pixelsChanged(const FrameOperation& op, std::vector<std::uint32_t>& last);
    void releasePictures();

    FrameSource& source_;
    std::vector<FrameOperation> pending_;
    std::vector<FrameOperation> shown_;
    std::vector<FrameOperation> spare_;  // storage for the next tick's operations
    // Per picture operation of the shown frame: the source pixels it stretched.
    std::vector<std::vector<std::uint32_t>> shownPixels_;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    bool shownValid_ = false;
    bool direct_ = false;
};

}  // namespace platform::soft
