#pragma once
// Nearest-pixel stretched copy, no smoothing.
#include "platform/soft/Surface.h"

namespace platform::soft {

struct StretchRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// The source pixels a stretch of `source` reads, as whole-pixel bounds [x0, x1) x [y0, y1),
// clipped to a source of the given size.
struct PixelBounds {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
};
PixelBounds sourceBounds(const StretchRect& source, int sourceWidth, int sourceHeight);

// Copies `source` of `from` onto `dest` of `to`. Destination pixel (dx, dy) takes source pixel
// floor(source.x + (dx - dest.x + 0.5) * source.width / dest.width) and likewise in y, so when the
// destination is exactly N times the source every source pixel becomes an N x N block. Source
// pixels beyond `from` paint black; destination pixels beyond `to` are not touched.
void stretchCopy(const ConstSurface& from, const StretchRect& source, const Surface& to, const StretchRect& dest);

}  // namespace platform::soft
