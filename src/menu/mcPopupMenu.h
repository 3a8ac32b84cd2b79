#pragma once
// A reusable popup menu: text items, separators and submenus, shown at the cursor, at a point or
// under a control, giving back the command id of the chosen item.
#include <cstdint>
#include <string>
#include <variant>

#include "platform/Types.h"

namespace menu {

class mcPopupMenu;

// What can be added: a text ("-" for a separator), another menu to insert as a submenu, or
// anything else, which is ignored.
using vMenuItem = std::variant<std::monostate, std::string, const mcPopupMenu*, std::int32_t>;

// Item states.
enum eItemState : std::int32_t { Normal = 0, Disabled = 1, Grayed = 2 };

class mcPopupMenu {
public:
    mcPopupMenu();
    ~mcPopupMenu();
    mcPopupMenu(const mcPopupMenu&) = delete;
    mcPopupMenu& operator=(const mcPopupMenu&) = delete;

    /// If this instance of the Class is to be a Submenu, set this Property to the text desired for the placeholder.
    void setCaption(const std::string& sCaption) { mCaption = sCaption; }
    /// If this instance of the Class is to be a Submenu, set this Property to the text desired for the placeholder.
    std::string Caption() const { return mCaption; }

    /// Removes a Menu Item or Submenu. This function cannot remove a Submenu by it's ID, so the passed value must be a 0-based index of the Item's position. 
    void Remove(std::int32_t iMenuPosition);

    /// Returns the handle of the Menu.
    platform::Handle hwnd() const { return mMenu; }

    /// Adds a Menu Item to the Menu.
    void Add(std::int32_t iMenuID, const vMenuItem& vMenuItem, bool bDefault = false, bool bChecked = false,
             std::int32_t eItemState = Normal, platform::Handle imgUnchecked = 0, platform::Handle imgChecked = 0);

    /// Displays the Menu. If no Window handle is passed, an attempt is made to find a valid Window handle. This function will fail without a valid handle. X and Y are gathered from the current mouse position if not specified. If a Control handle is passed, the Menu will align itself to the bottom-left corner, if possible.
    std::int32_t Show(std::intptr_t iFormHwnd = -1, std::int32_t X = -1, std::int32_t Y = -1,
                      std::intptr_t iControlHwnd = -1);

private:
    std::string mCaption;
    platform::Handle mMenu = 0;
};

}  // namespace menu
