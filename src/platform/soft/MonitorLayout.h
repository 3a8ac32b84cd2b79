#pragma once
// Monitors kept as a list of rectangles, for back ends whose system gives the rectangles but not
// the window system's monitor calls: a handle is a monitor's place in the list plus one.
#include <cstdint>
#include <vector>

#include "platform/Types.h"

namespace platform::soft {

// The area two rectangles share, 0 when they do not meet.
std::int64_t overlapArea(const Rect& a, const Rect& b);

class MonitorLayout {
public:
    // An empty list stands for one monitor of the given screen size, primary. With none marked
    // primary, the one at the origin is.
    void set(std::vector<MonitorInfo> monitors, int screenWidth, int screenHeight);
    const std::vector<MonitorInfo>& monitors() const { return monitors_; }

    Handle fromRect(const Rect& rect, std::uint32_t flags) const;
    bool info(Handle monitor, MonitorInfo& info) const;
    std::vector<Handle> handles() const;

private:
    std::vector<MonitorInfo> monitors_;
};

}  // namespace platform::soft
