#pragma once
// Saving and restoring the magnifier's zoom factor and its window's outer size and position.
// Geometry is computed in 32 bits: a screen wider or taller than 2184 pixels gives sizes and
// positions whose twips no longer fit 16 bits, and such screens are ordinary.
#include <cstdint>

#include "platform/FormToolkit.h"

namespace settings {

// Stored geometry values use this for "nothing saved".
inline constexpr std::int32_t kMissing = 32767;

// The saved zoom factor bounded to 1..18, or 2 when none is saved.
std::int16_t restoreZoom();

// The saved outer size in pixels, bounded by the minimum and the screen; both take the minimum
// when either is missing.
void restoreSize(std::int32_t minWidth, std::int32_t minHeight, std::int32_t& winWidth, std::int32_t& winHeight);

// Reads the saved position into winLeft/winTop (bounded to 0..32767) and, when both are present,
// moves the form there, bounded to the screen for a window of the restored size.
void restorePosition(platform::Form& form, std::int32_t winWidth, std::int32_t winHeight, std::int32_t& winLeft,
                     std::int32_t& winTop);

// Stores zoom, left, top, width and height as the form reports them, in that order.
void savePlacement(const platform::Form& form, std::int16_t zoom);

// The screen's size in pixels.
std::int32_t screenWidthPixels();
std::int32_t screenHeightPixels();

}  // namespace settings
