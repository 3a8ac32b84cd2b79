#include "platform/fake/FakeMenus.h"

namespace platform::fake {

Handle FakeMenus::CreatePopupMenu() {
    const Handle menu = next_++;
    menus_[menu];
    return menu;
}

bool FakeMenus::DestroyMenu(Handle menu) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    // A submenu goes with the menu it was inserted into.
    std::vector<Handle> submenus;
    for (const auto& item : it->second)
        if (item.flags & MF_POPUP) submenus.push_back(item.id);
    menus_.erase(it);
    for (Handle submenu : submenus) DestroyMenu(submenu);
    return true;
}

bool FakeMenus::AppendMenu(Handle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu, const char* text) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    if ((flags & MF_POPUP) && menus_.count(idOrSubmenu) == 0) return false;
    FakeMenuItem item;
    item.flags = flags;
    item.id = idOrSubmenu;
    if (text != nullptr && (flags & MF_SEPARATOR) == 0) item.text = text;
    it->second.push_back(item);
    return true;
}

bool FakeMenus::DeleteMenu(Handle menu, std::uint32_t position, std::uint32_t flags) {
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
    const FakeMenuItem removed = items[index];
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
    if (removed.flags & MF_POPUP) DestroyMenu(removed.id);
    return true;
}

FakeMenuItem* FakeMenus::byCommand(Handle menu, std::uint32_t id) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return nullptr;
    for (auto& item : it->second)
        if ((item.flags & MF_POPUP) == 0 && item.id == id) return &item;
    return nullptr;
}

bool FakeMenus::SetMenuItemBitmaps(Handle menu, std::uint32_t position, std::uint32_t flags, Handle unchecked,
                                   Handle checked) {
    if (flags & MF_BYPOSITION) return false;
    FakeMenuItem* item = byCommand(menu, position);
    if (item == nullptr) return false;
    item->uncheckedBitmap = unchecked;
    item->checkedBitmap = checked;
    item->bitmapsSet = true;
    return true;
}

bool FakeMenus::SetMenuDefaultItem(Handle menu, std::uint32_t item, std::uint32_t byPosition) {
    if (byPosition != 0) return false;
    FakeMenuItem* target = byCommand(menu, item);
    if (target == nullptr) return false;
    for (auto& other : menus_[menu]) other.isDefault = false;
    target->isDefault = true;
    return true;
}

int FakeMenus::EnableMenuItem(Handle menu, std::uint32_t item, std::uint32_t flags) {
    FakeMenuItem* target = byCommand(menu, item);
    if (target == nullptr) return -1;
    const int previous = static_cast<int>(target->flags & (MF_GRAYED | MF_DISABLED));
    target->flags = (target->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

int FakeMenus::TrackPopupMenuEx(Handle menu, std::uint32_t flags, int x, int y, Handle owner) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return 0;
    shown_.push_back(TrackedMenu{menu, flags, x, y, owner, it->second});
    return onShow ? onShow(shown_.back()) : 0;
}

const std::vector<FakeMenuItem>* FakeMenus::items(Handle menu) const {
    auto it = menus_.find(menu);
    return it == menus_.end() ? nullptr : &it->second;
}

}  // namespace platform::fake
