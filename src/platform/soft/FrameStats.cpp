#include "platform/soft/FrameStats.h"

#include <cstdio>

#include "base/DebugSwitches.h"

namespace platform::soft {

void FrameStats::count() {
    if (frames_++ == 0) first_ = std::chrono::steady_clock::now();
}

std::string FrameStats::report() const {
    const auto first = std::chrono::duration_cast<std::chrono::microseconds>(first_.time_since_epoch());
    return "magnifier: frames " + std::to_string(frames_) + "\nmagnifier: first frame at " +
           std::to_string(static_cast<long long>(first.count())) + " us\n";
}

void FrameStats::print() const {
    if (!base::debugSwitches().frameStats) return;
    std::fputs(report().c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace platform::soft
