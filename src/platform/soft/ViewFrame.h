#pragma once
// A view drawn by the program into memory: one tick's drawing is collected, a frame record
// decides at the end of the tick whether it would change anything on the surface, and only then
// is it stretched onto the surface, texts over the picture.
#include <string>

#include "platform/Picture.h"
#include "platform/soft/FrameRecord.h"
#include "platform/soft/FrameSource.h"
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
    explicit ViewFrame(SoftGraphics& graphics) : graphics_(graphics), source_(graphics), record_(source_) {}
    ViewFrame(const ViewFrame&) = delete;
    ViewFrame& operator=(const ViewFrame&) = delete;

    void paint(const PictureRef& picture, const StretchRect& dest, const StretchRect& source) {
        record_.paint(picture, dest, source);
    }
    void print(float x, float y, const std::string& text) { record_.print(x, y, text); }
    void line(float x1, float y1, float x2, float y2, bool box) { record_.line(x1, y1, x2, y2, box); }
    // What is on the surface can no longer be trusted (shown again, exposed, resized): the next
    // finish() draws everything.
    void invalidate() { record_.invalidate(); }
    // Draws the collected operations on `to`, unless the result would equal what the last draw
    // left there; true when it drew. Either way the collection starts afresh.
    bool finish(const Surface& to, TextPainter* texts);
    // Forgets the collected operations without drawing them.
    void discard() { record_.discard(); }

    // For a target that draws the screen's pictures inside the display (see
    // FrameSource::drawsChangesDirect): the record decides, the target draws its frame().
    FrameRecord& record() { return record_; }
    SoftGraphics& graphics() { return graphics_; }
    // Reported changes are drawn without comparing, except under `ownArea` (screen coordinates),
    // where the target itself shows and its own repaint must settle.
    void drawChangesDirect(bool direct) { source_.directChanges = direct; }
    void setOwnArea(const Rect& area) { source_.ownArea = area; }

private:
    // The bitmaps' pixels from the graphics, the changes from its screen.
    class GraphicsSource : public FrameSource {
    public:
        explicit GraphicsSource(SoftGraphics& graphics) : graphics_(graphics) {}
        bool bitmapSize(Handle bitmap, int& width, int& height) override;
        std::optional<ConstSurface> bitmapPixels(Handle bitmap, const PixelBounds& bounds) override;
        bool screenOrigin(Handle bitmap, int& x, int& y) override;
        Rect screenBounds() const override;
        ScreenChange changedSinceLastCheck(const Rect& area) override;
        bool drawsChangesDirect(const Rect& area) override;

        bool directChanges = false;
        Rect ownArea{};

    private:
        SoftGraphics& graphics_;
    };

    // A line or box of the frame, in pixels black and white by turns.
    void drawLine(const Surface& to, const FrameOperation& op) const;
    // The draw step: the record's frame onto `to`; false when a text was left out.
    bool draw(const Surface& to, TextPainter* texts);

    SoftGraphics& graphics_;
    GraphicsSource source_;
    FrameRecord record_;
};

}  // namespace platform::soft
