#pragma once
// Saving and restoring the magnifier's zoom factor and its window's outer size and position.
// Geometry is computed in 32 bits: a screen wider or taller than 2184 pixels gives sizes and
// positions whose twips no longer fit 16 bits, and such screens are ordinary.
//
// A restored window is bounded by one monitor, the one its saved rectangle overlaps most (the
// primary one when it overlaps none), and within it by its work area: bounding by the whole
// desktop or by the primary monitor alone put windows on no monitor, or moved them away from
// the monitor they were left on.
#include <cstdint>

#include "platform/FormToolkit.h"
#include "platform/Types.h"

namespace settings {

// Stored geometry values use this for "nothing saved".
inline constexpr std::int32_t kMissing = 32767;

// The stored geometry as read: sizes 0..65535, positions bounded to 0..32767; kMissing where
// nothing is saved.
struct SavedGeometry {
    std::int32_t width = kMissing;
    std::int32_t height = kMissing;
    std::int32_t left = kMissing;
    std::int32_t top = kMissing;
    bool hasSize() const { return width != kMissing && height != kMissing; }
    bool hasPosition() const { return left != kMissing && top != kMissing; }
};

// The saved zoom factor bounded to 1..18, or 2 when none is saved.
std::int16_t restoreZoom();

// Reads width, height, left and top, in that order.
SavedGeometry loadGeometry();

// The area that bounds the restored window: the work area of the monitor that the saved
// rectangle overlaps most (the minimum size standing in for a missing size; the form's present
// rectangle for a missing position), else of the primary monitor.
platform::Rect placementArea(const SavedGeometry& saved, const platform::Form& form, std::int32_t minWidth,
                             std::int32_t minHeight);

// The saved outer size in pixels, bounded by the minimum and the area; both take the minimum
// when either is missing.
void restoreSize(const SavedGeometry& saved, const platform::Rect& area, std::int32_t minWidth, std::int32_t minHeight,
                 std::int32_t& winWidth, std::int32_t& winHeight);

// When both left and top are saved, moves the form there, bounded to the area for a window of
// the restored size. winLeft/winTop take the values as read.
void restorePosition(platform::Form& form, const SavedGeometry& saved, const platform::Rect& area,
                     std::int32_t winWidth, std::int32_t winHeight, std::int32_t& winLeft, std::int32_t& winTop);

// Stores zoom, left, top, width and height as the form reports them, in that order.
void savePlacement(const platform::Form& form, std::int16_t zoom);

// The screen's size in pixels.
std::int32_t screenWidthPixels();
std::int32_t screenHeightPixels();

}  // namespace settings
