#include "base/Warn.h"

#include <cstdio>
#include <string>

namespace base {

void warn(std::string_view message) noexcept {
    constexpr std::string_view kPrefix = "magnifier: ";
    try {
        std::string line;
        line.reserve(kPrefix.size() + message.size() + 1);
        line.append(kPrefix).append(message).push_back('\n');
        std::fwrite(line.data(), 1, line.size(), stderr);
    } catch (...) {
        // No memory for the line: said in pieces rather than not at all.
        std::fwrite(kPrefix.data(), 1, kPrefix.size(), stderr);
        std::fwrite(message.data(), 1, message.size(), stderr);
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
}

}  // namespace base
