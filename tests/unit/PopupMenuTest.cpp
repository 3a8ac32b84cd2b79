// The reusable popup menu: its items, where it opens and who owns it.
#include <gtest/gtest.h>

#include <string>

#include "menu/mcPopupMenu.h"
#include "platform/fake/FakePlatform.h"

namespace {

using menu::mcPopupMenu;
using platform::fake::FakeMenuItem;
using platform::fake::FakePlatform;

constexpr std::uint32_t kOwnProcess = FakePlatform::kProcessId;
constexpr std::uint32_t kOtherProcess = 99;

class PopupMenuTest : public ::testing::Test {
protected:
    const std::vector<FakeMenuItem>& items(const mcPopupMenu& m) {
        const auto* list = fake.menus.items(m.hwnd());
        EXPECT_NE(list, nullptr);
        static const std::vector<FakeMenuItem> none;
        return list == nullptr ? none : *list;
    }
    void addText(mcPopupMenu& m, std::int32_t id, const std::string& text, bool isDefault = false,
                 bool checked = false, std::int32_t state = menu::Normal) {
        m.Add(id, menu::vMenuItem(text), isDefault, checked, state);
    }

    FakePlatform fake;
};

TEST_F(PopupMenuTest, DashAloneIsASeparatorEvenWhenChecked) {
    mcPopupMenu m;
    addText(m, 1, "-");
    addText(m, 2, "-", false, true);
    const auto& list = items(m);
    ASSERT_EQ(list.size(), 2u);
    for (const auto& item : list) {
        EXPECT_NE(item.flags & platform::MF_SEPARATOR, 0u);
        EXPECT_EQ(item.flags & platform::MF_CHECKED, 0u);
    }
}

TEST_F(PopupMenuTest, TextsThatOnlyLookLikeADashAreItems) {
    mcPopupMenu m;
    addText(m, 1, " -");
    addText(m, 2, "--");
    addText(m, 3, "- ");
    const auto& list = items(m);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].text, " -");
    EXPECT_EQ(list[1].text, "--");
    EXPECT_EQ(list[2].text, "- ");
    for (const auto& item : list) EXPECT_EQ(item.flags & platform::MF_SEPARATOR, 0u) << item.text;
}

TEST_F(PopupMenuTest, PlainItemHasItsIdAndTextAndNothingElse) {
    mcPopupMenu m;
    addText(m, 42, "Hello\tH");
    const auto& list = items(m);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].id, 42u);
    EXPECT_EQ(list[0].text, "Hello\tH");
    EXPECT_EQ(list[0].flags, platform::MF_STRING);
    EXPECT_FALSE(list[0].isDefault);
}

TEST_F(PopupMenuTest, ItemStatesDisableOrGrayOrLeaveAlone) {
    mcPopupMenu m;
    addText(m, 1, "disabled", false, false, 1);
    addText(m, 2, "grayed", false, false, 2);
    addText(m, 3, "normal", false, false, 0);
    addText(m, 4, "three", false, false, 3);
    addText(m, 5, "minus", false, false, -1);
    const auto& list = items(m);
    ASSERT_EQ(list.size(), 5u);
    const std::uint32_t states = platform::MF_DISABLED | platform::MF_GRAYED;
    EXPECT_EQ(list[0].flags & states, platform::MF_DISABLED);
    EXPECT_EQ(list[1].flags & states, platform::MF_GRAYED);
    for (std::size_t i = 2; i < 5; ++i) EXPECT_EQ(list[i].flags & states, 0u) << list[i].text;
}

TEST_F(PopupMenuTest, CheckedAndDefaultItems) {
    mcPopupMenu m;
    addText(m, 1, "plain");
    addText(m, 2, "checked", false, true);
    addText(m, 3, "default", true, false);
    const auto& list = items(m);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].flags & platform::MF_CHECKED, 0u);
    EXPECT_NE(list[1].flags & platform::MF_CHECKED, 0u);
    EXPECT_EQ(list[2].flags & platform::MF_CHECKED, 0u);
    EXPECT_FALSE(list[0].isDefault);
    EXPECT_FALSE(list[1].isDefault);
    EXPECT_TRUE(list[2].isDefault);
}

TEST_F(PopupMenuTest, ItemBitmapsAreAlwaysSet) {
    mcPopupMenu m;
    addText(m, 1, "no pictures");
    m.Add(2, menu::vMenuItem(std::string("pictures")), false, false, menu::Normal, 0x71, 0x72);
    addText(m, 3, "-");
    const auto& list = items(m);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_TRUE(list[0].bitmapsSet);
    EXPECT_EQ(list[0].uncheckedBitmap, 0u);
    EXPECT_EQ(list[0].checkedBitmap, 0u);
    EXPECT_TRUE(list[1].bitmapsSet);
    EXPECT_EQ(list[1].uncheckedBitmap, 0x71u);
    EXPECT_EQ(list[1].checkedBitmap, 0x72u);
    EXPECT_TRUE(list[2].bitmapsSet);
}

TEST_F(PopupMenuTest, AnythingButTextOrAMenuAppendsNothing) {
    mcPopupMenu m;
    m.Add(1, menu::vMenuItem(std::int32_t{5}));
    m.Add(2, menu::vMenuItem());
    m.Add(3, menu::vMenuItem(static_cast<const mcPopupMenu*>(nullptr)));
    EXPECT_TRUE(items(m).empty());
}

TEST_F(PopupMenuTest, SubmenuIsLabelledWithItsCaptionAndOpensItsItems) {
    mcPopupMenu m;
    mcPopupMenu sub;
    sub.setCaption("More");
    addText(sub, 7, "Deeper");
    m.Add(3, menu::vMenuItem(static_cast<const mcPopupMenu*>(&sub)));
    const auto& list = items(m);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_NE(list[0].flags & platform::MF_POPUP, 0u);
    EXPECT_EQ(list[0].id, sub.hwnd());
    EXPECT_EQ(list[0].text, "More");
    const auto* inner = fake.menus.items(sub.hwnd());
    ASSERT_NE(inner, nullptr);
    ASSERT_EQ(inner->size(), 1u);
    EXPECT_EQ((*inner)[0].text, "Deeper");
}

TEST_F(PopupMenuTest, RemoveGoesByPosition) {
    mcPopupMenu m;
    addText(m, 5, "five");
    addText(m, 1, "one");
    addText(m, 9, "nine");
    m.Remove(1);
    const auto& list = items(m);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].text, "five");
    EXPECT_EQ(list[1].text, "nine");
}

TEST_F(PopupMenuTest, RemoveZeroDeletesALeadingSubmenu) {
    mcPopupMenu m;
    {
        mcPopupMenu sub;
        sub.setCaption("Sub");
        m.Add(0, menu::vMenuItem(static_cast<const mcPopupMenu*>(&sub)));
        addText(m, 0, "zero");
        m.Remove(0);
        const auto& list = items(m);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].text, "zero");
    }
    EXPECT_EQ(fake.menus.liveMenus(), 1u);
}

TEST_F(PopupMenuTest, MenusGoWithTheirObjects) {
    {
        mcPopupMenu m;
        mcPopupMenu sub;
        addText(sub, 1, "x");
        m.Add(2, menu::vMenuItem(static_cast<const mcPopupMenu*>(&sub)));
        EXPECT_EQ(fake.menus.liveMenus(), 2u);
    }
    EXPECT_EQ(fake.menus.liveMenus(), 0u);
    { mcPopupMenu alone; }
    EXPECT_EQ(fake.menus.liveMenus(), 0u);
}

class PopupMenuShowTest : public PopupMenuTest {
protected:
    void SetUp() override {
        // Z-order from the top: two foreign windows, then ours, then another of ours.
        ownBehind = fake.windows.createWindow(kOwnProcess, platform::Rect{0, 0, 10, 10});
        ownFirst = fake.windows.createWindow(kOwnProcess, platform::Rect{0, 0, 10, 10});
        fake.windows.createWindow(kOtherProcess, platform::Rect{0, 0, 10, 10});
        fake.windows.createWindow(kOtherProcess, platform::Rect{0, 0, 10, 10});
        fake.windows.setCursor(640, 360);
        fake.menus.onShow = [](const platform::fake::TrackedMenu&) { return 6; };
        addText(m, 6, "six");
    }
    const platform::fake::TrackedMenu& lastShown() { return fake.menus.shown().back(); }

    mcPopupMenu m;
    platform::Handle ownBehind = 0;
    platform::Handle ownFirst = 0;
};

TEST_F(PopupMenuShowTest, DefaultsOpenAtTheCursorForTheProcesssFirstWindow) {
    EXPECT_EQ(m.Show(), 6);
    ASSERT_EQ(fake.menus.shown().size(), 1u);
    EXPECT_EQ(lastShown().menu, m.hwnd());
    EXPECT_EQ(lastShown().owner, ownFirst);
    EXPECT_EQ(lastShown().x, 640);
    EXPECT_EQ(lastShown().y, 360);
    EXPECT_EQ(lastShown().flags, platform::TPM_RETURNCMD | platform::TPM_RIGHTBUTTON);
}

TEST_F(PopupMenuShowTest, ZeroOwnerAlsoLooksForTheProcesssWindow) {
    EXPECT_EQ(m.Show(0), 6);
    EXPECT_EQ(lastShown().owner, ownFirst);
}

TEST_F(PopupMenuShowTest, GivenOwnerIsUsedAsItIs) {
    EXPECT_EQ(m.Show(static_cast<std::intptr_t>(ownBehind)), 6);
    EXPECT_EQ(lastShown().owner, ownBehind);
}

TEST_F(PopupMenuShowTest, EachCoordinateNotGivenComesFromTheCursor) {
    m.Show(-1, 100, -1);
    EXPECT_EQ(lastShown().x, 100);
    EXPECT_EQ(lastShown().y, 360);
    m.Show(-1, -1, 50);
    EXPECT_EQ(lastShown().x, 640);
    EXPECT_EQ(lastShown().y, 50);
    m.Show(-1, 0, 0);
    EXPECT_EQ(lastShown().x, 0);
    EXPECT_EQ(lastShown().y, 0);
}

TEST_F(PopupMenuShowTest, ControlPutsTheMenuBelowItsBottomLeftCorner) {
    const platform::Handle control = fake.windows.createWindow(kOwnProcess, platform::Rect{30, 40, 130, 90});
    m.Show(-1, 5, 6, static_cast<std::intptr_t>(control));
    EXPECT_EQ(lastShown().x, 30);
    EXPECT_EQ(lastShown().y, 90);
}

TEST_F(PopupMenuShowTest, ZeroIsAControlHandleToo) {
    // Handle 0 has no rectangle: the menu goes to the origin, not to the cursor.
    m.Show(-1, -1, -1, 0);
    EXPECT_EQ(lastShown().x, 0);
    EXPECT_EQ(lastShown().y, 0);
}

TEST_F(PopupMenuShowTest, EscapeGivesZero) {
    fake.menus.onShow = nullptr;
    EXPECT_EQ(m.Show(), 0);
}

TEST(PopupMenuWithoutWindows, NoWindowOfTheProcessMeansNoMenu) {
    FakePlatform fake;
    fake.windows.createWindow(kOtherProcess, platform::Rect{});
    mcPopupMenu m;
    m.Add(1, menu::vMenuItem(std::string("one")));
    EXPECT_EQ(m.Show(), -1);
    EXPECT_TRUE(fake.menus.shown().empty());
}

}  // namespace
