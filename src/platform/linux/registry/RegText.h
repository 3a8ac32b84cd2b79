#pragma once
// regedit exports UTF-16 little-endian text with a byte-order mark by default; the reader works
// on 8-bit text, so such a file is turned into UTF-8 first.
#include <optional>
#include <string>
#include <string_view>

namespace platform::linux_::registry {

inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

// UTF-16LE code units (without the mark) as UTF-8; nullopt for an odd number of bytes or a
// surrogate without its partner.
std::optional<std::string> utf16LeToUtf8(std::string_view bytes);

}  // namespace platform::linux_::registry
