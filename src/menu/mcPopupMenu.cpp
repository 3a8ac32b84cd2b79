#include "menu/mcPopupMenu.h"

#include "platform/Services.h"

namespace menu {

mcPopupMenu::mcPopupMenu() : mMenu(platform::menus().CreatePopupMenu()) {}

mcPopupMenu::~mcPopupMenu() { platform::menus().DestroyMenu(mMenu); }

void mcPopupMenu::Remove(std::int32_t iMenuPosition) {
    platform::menus().DeleteMenu(mMenu, static_cast<std::uint32_t>(iMenuPosition), platform::MF_BYPOSITION);
}

void mcPopupMenu::Add(std::int32_t iMenuID, const vMenuItem& item, bool bDefault, bool bChecked,
                      std::int32_t eItemState, platform::Handle imgUnchecked, platform::Handle imgChecked) {
    auto& menus = platform::menus();
    const auto id = static_cast<std::uint32_t>(iMenuID);
    if (const auto* text = std::get_if<std::string>(&item)) {
        if (*text == "-") {
            menus.AppendMenu(mMenu, platform::MF_SEPARATOR, id, nullptr);
        } else {
            menus.AppendMenu(mMenu, bChecked ? platform::MF_CHECKED : platform::MF_STRING, id, text->c_str());
        }
        // Always made: with no bitmaps the platform's standard marks are used.
        menus.SetMenuItemBitmaps(mMenu, id, platform::MF_BYCOMMAND, imgUnchecked, imgChecked);
        if (bDefault) menus.SetMenuDefaultItem(mMenu, id, 0);
        if (eItemState == Disabled) {
            menus.EnableMenuItem(mMenu, id, platform::MF_BYCOMMAND | platform::MF_DISABLED);
        } else if (eItemState == Grayed) {
            menus.EnableMenuItem(mMenu, id, platform::MF_BYCOMMAND | platform::MF_GRAYED);
        }
    } else if (const auto* submenu = std::get_if<const mcPopupMenu*>(&item); submenu != nullptr && *submenu != nullptr) {
        const std::string caption = (*submenu)->Caption();
        menus.AppendMenu(mMenu, platform::MF_POPUP, (*submenu)->hwnd(), caption.c_str());
    }
    // Anything else is ignored.
}

std::int32_t mcPopupMenu::Show(std::intptr_t iFormHwnd, std::int32_t X, std::int32_t Y, std::intptr_t iControlHwnd) {
    auto& windows = platform::windows();
    auto owner = static_cast<platform::Handle>(iFormHwnd);
    if (iFormHwnd == -1 || iFormHwnd == 0) {
        // The first window of this process in z-order, hidden or not.
        platform::Handle candidate = windows.GetWindow(windows.GetDesktopWindow(), platform::GW_CHILD);
        const std::uint32_t ownProcess = windows.GetCurrentProcessId();
        owner = 0;
        while (candidate != 0) {
            std::uint32_t process = 0;
            windows.GetWindowThreadProcessId(candidate, &process);
            if (process == ownProcess) {
                owner = candidate;
                break;
            }
            candidate = windows.GetWindow(candidate, platform::GW_HWNDNEXT);
        }
        if (owner == 0) return -1;
    }

    std::int32_t x = 0;
    std::int32_t y = 0;
    if (iControlHwnd != -1) {
        platform::Rect rect{};
        windows.GetWindowRect(static_cast<platform::Handle>(iControlHwnd), rect);
        x = rect.left;
        y = rect.bottom;
    } else {
        platform::Point cursor{};
        windows.GetCursorPos(cursor);
        x = X == -1 ? cursor.x : X;
        y = Y == -1 ? cursor.y : Y;
    }
    return platform::menus().TrackPopupMenuEx(mMenu, platform::TPM_RETURNCMD | platform::TPM_RIGHTBUTTON, x, y,
                                              owner);
}

}  // namespace menu
