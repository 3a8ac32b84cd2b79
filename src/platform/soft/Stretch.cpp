#include "platform/soft/Stretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace platform::soft {
namespace {

// Destination pixels whose centres lie in [start, start + length).
void destinationSpan(double start, double length, int limit, int& first, int& last) {
    first = std::max(0, static_cast<int>(std::ceil(start - 0.5)));
    last = std::min(limit, static_cast<int>(std::ceil(start + length - 0.5)));
}

int sourceIndex(double sourceStart, double scale, double destStart, int d) {
    return static_cast<int>(std::floor(sourceStart + (d - destStart + 0.5) * scale));
}

}  // namespace

PixelBounds sourceBounds(const StretchRect& source, int sourceWidth, int sourceHeight) {
    PixelBounds b;
    b.x0 = std::clamp(static_cast<int>(std::floor(source.x)), 0, sourceWidth);
    b.y0 = std::clamp(static_cast<int>(std::floor(source.y)), 0, sourceHeight);
    b.x1 = std::clamp(static_cast<int>(std::ceil(source.x + source.width)), b.x0, sourceWidth);
    b.y1 = std::clamp(static_cast<int>(std::ceil(source.y + source.height)), b.y0, sourceHeight);
    return b;
}

void stretchCopy(const ConstSurface& from, const StretchRect& source, const Surface& to, const StretchRect& dest) {
    if (dest.width <= 0 || dest.height <= 0 || source.width <= 0 || source.height <= 0) return;
    int dx0 = 0, dx1 = 0, dy0 = 0, dy1 = 0;
    destinationSpan(dest.x, dest.width, to.width, dx0, dx1);
    destinationSpan(dest.y, dest.height, to.height, dy0, dy1);
    if (dx0 >= dx1 || dy0 >= dy1) return;

    const double scaleX = source.width / dest.width;
    const double scaleY = source.height / dest.height;
    std::vector<int> columns(static_cast<std::size_t>(dx1 - dx0));
    for (int dx = dx0; dx < dx1; ++dx) {
        const int sx = sourceIndex(source.x, scaleX, dest.x, dx);
        columns[static_cast<std::size_t>(dx - dx0)] = (sx >= 0 && sx < from.width) ? sx : -1;
    }

    int previousSourceRow = -2;
    std::uint32_t* previousRow = nullptr;
    const std::size_t rowBytes = static_cast<std::size_t>(dx1 - dx0) * sizeof(std::uint32_t);
    for (int dy = dy0; dy < dy1; ++dy) {
        std::uint32_t* out = to.row(dy) + dx0;
        const int sy = sourceIndex(source.y, scaleY, dest.y, dy);
        // Rows that repeat a source row are copies of the row already made.
        if (sy == previousSourceRow && previousRow != nullptr) {
            std::memcpy(out, previousRow, rowBytes);
            continue;
        }
        if (sy < 0 || sy >= from.height) {
            std::fill(out, out + (dx1 - dx0), 0u);
        } else {
            const std::uint32_t* in = from.row(sy);
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const int sx = columns[i];
                out[i] = sx >= 0 ? in[sx] : 0u;
            }
        }
        previousSourceRow = sy;
        previousRow = out;
    }
}

}  // namespace platform::soft
