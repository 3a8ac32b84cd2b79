#pragma once
// Copies a rectangle of the screen into a new picture that owns its bitmap and palette.
#include <cstdint>
#include <vector>

#include "platform/Picture.h"
#include "platform/Types.h"

namespace capture {

// The screen rectangle of width/size x height/size (rounded up) centred on the cursor, with size
// the zoom factor: the part of a client-sized rectangle the view shows. Areas between monitors,
// which no monitor shows, are black, as is what lies beyond the screen.
platform::PictureRef captureAroundCursor(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                         std::int16_t size);

// A width x height copy of a window's device context at (left, top); `client` takes the client
// area's context instead of the whole window's.
// `black` lists screen rectangles to show black.
platform::PictureRef captureWindowRect(platform::Handle window, bool client, std::int32_t left, std::int32_t top,
                                       std::int32_t width, std::int32_t height,
                                       const std::vector<platform::Rect>& black = {});

// The parts of `area` that no monitor shows, within the rectangle that bounds all monitors.
std::vector<platform::Rect> uncoveredAreas(const platform::Rect& area, const std::vector<platform::Rect>& monitors);

// The left (or top) edge of the screen area a view of `extent` pixels at zoom `size` shows around
// the cursor coordinate `at`: at - extent / (2 * size), rounded half to even.
std::int32_t viewEdge(std::int32_t at, std::int32_t extent, std::int16_t size);

// A copy of the picture's top-left width x height pixels that no longer depends on where they
// came from: a picture kept while the screen changes under it.
platform::PictureRef stillCopy(const platform::PictureRef& picture, std::int32_t width, std::int32_t height);

// A picture that owns the bitmap and the palette (which may be 0).
platform::PictureRef pictureFromBitmap(platform::Handle bitmap, platform::Handle palette);

}  // namespace capture
