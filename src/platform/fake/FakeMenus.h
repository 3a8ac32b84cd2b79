#pragma once
// In-memory popup menus whose items can be inspected, and a menu loop that answers as the test
// says instead of waiting for a user.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Menus.h"

namespace platform::fake {

struct FakeMenuItem {
    std::uint32_t flags = 0;  // MF_SEPARATOR, MF_CHECKED, MF_POPUP, MF_GRAYED, MF_DISABLED
    std::uintptr_t id = 0;    // the command id, or the submenu's handle
    std::string text;
    Handle uncheckedBitmap = 0;
    Handle checkedBitmap = 0;
    bool bitmapsSet = false;
    bool isDefault = false;
};

struct TrackedMenu {
    Handle menu;
    std::uint32_t flags;
    int x;
    int y;
    Handle owner;
    std::vector<FakeMenuItem> items;  // as they were when shown
};

class FakeMenus : public Menus {
public:
    Handle CreatePopupMenu() override;
    bool DestroyMenu(Handle menu) override;
    bool AppendMenu(Handle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu, const char* text) override;
    bool DeleteMenu(Handle menu, std::uint32_t position, std::uint32_t flags) override;
    bool SetMenuItemBitmaps(Handle menu, std::uint32_t position, std::uint32_t flags, Handle unchecked,
                            Handle checked) override;
    bool SetMenuDefaultItem(Handle menu, std::uint32_t item, std::uint32_t byPosition) override;
    int EnableMenuItem(Handle menu, std::uint32_t item, std::uint32_t flags) override;
    int TrackPopupMenuEx(Handle menu, std::uint32_t flags, int x, int y, Handle owner) override;

    const std::vector<FakeMenuItem>* items(Handle menu) const;
    std::size_t liveMenus() const { return menus_.size(); }
    const std::vector<TrackedMenu>& shown() const { return shown_; }
    // What the user does when a menu is shown: the id chosen (0 for Escape), or any action.
    std::function<int(const TrackedMenu&)> onShow;

private:
    FakeMenuItem* byCommand(Handle menu, std::uint32_t id);
    std::map<Handle, std::vector<FakeMenuItem>> menus_;
    Handle next_ = 0x5000;
    std::vector<TrackedMenu> shown_;
};

}  // namespace platform::fake
