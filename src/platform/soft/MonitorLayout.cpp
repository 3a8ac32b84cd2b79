#include "platform/soft/MonitorLayout.h"

#include <algorithm>
#include <limits>

namespace platform::soft {
namespace {

// How far apart two rectangles are, by the larger of the horizontal and vertical gaps.
std::int64_t distance(const Rect& a, const Rect& b) {
    const std::int64_t dx = std::max<std::int64_t>({0, std::int64_t{b.left} - a.right, std::int64_t{a.left} - b.right});
    const std::int64_t dy = std::max<std::int64_t>({0, std::int64_t{b.top} - a.bottom, std::int64_t{a.top} - b.bottom});
    return std::max(dx, dy);
}

}  // namespace

std::int64_t overlapArea(const Rect& a, const Rect& b) {
    const std::int64_t width = std::int64_t{std::min(a.right, b.right)} - std::max(a.left, b.left);
    const std::int64_t height = std::int64_t{std::min(a.bottom, b.bottom)} - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

void MonitorLayout::set(std::vector<MonitorInfo> monitors, int screenWidth, int screenHeight) {
    if (monitors.empty()) {
        const Rect screen{0, 0, screenWidth, screenHeight};
        monitors.push_back(MonitorInfo{screen, screen, true});
    }
    // One primary: when none is marked, the one at the screen's origin (where the primary
    // monitor is on Windows), else the first.
    if (std::none_of(monitors.begin(), monitors.end(), [](const MonitorInfo& m) { return m.primary; })) {
        const auto atOrigin = std::find_if(monitors.begin(), monitors.end(), [](const MonitorInfo& m) {
            return m.monitor.left <= 0 && m.monitor.top <= 0 && m.monitor.right > 0 && m.monitor.bottom > 0;
        });
        (atOrigin != monitors.end() ? *atOrigin : monitors.front()).primary = true;
    }
    monitors_ = std::move(monitors);
}

Handle MonitorLayout::fromRect(const Rect& rect, std::uint32_t flags) const {
    std::int64_t best = 0;
    Handle chosen = 0;
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        const std::int64_t area = overlapArea(rect, monitors_[i].monitor);
        if (area > best) {
            best = area;
            chosen = i + 1;
        }
    }
    if (chosen != 0 || monitors_.empty()) return chosen;
    if (flags == MONITOR_DEFAULTTOPRIMARY) {
        for (std::size_t i = 0; i < monitors_.size(); ++i)
            if (monitors_[i].primary) return i + 1;
    }
    if (flags == MONITOR_DEFAULTTONEAREST) {
        std::int64_t nearest = std::numeric_limits<std::int64_t>::max();
        for (std::size_t i = 0; i < monitors_.size(); ++i) {
            const std::int64_t d = distance(rect, monitors_[i].monitor);
            if (d < nearest) {
                nearest = d;
                chosen = i + 1;
            }
        }
    }
    return chosen;
}

bool MonitorLayout::info(Handle monitor, MonitorInfo& info) const {
    if (monitor == 0 || monitor > monitors_.size()) return false;
    info = monitors_[monitor - 1];
    return true;
}

std::vector<Handle> MonitorLayout::handles() const {
    std::vector<Handle> all;
    for (std::size_t i = 0; i < monitors_.size(); ++i) all.push_back(i + 1);
    return all;
}

}  // namespace platform::soft
