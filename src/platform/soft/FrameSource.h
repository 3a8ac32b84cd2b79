#pragma once
// Where the pictures of a frame get their pixels, and what the screen knows of its own changes:
// what a frame record needs to know to tell a tick's frame from the one shown.
#include <optional>

#include "platform/Types.h"
#include "platform/soft/ScreenSource.h"
#include "platform/soft/Stretch.h"
#include "platform/soft/Surface.h"

namespace platform::soft {

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // The bitmap's size; false for a handle that is no bitmap.
    virtual bool bitmapSize(Handle bitmap, int& width, int& height) = 0;
    // The bitmap's pixels, at least those within `bounds`; nothing when they cannot be read.
    // Valid until the next call.
    virtual std::optional<ConstSurface> bitmapPixels(Handle bitmap, const PixelBounds& bounds) = 0;
    // Where on the screen a bitmap was taken in one piece; false for any other bitmap, whose
    // pixels are then always compared.
    virtual bool screenOrigin(Handle bitmap, int& x, int& y) {
        (void)bitmap;
        (void)x;
        (void)y;
        return false;
    }
    // The screen's rectangle, to which the areas asked about are clipped.
    virtual Rect screenBounds() const { return Rect{}; }
    // Whether pixels inside `area` may have changed since the previous call (see ScreenSource).
    virtual ScreenChange changedSinceLastCheck(const Rect& area) {
        (void)area;
        return ScreenChange::unknown;
    }
    // Whether a change the screen reports under `area` is drawn straight from the screen, with
    // no pixel read or compared: a target that copies the screen inside the display, and an area
    // that does not show the target itself, whose own repaint would otherwise never settle.
    virtual bool drawsChangesDirect(const Rect& area) {
        (void)area;
        return false;
    }
};

}  // namespace platform::soft
