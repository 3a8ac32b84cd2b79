#pragma once
// Pictures as PNG files: 8-bit RGB, every pixel exact. The data is stored uncompressed (deflate's
// stored blocks): a view is small, and exactness matters more here than size.
#include <cstdint>
#include <string>
#include <vector>

namespace capture {

// The PNG file of width x height pixels 0x00RRGGBB, rows from the top.
std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint32_t>& pixels);

// Writes the bytes to the file at `path` (UTF-8); false when it cannot be written whole.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace capture
