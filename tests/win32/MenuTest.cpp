// The real menus through the Win32 back end, held to what every back end's menus do: a menu is
// read back with the Win32 menu queries, and a shown one is answered with keys in its queue.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "MenusConformance.h"
#include "Win32TestSupport.h"

namespace win32test {
namespace {

using namespace std::chrono_literals;
using conformance::SeenItem;

std::string utf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<std::size_t>(size) : 1u, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1);  // the terminating zero
    return out;
}

// What the menu shows at a position, as the wide menu query reads it.
SeenItem seenItem(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_CHECKMARKS;
    info.dwTypeData = text;
    info.cch = static_cast<UINT>(std::size(text));
    SeenItem item;
    EXPECT_TRUE(::GetMenuItemInfoW(menu, position, TRUE, &info)) << "item " << position;
    if (info.fType & MFT_SEPARATOR) {
        item.separator = true;
        return item;
    }
    item.text = utf8(text);
    if (info.hSubMenu != nullptr) {
        item.submenu = true;
        const int count = ::GetMenuItemCount(info.hSubMenu);
        for (int i = 0; i < count; ++i) item.items.push_back(seenItem(info.hSubMenu, static_cast<UINT>(i)));
        return item;
    }
    item.id = info.wID;
    if (info.fState & MF_GRAYED) {
        item.look = SeenItem::Look::Grayed;
    } else if (info.fState & MF_DISABLED) {
        item.look = SeenItem::Look::Inert;
        item.id = 0;
    }
    const bool checked = (info.fState & MFS_CHECKED) != 0;
    item.mark = (checked ? info.hbmpChecked : info.hbmpUnchecked) != nullptr;
    item.checked = checked && info.hbmpChecked == nullptr;
    item.isDefault = (info.fState & MFS_DEFAULT) != 0;
    return item;
}

class Win32MenusBackend {
public:
    platform::Menus& menus() { return services_.menus; }
    std::optional<std::vector<SeenItem>> seen(Handle menu) {
        const auto hmenu = fromHandle<HMENU>(menu);
        if (!::IsMenu(hmenu)) return std::nullopt;
        std::vector<SeenItem> items;
        const int count = ::GetMenuItemCount(hmenu);
        for (int i = 0; i < count; ++i) items.push_back(seenItem(hmenu, static_cast<UINT>(i)));
        return items;
    }
    Handle markBitmap() {
        const platform::win32::OwnedWindowDc screen(nullptr);
        mark_ = std::make_unique<platform::win32::OwnedGdiObject<HBITMAP>>(::CreateCompatibleBitmap(screen.get(), 13, 13));
        return toHandle(mark_->get());
    }
    // A window in the foreground: the menu's own loop reads the keys waiting in its queue.
    Handle owner() {
        if (!owner_) {
            owner_ = std::make_unique<TestWindow>(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, RECT{100, 100, 400, 300});
            ::SetForegroundWindow(owner_->hwnd());
            pumpFor(200ms);
        }
        return owner_->handle();
    }
    // Down once for each item that can be highlighted up to the chosen one (separators are
    // skipped), then Return; or Escape.
    void answerNextShow(Handle menu, std::optional<std::size_t> position) {
        const HWND to = fromHandle<HWND>(owner());
        if (!position) {
            ::PostMessageW(to, WM_KEYDOWN, VK_ESCAPE, 1);
            return;
        }
        const auto hmenu = fromHandle<HMENU>(menu);
        for (std::size_t i = 0; i <= *position; ++i) {
            if ((::GetMenuState(hmenu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) == 0) {
                ::PostMessageW(to, WM_KEYDOWN, VK_DOWN, 1);
            }
        }
        ::PostMessageW(to, WM_KEYDOWN, VK_RETURN, 1);
    }

private:
    Win32Services services_;
    std::unique_ptr<platform::win32::OwnedGdiObject<HBITMAP>> mark_;
    std::unique_ptr<TestWindow> owner_;
};

class RealMenus : public ::testing::Test {
protected:
    Win32Services services;
};

// Where the user sees no command (an inert item, which cannot be chosen), the menu keeps it.
TEST_F(RealMenus, AnInertItemKeepsItsCommand) {
    menu::mcPopupMenu popup;
    popup.Add(5, std::string("Disabled"), false, false, menu::Disabled);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE;
    ASSERT_TRUE(::GetMenuItemInfoA(fromHandle<HMENU>(popup.hwnd()), 0, TRUE, &info));
    EXPECT_EQ(info.wID, 5u);
    EXPECT_EQ(info.fState & (MF_GRAYED | MF_DISABLED), static_cast<UINT>(MF_DISABLED));
}

// The marks are the very bitmaps given, not copies.
TEST_F(RealMenus, ItemBitmapsArePassedOnAsTheyAre) {
    auto& menus = services.menus;
    const Handle menu = menus.CreatePopupMenu();
    EXPECT_TRUE(menus.AppendMenu(menu, MF_STRING, 12, "Twelve"));
    const platform::win32::OwnedWindowDc screen(nullptr);
    const platform::win32::OwnedGdiObject<HBITMAP> unchecked(::CreateCompatibleBitmap(screen.get(), 13, 13));
    const platform::win32::OwnedGdiObject<HBITMAP> checked(::CreateCompatibleBitmap(screen.get(), 13, 13));
    EXPECT_TRUE(menus.SetMenuItemBitmaps(menu, 12, MF_BYCOMMAND, toHandle(unchecked.get()), toHandle(checked.get())));
    MENUITEMINFOA marks{};
    marks.cbSize = sizeof marks;
    marks.fMask = MIIM_CHECKMARKS;
    ASSERT_TRUE(::GetMenuItemInfoA(fromHandle<HMENU>(menu), 0, TRUE, &marks));
    EXPECT_EQ(marks.hbmpUnchecked, unchecked.get());
    EXPECT_EQ(marks.hbmpChecked, checked.get());
    EXPECT_TRUE(menus.DestroyMenu(menu));
}

}  // namespace
}  // namespace win32test

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32Menus, MenusConformance, win32test::Win32MenusBackend);
}  // namespace conformance
