#pragma once
// The one way the program speaks on stderr: "magnifier: ", the message and a newline, written
// at once, so that lines from different threads never run into each other.
#include <string_view>

namespace base {

void warn(std::string_view message) noexcept;

}  // namespace base
