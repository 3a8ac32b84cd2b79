#include "platform/win32/Win32Menus.h"

#include <string>

#include "platform/win32/Win32Handles.h"

namespace platform::win32 {

Handle Win32Menus::CreatePopupMenu() { return toHandle(::CreatePopupMenu()); }

bool Win32Menus::DestroyMenu(Handle menu) { return ::DestroyMenu(fromHandle<HMENU>(menu)) != FALSE; }

bool Win32Menus::AppendMenu(Handle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu, const char* text) {
    // The core's texts are UTF-8. The manifest gives the process the UTF-8 code page, so they pass
    // unchanged; on a system without that they are converted to the process's code page.
    // Bitmap and owner-drawn items carry no text in this parameter.
    if (text == nullptr || (flags & (MF_BITMAP | MF_OWNERDRAW)) != 0) {
        return ::AppendMenuA(fromHandle<HMENU>(menu), flags, idOrSubmenu, text) != FALSE;
    }
    const std::string ansi = utf8ToAnsi(text);
    return ::AppendMenuA(fromHandle<HMENU>(menu), flags, idOrSubmenu, ansi.c_str()) != FALSE;
}

bool Win32Menus::DeleteMenu(Handle menu, std::uint32_t position, std::uint32_t flags) {
    return ::DeleteMenu(fromHandle<HMENU>(menu), position, flags) != FALSE;
}

bool Win32Menus::SetMenuItemBitmaps(Handle menu, std::uint32_t position, std::uint32_t flags, Handle unchecked,
                                    Handle checked) {
    return ::SetMenuItemBitmaps(fromHandle<HMENU>(menu), position, flags, fromHandle<HBITMAP>(unchecked),
                                fromHandle<HBITMAP>(checked)) != FALSE;
}

bool Win32Menus::SetMenuDefaultItem(Handle menu, std::uint32_t item, std::uint32_t byPosition) {
    return ::SetMenuDefaultItem(fromHandle<HMENU>(menu), item, byPosition) != FALSE;
}

int Win32Menus::EnableMenuItem(Handle menu, std::uint32_t item, std::uint32_t flags) {
    return ::EnableMenuItem(fromHandle<HMENU>(menu), item, flags);
}

int Win32Menus::TrackPopupMenuEx(Handle menu, std::uint32_t flags, int x, int y, Handle owner) {
    return ::TrackPopupMenuEx(fromHandle<HMENU>(menu), flags, x, y, fromHandle<HWND>(owner), nullptr);
}

}  // namespace platform::win32
