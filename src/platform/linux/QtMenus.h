#pragma once
// Popup menus on Qt: the items are kept as the program describes them and turned into a real
// modal QMenu when shown.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Menus.h"
#include "platform/soft/SoftGraphics.h"

class QMenu;

namespace platform::linuxx11 {

class QtMenus : public Menus {
public:
    explicit QtMenus(soft::SoftGraphics& graphics) : graphics_(graphics) {}

    Handle CreatePopupMenu() override;
    bool DestroyMenu(Handle menu) override;
    bool AppendMenu(Handle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu, const char* text) override;
    bool DeleteMenu(Handle menu, std::uint32_t position, std::uint32_t flags) override;
    bool SetMenuItemBitmaps(Handle menu, std::uint32_t position, std::uint32_t flags, Handle unchecked,
                            Handle checked) override;
    bool SetMenuDefaultItem(Handle menu, std::uint32_t item, std::uint32_t byPosition) override;
    int EnableMenuItem(Handle menu, std::uint32_t item, std::uint32_t flags) override;
    int TrackPopupMenuEx(Handle menu, std::uint32_t flags, int x, int y, Handle owner) override;

    // The Qt menu a menu handle is shown as; empty for an unknown handle.
    std::unique_ptr<QMenu> buildMenu(Handle menu);

private:
    struct Item {
        std::uint32_t flags = 0;
        std::uintptr_t id = 0;  // command id, or the submenu's handle
        std::string text;
        Handle unchecked = 0;
        Handle checked = 0;
        bool isDefault = false;
    };
    Item* byCommand(Handle menu, std::uint32_t id);
    void build(QMenu& into, Handle menu, int depth);

    soft::SoftGraphics& graphics_;
    std::map<Handle, std::vector<Item>> menus_;
    Handle next_ = 0x7000;
};

}  // namespace platform::linuxx11
