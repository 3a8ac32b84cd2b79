// The popup menu calls on the real menus: a menu built through the back end (and through the
// core's menu class) read back with the Win32 menu queries, and one shown and chosen from.
#include <chrono>
#include <string>

#include "menu/mcPopupMenu.h"
#include "Win32TestSupport.h"

namespace win32test {
namespace {

using namespace std::chrono_literals;

std::wstring itemText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = static_cast<UINT>(std::size(text));
    if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) return L"<no item>";
    return text;
}

MENUITEMINFOA itemInfo(HMENU menu, UINT position, UINT mask) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    EXPECT_TRUE(::GetMenuItemInfoA(menu, position, TRUE, &info)) << "item " << position;
    return info;
}

class RealMenus : public ::testing::Test {
protected:
    Win32Services services;
};

TEST_F(RealMenus, TheCoreMenuClassBuildsTheItemsItWasGiven) {
    menu::mcPopupMenu popup;
    const auto hmenu = fromHandle<HMENU>(popup.hwnd());
    ASSERT_TRUE(::IsMenu(hmenu));
    popup.Add(1, std::string("English\ten"));
    popup.Add(0, std::string("-"));
    popup.Add(2, std::string("Nagy\xC3\xADt\t+"), true);
    popup.Add(3, std::string("Checked"), false, true);
    popup.Add(4, std::string("Grayed"), false, false, menu::Grayed);
    popup.Add(5, std::string("Disabled"), false, false, menu::Disabled);
    popup.Add(6, std::int32_t{42});  // neither a text nor a menu: ignored

    ASSERT_EQ(::GetMenuItemCount(hmenu), 6);
    EXPECT_EQ(itemText(hmenu, 0), L"English\ten");
    EXPECT_NE(::GetMenuState(hmenu, 1, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    // UTF-8 in, the same characters out of the wide query.
    EXPECT_EQ(itemText(hmenu, 2), L"Nagy\u00EDt\t+");
    EXPECT_EQ(::GetMenuDefaultItem(hmenu, FALSE, 0), 2u);
    EXPECT_NE(::GetMenuState(hmenu, 3, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(::GetMenuState(hmenu, 1, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED), 0u);
    EXPECT_EQ(::GetMenuState(hmenu, 4, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    const UINT disabled = ::GetMenuState(hmenu, 5, MF_BYCOMMAND);
    EXPECT_EQ(disabled & (MF_GRAYED | MF_DISABLED), static_cast<UINT>(MF_DISABLED));
    EXPECT_EQ(itemInfo(hmenu, 0, MIIM_ID).wID, 1u);
    EXPECT_EQ(itemInfo(hmenu, 5, MIIM_ID).wID, 5u);

    popup.Remove(0);
    ASSERT_EQ(::GetMenuItemCount(hmenu), 5);
    EXPECT_NE(::GetMenuState(hmenu, 0, MF_BYPOSITION) & MF_SEPARATOR, 0u);
}

TEST_F(RealMenus, EachCallReachesTheMenuWithItsArguments) {
    auto& menus = services.menus;
    const Handle menu = menus.CreatePopupMenu();
    const Handle submenu = menus.CreatePopupMenu();
    ASSERT_NE(menu, 0u);
    ASSERT_NE(submenu, 0u);
    const auto hmenu = fromHandle<HMENU>(menu);

    EXPECT_TRUE(menus.AppendMenu(menu, MF_STRING, 11, "Eleven"));
    EXPECT_TRUE(menus.AppendMenu(menu, MF_STRING, 12, "Twelve"));
    EXPECT_TRUE(menus.AppendMenu(submenu, MF_STRING, 21, "Inner"));
    EXPECT_TRUE(menus.AppendMenu(menu, MF_POPUP, submenu, "More"));
    EXPECT_TRUE(menus.AppendMenu(menu, MF_SEPARATOR, 0, nullptr));
    ASSERT_EQ(::GetMenuItemCount(hmenu), 4);
    EXPECT_EQ(::GetSubMenu(hmenu, 2), fromHandle<HMENU>(submenu));
    EXPECT_EQ(itemText(hmenu, 2), L"More");

    const platform::win32::OwnedWindowDc screen(nullptr);
    const platform::win32::OwnedGdiObject<HBITMAP> unchecked(::CreateCompatibleBitmap(screen.get(), 13, 13));
    const platform::win32::OwnedGdiObject<HBITMAP> checked(::CreateCompatibleBitmap(screen.get(), 13, 13));
    EXPECT_TRUE(menus.SetMenuItemBitmaps(menu, 12, MF_BYCOMMAND, toHandle(unchecked.get()), toHandle(checked.get())));
    const MENUITEMINFOA marks = itemInfo(hmenu, 1, MIIM_CHECKMARKS);
    EXPECT_EQ(marks.hbmpUnchecked, unchecked.get());
    EXPECT_EQ(marks.hbmpChecked, checked.get());

    EXPECT_TRUE(menus.SetMenuDefaultItem(menu, 12, 0));
    EXPECT_EQ(::GetMenuDefaultItem(hmenu, FALSE, 0), 12u);
    EXPECT_FALSE(menus.SetMenuDefaultItem(menu, 99, 0)) << "no item 99";

    EXPECT_EQ(menus.EnableMenuItem(menu, 11, MF_BYCOMMAND | MF_GRAYED), static_cast<int>(MF_ENABLED));
    EXPECT_EQ(menus.EnableMenuItem(menu, 11, MF_BYCOMMAND | MF_ENABLED), static_cast<int>(MF_GRAYED));
    EXPECT_EQ(menus.EnableMenuItem(menu, 99, MF_BYCOMMAND | MF_GRAYED), -1);

    EXPECT_TRUE(menus.DeleteMenu(menu, 11, MF_BYCOMMAND));
    EXPECT_EQ(::GetMenuItemCount(hmenu), 3);
    EXPECT_FALSE(menus.DeleteMenu(menu, 11, MF_BYCOMMAND)) << "already gone";

    // The submenu goes with the menu it was inserted into.
    EXPECT_TRUE(menus.DestroyMenu(menu));
    EXPECT_FALSE(::IsMenu(hmenu));
    EXPECT_FALSE(::IsMenu(fromHandle<HMENU>(submenu)));
}

TEST_F(RealMenus, AShownMenuReturnsTheChosenCommandOrZero) {
    const TestWindow owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, RECT{100, 100, 400, 300});
    ::SetForegroundWindow(owner.hwnd());
    pumpFor(200ms);

    menu::mcPopupMenu popup;
    popup.Add(7, std::string("First"));
    popup.Add(0, std::string("-"));
    popup.Add(8, std::string("Second"));
    popup.Add(9, std::string("Third"), false, false, menu::Grayed);

    // The menu's own loop reads the keys waiting in the queue: down twice (over the separator),
    // then Return.
    for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) ::PostMessageW(owner.hwnd(), WM_KEYDOWN, key, 1);
    EXPECT_EQ(popup.Show(static_cast<std::intptr_t>(owner.handle()), 150, 150), 8);

    // Escape closes it without a choice.
    ::PostMessageW(owner.hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(popup.Show(static_cast<std::intptr_t>(owner.handle()), 150, 150), 0);
}

}  // namespace
}  // namespace win32test
