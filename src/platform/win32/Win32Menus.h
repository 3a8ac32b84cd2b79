#pragma once
// Popup menus on user32: each call goes to the Win32 function of the same name with the same
// arguments. Item texts go through the ANSI functions.
#include "platform/Menus.h"

namespace platform::win32 {

class Win32Menus : public Menus {
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
};

}  // namespace platform::win32
