#pragma once
// One tick's drawing of a view, collected and put on the surface at the end of the tick only when
// it would change something there. A magnifier mostly looks at a still screen: then the layout
// (where the picture comes from, where it goes, which texts lie over it) is the same as last time,
// the screen source can often tell without reading that nothing under the picture changed, and
// otherwise the few source pixels read are compared with the last ones. Its own repaint, seen
// through the screen, thus stops once the picture has converged.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Picture.h"
#include "platform/soft/ScreenSource.h"
#include "platform/soft/SoftGraphics.h"
#include "platform/soft/Stretch.h"
#include "platform/soft/Surface.h"

namespace platform::soft {

// Draws a line of text with its top-left corner at (x, y), over what is there; false when the
// text could not be drawn yet (its letters are still being made) and should be drawn again soon.
class TextPainter {
public:
    virtual ~TextPainter() = default;
    virtual bool draw(const Surface& to, int x, int y, const std::string& text) = 0;
};

class ViewFrame {
public:
    explicit ViewFrame(SoftGraphics& graphics) : graphics_(graphics), screen_(graphics.screen()) {}

    void paint(const PictureRef& picture, const StretchRect& dest, const StretchRect& source);
    void print(float x, float y, const std::string& text);
    // What is on the surface can no longer be trusted (shown again, exposed, resized): the next
    // finish() draws everything.
    void invalidate() { shownValid_ = false; }
    // Draws the collected operations on `to`, unless the result would equal what the last draw
    // left there; true when it drew. Either way the collection starts afresh.
    bool finish(const Surface& to, TextPainter* texts);
    // Forgets the collected operations without drawing them.
    void discard() { pending_.clear(); }

private:
    struct Operation {
        // A picture to stretch, or a text when `text` is set.
        PictureRef picture;
        bool fromScreen = false;
        int originX = 0, originY = 0, bitmapWidth = 0, bitmapHeight = 0;
        StretchRect dest, source;
        bool isText = false;
        float x = 0, y = 0;
        std::string text;
        bool sameLayout(const Operation& other) const;
    };
    // The source pixels a picture operation reads, in screen coordinates, clipped to the screen.
    Rect screenArea(const Operation& op, const PixelBounds& bounds) const;
    // Whether the pixels the operation reads differ from `last`; refreshes `last`.
    bool pixelsChanged(const Operation& op, std::vector<std::uint32_t>& last);

    SoftGraphics& graphics_;
    ScreenSource& screen_;
    std::vector<Operation> pending_;
    std::vector<Operation> shown_;
    std::vector<Operation> spare_;  // storage for the next tick's operations
    // Per picture operation of the shown frame: the source pixels it stretched.
    std::vector<std::vector<std::uint32_t>> shownPixels_;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    bool shownValid_ = false;
};

}  // namespace platform::soft
