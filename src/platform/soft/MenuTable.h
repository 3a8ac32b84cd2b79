#pragma once
// Popup menus kept as plain data: items in order, each with its flags, id or submenu, text, marks
// and default state. Back ends add only the showing of a menu.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Menus.h"

namespace platform::soft {

struct MenuItem {
    std::uint32_t flags = 0;  // MF_SEPARATOR, MF_CHECKED, MF_POPUP, MF_GRAYED, MF_DISABLED
    std::uintptr_t id = 0;    // the command id, or the submenu's handle
    std::string text;
    Handle uncheckedBitmap = 0;
    Handle checkedBitmap = 0;
    bool bitmapsSet = false;
    bool isDefault = false;
};

class MenuTable : public Menus {
public:
    Handle CreatePopupMenu() override;
    // A submenu goes with the menu it was inserted into.
    bool DestroyMenu(Handle menu) override;
    bool AppendMenu(Handle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu, const char* text) override;
    bool DeleteMenu(Handle menu, std::uint32_t position, std::uint32_t flags) override;
    bool SetMenuItemBitmaps(Handle menu, std::uint32_t position, std::uint32_t flags, Handle unchecked,
                            Handle checked) override;
    bool SetMenuDefaultItem(Handle menu, std::uint32_t item, std::uint32_t byPosition) override;
    int EnableMenuItem(Handle menu, std::uint32_t item, std::uint32_t flags) override;

    // A menu's items, or null for a handle that is not a menu.
    const std::vector<MenuItem>* items(Handle menu) const;
    std::size_t liveMenus() const { return menus_.size(); }

private:
    // The first item that carries the command id (separators carry ids too).
    MenuItem* byCommand(Handle menu, std::uint32_t id);
    std::map<Handle, std::vector<MenuItem>> menus_;
    Handle next_ = 0x5000;
};

}  // namespace platform::soft
