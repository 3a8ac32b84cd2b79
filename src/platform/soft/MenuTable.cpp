#include "platform/soft/MenuTable.h"

namespace platform::soft {

Handle MenuTable::CreatePopupMenu() {
    const Handle menu = next_++;
    menus_[menu];
    return menu;
}

bool MenuTable::DestroyMenu(Handle menu) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    std::vector<Handle> submenus;
    for (const auto& item : it->second)
        if (item.flags & MF_POPUP) submenus.push_back(item.id);
    menus_.erase(it);
    for (Handle submenu : submenus) DestroyMenu(submenu);
    return true;
}

bool MenuTable::AppendMenu(Handle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu, const char* text) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    // A submenu must exist, and a menu cannot open itself.
    if ((flags & MF_POPUP) && (menus_.count(idOrSubmenu) == 0 || idOrSubmenu == menu)) return false;
    MenuItem item;
    item.flags = flags;
    item.id = idOrSubmenu;
    if (text != nullptr && (flags & MF_SEPARATOR) == 0) item.text = text;
    it->second.push_back(std::move(item));
    return true;
}

bool MenuTable::DeleteMenu(Handle menu, std::uint32_t position, std::uint32_t flags) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    auto& items = it->second;
    std::size_t index = items.size();
    if (flags & MF_BYPOSITION) {
        index = position;
    } else {
        for (std::size_t i = 0; i < items.size(); ++i)
            if ((items[i].flags & MF_POPUP) == 0 && items[i].id == position) {
                index = i;
                break;
            }
    }
    if (index >= items.size()) return false;
    const MenuItem removed = items[index];
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
    if (removed.flags & MF_POPUP) DestroyMenu(removed.id);
    return true;
}

MenuItem* MenuTable::byCommand(Handle menu, std::uint32_t id) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return nullptr;
    for (auto& item : it->second)
        if ((item.flags & MF_POPUP) == 0 && item.id == id) return &item;
    return nullptr;
}

bool MenuTable::SetMenuItemBitmaps(Handle menu, std::uint32_t position, std::uint32_t flags, Handle unchecked,
                                   Handle checked) {
    if (flags & MF_BYPOSITION) return false;
    MenuItem* item = byCommand(menu, position);
    if (item == nullptr) return false;
    item->uncheckedBitmap = unchecked;
    item->checkedBitmap = checked;
    item->bitmapsSet = true;
    return true;
}

bool MenuTable::SetMenuDefaultItem(Handle menu, std::uint32_t item, std::uint32_t byPosition) {
    if (byPosition != 0) return false;
    MenuItem* target = byCommand(menu, item);
    if (target == nullptr) return false;
    for (auto& other : menus_[menu]) other.isDefault = false;
    target->isDefault = true;
    return true;
}

int MenuTable::EnableMenuItem(Handle menu, std::uint32_t item, std::uint32_t flags) {
    MenuItem* target = byCommand(menu, item);
    if (target == nullptr) return -1;
    const int previous = static_cast<int>(target->flags & (MF_GRAYED | MF_DISABLED));
    target->flags = (target->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

const std::vector<MenuItem>* MenuTable::items(Handle menu) const {
    auto it = menus_.find(menu);
    return it == menus_.end() ? nullptr : &it->second;
}

}  // namespace platform::soft
