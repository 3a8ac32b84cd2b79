#include "platform/soft/FrameStats.h"

#include "base/DebugSwitches.h"
#include "base/Warn.h"

namespace platform::soft {

void FrameStats::count() {
    if (frames_++ == 0) first_ = std::chrono::steady_clock::now();
}

std::vector<std::string> FrameStats::lines() const {
    const auto first = std::chrono::duration_cast<std::chrono::microseconds>(first_.time_since_epoch());
    return {"frames " + std::to_string(frames_),
            "first frame at " + std::to_string(static_cast<long long>(first.count())) + " us"};
}

std::string FrameStats::report() const {
    std::string text;
    for (const std::string& line : lines()) text += "magnifier: " + line + "\n";
    return text;
}

void FrameStats::print() const {
    if (!base::debugSwitches().frameStats) return;
    for (const std::string& line : lines()) base::warn(line);
}

}  // namespace platform::soft
