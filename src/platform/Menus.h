#pragma once
// Popup menus, shaped after the user32 menu calls of the same names. Texts are ANSI strings.
#include <cstdint>

#include "platform/Types.h"

namespace platform {

class Menus {
public:
    virtual ~Menus() = default;
    virtual Handle CreatePopupMenu() = 0;
    virtual bool DestroyMenu(Handle menu) = 0;
    // `idOrSubmenu` is the command id, or the submenu's handle with MF_POPUP. `text` may be null.
    virtual bool AppendMenu(Handle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu, const char* text) = 0;
    virtual bool DeleteMenu(Handle menu, std::uint32_t position, std::uint32_t flags) = 0;
    virtual bool SetMenuItemBitmaps(Handle menu, std::uint32_t position, std::uint32_t flags, Handle unchecked,
                                    Handle checked) = 0;
    virtual bool SetMenuDefaultItem(Handle menu, std::uint32_t item, std::uint32_t byPosition) = 0;
    virtual int EnableMenuItem(Handle menu, std::uint32_t item, std::uint32_t flags) = 0;
    // Shows the menu modally with its top-left corner at (x, y); with TPM_RETURNCMD returns the
    // chosen id, or 0 when the menu closed without a choice.
    virtual int TrackPopupMenuEx(Handle menu, std::uint32_t flags, int x, int y, Handle owner) = 0;
};

}  // namespace platform
