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

struct Run {
    int sourceX;  // -1: beyond the source
    int length;
};

using ExpandRow = void (*)(const std::uint32_t* in, std::size_t count, std::uint32_t* out);

// The rows never overlap; said so, the compiler vectorises the loop without checking.
template <int N>
void expandRow(const std::uint32_t* __restrict__ in, std::size_t count, std::uint32_t* __restrict__ out) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t pixel = in[i];
        for (int k = 0; k < N; ++k) out[k] = pixel;
        out += N;
    }
}

// An expansion for runs that all have one length N (the last may be shorter, it is cut at the
// destination's edge) over consecutive source columns; null otherwise.
ExpandRow uniformExpansion(const std::vector<Run>& runs) {
    if (runs.size() < 2) return nullptr;
    const int n = runs.front().length;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Run& r = runs[i];
        if (r.sourceX < 0 || r.sourceX != runs.front().sourceX + static_cast<int>(i)) return nullptr;
        if (r.length != n && !(i + 1 == runs.size() && r.length < n)) return nullptr;
    }
    if (runs.back().length != n) return nullptr;  // a cut last block: take the general path
    switch (n) {
        case 1: return expandRow<1>;
        case 2: return expandRow<2>;
        case 3: return expandRow<3>;
        case 4: return expandRow<4>;
        case 5: return expandRow<5>;
        case 6: return expandRow<6>;
        case 7: return expandRow<7>;
        case 8: return expandRow<8>;
        default: return nullptr;
    }
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
    // The columns as runs of destination pixels that repeat one source column (or black beyond
    // the source): at an enlargement of N every run is N long, so a row is a few stores per
    // source pixel instead of a lookup per destination pixel.
    std::vector<Run> runs;
    runs.reserve(static_cast<std::size_t>(dx1 - dx0));
    for (int dx = dx0; dx < dx1; ++dx) {
        int sx = sourceIndex(source.x, scaleX, dest.x, dx);
        if (sx < from.originX || sx >= from.originX + from.width) sx = -1;
        else sx -= from.originX;  // from here on, columns of the rectangle
        if (!runs.empty() && runs.back().sourceX == sx) {
            ++runs.back().length;
        } else {
            runs.push_back(Run{sx, 1});
        }
    }

    // The common case, a whole enlargement of consecutive source pixels, gets an expansion whose
    // block size the compiler knows.
    const ExpandRow uniform = uniformExpansion(runs);
    const int firstUniformColumn = runs.empty() ? 0 : runs.front().sourceX;

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
        if (sy < from.originY || sy >= from.originY + from.height) {
            std::fill(out, out + (dx1 - dx0), 0u);
        } else if (uniform != nullptr) {
            uniform(from.row(sy) + firstUniformColumn, runs.size(), out);
        } else {
            const std::uint32_t* in = from.row(sy);
            std::uint32_t* at = out;
            for (const Run& run : runs) {
                const std::uint32_t pixel = run.sourceX >= 0 ? in[run.sourceX] : 0u;
                at = std::fill_n(at, run.length, pixel);
            }
        }
        previousSourceRow = sy;
        previousRow = out;
    }
}

}  // namespace platform::soft
