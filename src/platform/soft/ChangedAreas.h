#pragma once
// The screen areas reported changed since the view last asked. Many small areas between two
// questions count as the one rectangle around them, so a busy screen costs a bounded record.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/Types.h"

namespace platform::soft {

class ChangedAreas {
public:
    explicit ChangedAreas(std::size_t limit) : limit_(limit) {}

    void add(const Rect& area) {
        if (areas_.size() < limit_) {
            areas_.push_back(area);
            return;
        }
        Rect all = area;
        for (const Rect& r : areas_) {
            all = Rect{std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
                       std::max(all.bottom, r.bottom)};
        }
        areas_.assign(1, all);
    }

    // Whether any area recorded meets `area`; the record starts afresh.
    bool takeMeeting(const Rect& area) {
        const bool hit = std::any_of(areas_.begin(), areas_.end(), [&](const Rect& r) {
            return r.left < area.right && area.left < r.right && r.top < area.bottom && area.top < r.bottom;
        });
        areas_.clear();
        return hit;
    }

private:
    std::size_t limit_;
    std::vector<Rect> areas_;
};

}  // namespace platform::soft
