#pragma once
// What every back end's Menus do alike, run against each of them: the in-memory menus the core's
// unit tests use, Qt's and the real ones under Wine. A menu is judged by what a user would see of
// it (SeenItem), which each back end reads in its own way.
// Include this header in one test file of a back end's test program and instantiate the suite
// there with a type that gives
//   platform::Menus& menus();
//   std::optional<std::vector<conformance::SeenItem>> seen(platform::Handle menu);
//                                   the menu's items as it would show them, a submenu's with
//                                   it; nothing when the handle is no menu (any more)
//   platform::Handle markBitmap();  a small bitmap the back end can show as an item's mark
//   platform::Handle owner();       a window that may own a shown menu
//   void answerNextShow(platform::Handle menu, std::optional<std::size_t> position);
//                                   what the user does when the menu is shown next: chooses the
//                                   item at `position`, or closes the menu without a choice
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "BackendSuite.h"
#include "menu/mcPopupMenu.h"
#include "platform/Menus.h"
#include "platform/Services.h"

namespace conformance {

// One item as the user sees it.
struct SeenItem {
    // Grayed items are drawn grey and cannot be chosen; inert ones are drawn as any other item
    // but cannot be chosen either.
    enum class Look { Normal, Grayed, Inert };

    std::string text;  // the label, then a tab and the second column if it has one
    bool separator = false;
    bool submenu = false;
    // The command a plain item gives; 0 for separators, submenus and inert items, which give
    // none (a back end may keep no command for them at all).
    std::uintptr_t id = 0;
    Look look = Look::Normal;
    bool checked = false;  // shows the standard check mark
    bool mark = false;     // shows a bitmap of its own as its mark, for its state
    bool isDefault = false;
    std::vector<SeenItem> items;  // a submenu's, as it opens

    friend bool operator==(const SeenItem&, const SeenItem&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const SeenItem& item) {
    if (item.separator) return out << "{separator}";
    out << "{\"" << item.text << "\"";
    if (item.submenu) {
        out << " submenu {";
        for (const SeenItem& inner : item.items) out << " " << inner;
        out << " }";
    }
    if (item.id != 0) out << " id " << item.id;
    if (item.look == SeenItem::Look::Grayed) out << " grayed";
    if (item.look == SeenItem::Look::Inert) out << " inert";
    if (item.checked) out << " checked";
    if (item.mark) out << " mark";
    if (item.isDefault) out << " default";
    return out << "}";
}

inline SeenItem plain(std::string text, std::uintptr_t id) {
    SeenItem item;
    item.text = std::move(text);
    item.id = id;
    return item;
}
// The same item drawn another way.
inline SeenItem grayed(SeenItem item) {
    item.look = SeenItem::Look::Grayed;
    return item;
}
inline SeenItem inert(SeenItem item) {
    item.look = SeenItem::Look::Inert;
    item.id = 0;
    return item;
}
inline SeenItem checked(SeenItem item) {
    item.checked = true;
    return item;
}
inline SeenItem marked(SeenItem item) {
    item.mark = true;
    return item;
}
inline SeenItem byDefault(SeenItem item) {
    item.isDefault = true;
    return item;
}
inline SeenItem separator() {
    SeenItem item;
    item.separator = true;
    return item;
}
inline SeenItem submenu(std::string text, std::vector<SeenItem> items) {
    SeenItem item;
    item.text = std::move(text);
    item.submenu = true;
    item.items = std::move(items);
    return item;
}

template <class Backend>
class MenusConformance : public BackendSuite<Backend> {
protected:
    using Look = SeenItem::Look;

    platform::Menus& menus() { return this->backend.menus(); }
    std::vector<SeenItem> seen(platform::Handle menu) {
        auto items = this->backend.seen(menu);
        EXPECT_TRUE(items.has_value()) << "no menu " << menu;
        return items.value_or(std::vector<SeenItem>{});
    }

    // The core's menu object reaches the menus through the platform services.
    platform::ServicesScope services{platform::Services{.menus = &this->backend.menus()}};
};

TYPED_TEST_SUITE_P(MenusConformance);

TYPED_TEST_P(MenusConformance, ItemsShowAsTheyWereAppended) {
    auto& menus = this->menus();
    const platform::Handle menu = menus.CreatePopupMenu();
    ASSERT_NE(menu, 0u);
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 1, "Title"));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_SEPARATOR, 0, nullptr));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_CHECKED, 2, "English\ten"));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 3, "Grey"));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 4, "Inert\tx"));
    // UTF-8 in, the same characters shown.
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 5, "Nagy\xC3\xADt\t+"));
    EXPECT_EQ(menus.EnableMenuItem(menu, 3, platform::MF_BYCOMMAND | platform::MF_GRAYED), 0);
    EXPECT_EQ(menus.EnableMenuItem(menu, 4, platform::MF_BYCOMMAND | platform::MF_DISABLED), 0);
    EXPECT_TRUE(menus.SetMenuDefaultItem(menu, 1, 0));

    EXPECT_EQ(this->seen(menu),
              (std::vector<SeenItem>{byDefault(plain("Title", 1)), separator(), checked(plain("English\ten", 2)),
                                     grayed(plain("Grey", 3)), inert(plain("Inert\tx", 4)),
                                     plain("Nagy\xC3\xADt\t+", 5)}));
    EXPECT_TRUE(menus.DestroyMenu(menu));
}

TYPED_TEST_P(MenusConformance, EachCallAnswersWhetherItFoundItsItem) {
    using Look = typename TestFixture::Look;
    auto& menus = this->menus();
    const platform::Handle menu = menus.CreatePopupMenu();
    ASSERT_NE(menu, 0u);
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 11, "Eleven"));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 12, "Twelve"));

    // Win32 takes the default from every item before it looks for the one asked for, so a
    // missing one leaves none; the in-memory menus keep the old one. The core never asks for an
    // item it has not added.
    EXPECT_FALSE(menus.SetMenuDefaultItem(menu, 99, 0)) << "no item 99";
    EXPECT_TRUE(menus.SetMenuDefaultItem(menu, 12, 0));
    EXPECT_TRUE(this->seen(menu).at(1).isDefault);
    EXPECT_FALSE(this->seen(menu).at(0).isDefault);

    // Each change of state answers with the state before.
    EXPECT_EQ(menus.EnableMenuItem(menu, 11, platform::MF_BYCOMMAND | platform::MF_GRAYED), 0);
    EXPECT_EQ(this->seen(menu).at(0).look, Look::Grayed);
    EXPECT_EQ(menus.EnableMenuItem(menu, 11, platform::MF_BYCOMMAND), static_cast<int>(platform::MF_GRAYED));
    EXPECT_EQ(this->seen(menu).at(0).look, Look::Normal);
    EXPECT_EQ(menus.EnableMenuItem(menu, 99, platform::MF_BYCOMMAND | platform::MF_GRAYED), -1);

    EXPECT_TRUE(menus.DeleteMenu(menu, 11, platform::MF_BYCOMMAND));
    EXPECT_FALSE(menus.DeleteMenu(menu, 11, platform::MF_BYCOMMAND)) << "already gone";
    EXPECT_EQ(this->seen(menu), (std::vector<SeenItem>{byDefault(plain("Twelve", 12))}));
    EXPECT_TRUE(menus.DeleteMenu(menu, 0, platform::MF_BYPOSITION));
    EXPECT_FALSE(menus.DeleteMenu(menu, 0, platform::MF_BYPOSITION)) << "no item left";
    EXPECT_TRUE(this->seen(menu).empty());

    EXPECT_TRUE(menus.DestroyMenu(menu));
    EXPECT_FALSE(this->backend.seen(menu).has_value());
    EXPECT_FALSE(menus.DestroyMenu(menu)) << "already destroyed";
    EXPECT_FALSE(menus.AppendMenu(menu, platform::MF_STRING, 13, "Thirteen")) << "no menu";
}

TYPED_TEST_P(MenusConformance, SubmenusShowTheirItemsAndGoWithTheirParent) {
    auto& menus = this->menus();
    const platform::Handle parent = menus.CreatePopupMenu();
    const platform::Handle child = menus.CreatePopupMenu();
    ASSERT_NE(parent, 0u);
    ASSERT_NE(child, 0u);
    EXPECT_NE(parent, child);
    EXPECT_TRUE(menus.AppendMenu(child, platform::MF_STRING, 7, "Inner"));
    EXPECT_TRUE(menus.AppendMenu(parent, platform::MF_STRING, 6, "Outer"));
    EXPECT_TRUE(menus.AppendMenu(parent, platform::MF_POPUP, child, "More"));
    EXPECT_EQ(this->seen(parent), (std::vector<SeenItem>{plain("Outer", 6), submenu("More", {plain("Inner", 7)})}));
    EXPECT_EQ(this->seen(child), (std::vector<SeenItem>{plain("Inner", 7)}));

    // Deleting the submenu's item destroys the submenu.
    EXPECT_TRUE(menus.DeleteMenu(parent, 1, platform::MF_BYPOSITION));
    EXPECT_FALSE(menus.DestroyMenu(child)) << "deleting the submenu item destroys the submenu";

    // So does destroying the menu it was inserted into.
    const platform::Handle another = menus.CreatePopupMenu();
    EXPECT_TRUE(menus.AppendMenu(another, platform::MF_STRING, 8, "Deep"));
    EXPECT_TRUE(menus.AppendMenu(parent, platform::MF_POPUP, another, "Again"));
    EXPECT_TRUE(menus.DestroyMenu(parent));
    EXPECT_FALSE(this->backend.seen(parent).has_value());
    EXPECT_FALSE(menus.DestroyMenu(another)) << "the submenu went with its parent";
}

TYPED_TEST_P(MenusConformance, ItemBitmapsAreTheMarksOfTheItemsState) {
    auto& menus = this->menus();
    const platform::Handle mark = this->backend.markBitmap();
    const platform::Handle menu = menus.CreatePopupMenu();
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 1, "Unchecked with a mark"));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_CHECKED, 2, "Checked with a mark"));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_CHECKED, 3, "Checked, only an unchecked mark"));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 4, "Plain"));
    EXPECT_TRUE(menus.SetMenuItemBitmaps(menu, 1, platform::MF_BYCOMMAND, mark, 0));
    EXPECT_TRUE(menus.SetMenuItemBitmaps(menu, 2, platform::MF_BYCOMMAND, 0, mark));
    EXPECT_TRUE(menus.SetMenuItemBitmaps(menu, 3, platform::MF_BYCOMMAND, mark, 0));
    EXPECT_TRUE(menus.SetMenuItemBitmaps(menu, 4, platform::MF_BYCOMMAND, 0, 0));
    EXPECT_FALSE(menus.SetMenuItemBitmaps(menu, 99, platform::MF_BYCOMMAND, mark, mark)) << "no item 99";

    EXPECT_EQ(this->seen(menu), (std::vector<SeenItem>{marked(plain("Unchecked with a mark", 1)),
                                                       marked(plain("Checked with a mark", 2)),
                                                       checked(plain("Checked, only an unchecked mark", 3)),
                                                       plain("Plain", 4)}));
    EXPECT_TRUE(menus.DestroyMenu(menu));
}

TYPED_TEST_P(MenusConformance, TheCoreMenuClassBuildsTheItemsItWasGiven) {
    // Made first, so that it goes last, after the menu it is inserted into.
    menu::mcPopupMenu inner;
    menu::mcPopupMenu popup;
    ASSERT_TRUE(this->backend.seen(popup.hwnd()).has_value());
    popup.Add(1, std::string("English\ten"));
    popup.Add(0, std::string("-"));
    popup.Add(2, std::string("Nagy\xC3\xADt\t+"), true);
    popup.Add(3, std::string("Checked"), false, true);
    popup.Add(4, std::string("Grayed"), false, false, menu::Grayed);
    popup.Add(5, std::string("Disabled"), false, false, menu::Disabled);
    popup.Add(6, std::int32_t{42});  // neither a text nor a menu: ignored

    const std::vector<SeenItem> last{separator(), byDefault(plain("Nagy\xC3\xADt\t+", 2)), checked(plain("Checked", 3)),
                                     grayed(plain("Grayed", 4)), inert(plain("Disabled", 5))};
    std::vector<SeenItem> all{plain("English\ten", 1)};
    all.insert(all.end(), last.begin(), last.end());
    EXPECT_EQ(this->seen(popup.hwnd()), all);

    popup.Remove(0);
    EXPECT_EQ(this->seen(popup.hwnd()), last);

    // A submenu carries its caption.
    inner.setCaption("More");
    inner.Add(9, std::string("Inner"));
    popup.Add(0, &inner);
    EXPECT_EQ(this->seen(popup.hwnd()).back(), submenu("More", {plain("Inner", 9)}));
}

TYPED_TEST_P(MenusConformance, AShownMenuGivesTheChosenCommandOrZero) {
    auto& menus = this->menus();
    const platform::Handle menu = menus.CreatePopupMenu();
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 7, "First"));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_SEPARATOR, 0, nullptr));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 8, "Second"));
    EXPECT_TRUE(menus.AppendMenu(menu, platform::MF_STRING, 9, "Third"));
    menus.EnableMenuItem(menu, 9, platform::MF_BYCOMMAND | platform::MF_GRAYED);
    const std::uint32_t flags = platform::TPM_RETURNCMD | platform::TPM_RIGHTBUTTON;

    this->backend.answerNextShow(menu, 2);
    EXPECT_EQ(menus.TrackPopupMenuEx(menu, flags, 150, 150, this->backend.owner()), 8);
    this->backend.answerNextShow(menu, 0);
    EXPECT_EQ(menus.TrackPopupMenuEx(menu, flags, 150, 150, this->backend.owner()), 7);
    // Escape closes it without a choice.
    this->backend.answerNextShow(menu, std::nullopt);
    EXPECT_EQ(menus.TrackPopupMenuEx(menu, flags, 150, 150, this->backend.owner()), 0);
    EXPECT_TRUE(menus.DestroyMenu(menu));
}

REGISTER_TYPED_TEST_SUITE_P(MenusConformance, ItemsShowAsTheyWereAppended, EachCallAnswersWhetherItFoundItsItem,
                            SubmenusShowTheirItemsAndGoWithTheirParent, ItemBitmapsAreTheMarksOfTheItemsState,
                            TheCoreMenuClassBuildsTheItemsItWasGiven, AShownMenuGivesTheChosenCommandOrZero);

}  // namespace conformance
