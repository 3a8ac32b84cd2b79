#pragma once
// PNG and BMP files read back as images, whoever wrote them (the program's own files, or a clipboard's
// image/png), and the look of the magnifier's pixel grid.
#include <cstdint>
#include <string>

#include "harness/Screen.h"

namespace e2e {

// Decodes 8-bit RGB or RGBA PNG data, not interlaced. Throws std::runtime_error otherwise.
Image decode_png(const std::string& bytes);

// Decodes an uncompressed 24- or 32-bit BMP file (as Wine offers a clipboard picture to X clients).
Image decode_bmp(const std::string& bytes);

// A pixel of the grid's lines: black and white by turns, white where x + y is odd.
inline std::uint32_t grid_colour(int x, int y) { return ((x + y) & 1) != 0 ? 0xFFFFFFu : 0u; }

}  // namespace e2e
