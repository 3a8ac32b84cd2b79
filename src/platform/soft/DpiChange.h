#pragma once
// A window whose monitor's DPI changed (dragged onto a monitor of another scale): the system
// suggests a rectangle scaled for the new DPI. The view is in device pixels, so scaling the
// window would only show more or less of the screen; it keeps its pixel size and takes the
// suggested place.
#include "platform/Types.h"

namespace platform::soft {

inline Rect keepPixelSize(const Rect& current, const Rect& suggested) {
    return Rect{suggested.left, suggested.top, suggested.left + (current.right - current.left),
                suggested.top + (current.bottom - current.top)};
}

}  // namespace platform::soft
