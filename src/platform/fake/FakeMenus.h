#pragma once
// In-memory popup menus whose items can be inspected, and a menu loop that answers as the test
// says instead of waiting for a user.
#include <functional>
#include <vector>

#include "platform/soft/MenuTable.h"

namespace platform::fake {

using FakeMenuItem = soft::MenuItem;

struct TrackedMenu {
    Handle menu;
    std::uint32_t flags;
    int x;
    int y;
    Handle owner;
    std::vector<FakeMenuItem> items;  // as they were when shown
};

class FakeMenus : public soft::MenuTable {
public:
    int TrackPopupMenuEx(Handle menu, std::uint32_t flags, int x, int y, Handle owner) override {
        const auto* shownItems = items(menu);
        if (shownItems == nullptr) return 0;
        shown_.push_back(TrackedMenu{menu, flags, x, y, owner, *shownItems});
        return onShow ? onShow(shown_.back()) : 0;
    }
    const std::vector<TrackedMenu>& shown() const { return shown_; }
    // What the user does when a menu is shown: the id chosen (0 for Escape), or any action.
    std::function<int(const TrackedMenu&)> onShow;

private:
    std::vector<TrackedMenu> shown_;
};

}  // namespace platform::fake
