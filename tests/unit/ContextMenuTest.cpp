// The right-click menu of the main window: what it offers and what each choice does.
#include <gtest/gtest.h>

#include <string>

#include "StartedMagnifier.h"
#include "base/Version.h"
#include "menu/ContextMenu.h"
#include "menu/HomePage.h"

namespace {

using platform::fake::TrackedMenu;
using namespace testsupport;

constexpr std::int16_t kRight = platform::vbRightButton;

class ContextMenuTest : public StartedMagnifierTest {
protected:
    void SetUp() override {
        StartedMagnifierTest::SetUp();
        fake.windows.setCursor(812, 345);
    }
    // The user right-clicks and picks the item with this id (0: Escape or a title click).
    void choose(int id) {
        fake.menus.onShow = [id](const TrackedMenu&) { return id; };
        form->mouseUp(kRight);
    }
    const TrackedMenu& shown() { return fake.menus.shown().back(); }
};

TEST_F(ContextMenuTest, EnglishItemsInOrder) {
    choose(0);
    ASSERT_EQ(fake.menus.shown().size(), 1u);
    const auto& items = shown().items;
    ASSERT_EQ(items.size(), 9u);
    const std::string texts[9] = {"Magnifier v" + std::string(base::kVersion),
                                  "",
                                  "English\ten",
                                  "Magyar\thu",
                                  "",
                                  "Zoom in\t+",
                                  "Zoom out\t-",
                                  "",
                                  menu::homePageHost()};
    const std::uintptr_t ids[9] = {0, 0, 1, 2, 0, 3, 4, 0, 5};
    for (std::size_t i = 0; i < 9; ++i) {
        const bool separator = (items[i].flags & platform::MF_SEPARATOR) != 0;
        EXPECT_EQ(separator, i == 1 || i == 4 || i == 7) << i;
        EXPECT_EQ(items[i].text, texts[i]) << i;
        EXPECT_EQ(items[i].id, ids[i]) << i;
        EXPECT_EQ(items[i].flags & (platform::MF_CHECKED | platform::MF_GRAYED | platform::MF_DISABLED), 0u) << i;
        EXPECT_FALSE(items[i].isDefault) << i;
    }
}

TEST_F(ContextMenuTest, HungarianItems) {
    window.setLang(0);
    choose(0);
    const auto& items = shown().items;
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[0].text, "Nagy\xC3\xADt\xC3\xB3 v" + std::string(base::kVersion));
    // The language names are always in their own language.
    EXPECT_EQ(items[2].text, "English\ten");
    EXPECT_EQ(items[3].text, "Magyar\thu");
    EXPECT_EQ(items[5].text, "Nagy\xC3\xADt\t+");
    EXPECT_EQ(items[6].text, "Kicsiny\xC3\xADt\t-");
    EXPECT_EQ(items[8].text, menu::homePageHost());
}

TEST_F(ContextMenuTest, HostIsTheAddressWithoutSchemeOrPath) {
    const std::string url = menu::kHomePageUrl;
    const std::string host = menu::homePageHost();
    ASSERT_FALSE(host.empty());
    EXPECT_EQ(host.find('/'), std::string::npos);
    EXPECT_EQ(host.find(':'), std::string::npos);
    EXPECT_NE(url.find("://" + host), std::string::npos);
}

TEST_F(ContextMenuTest, OpensAtTheCursorOwnedByTheMainWindow) {
    choose(0);
    EXPECT_EQ(shown().owner, window.hWnd());
    EXPECT_EQ(shown().x, 812);
    EXPECT_EQ(shown().y, 345);
    EXPECT_EQ(shown().flags, 0x102u);
}

TEST_F(ContextMenuTest, OwnerIsTheMainWindowEvenBehindAnotherOfOurs) {
    // A second window of this process above the magnifier must not become the menu's owner.
    const platform::Handle tool = fake.windows.createWindow(platform::fake::FakePlatform::kProcessId,
                                                            platform::Rect{0, 0, 20, 20});
    fake.windows.SetWindowPos(tool, platform::HWND_TOPMOST, 0, 0, 0, 0, platform::SWP_NOMOVE | platform::SWP_NOSIZE);
    ASSERT_EQ(fake.windows.zOrder().front(), tool);
    choose(0);
    EXPECT_EQ(shown().owner, window.hWnd());
}

TEST_F(ContextMenuTest, EnglishIsChosenAndStored) {
    window.setLang(0);
    choose(1);
    EXPECT_EQ(window.AppLang, 1);
    EXPECT_EQ(storedBytes(fake, familyKey(), "Language"), (Bytes{1, 0}));
}

TEST_F(ContextMenuTest, HungarianIsChosenAndStored) {
    choose(2);
    EXPECT_EQ(window.AppLang, 0);
    EXPECT_EQ(storedBytes(fake, familyKey(), "Language"), (Bytes{0, 0}));
    form->tick();
    EXPECT_EQ(form->Caption(), "Nagy\xC3\xADt\xC3\xB3 [2:1]");
}

TEST_F(ContextMenuTest, ChoosingTheCurrentLanguageWritesItAgain) {
    const auto writes = fake.registry.writeLog().size();
    choose(1);
    ASSERT_EQ(fake.registry.writeLog().size(), writes + 1);
    EXPECT_EQ(fake.registry.writeLog().back(), "Language");
    EXPECT_EQ(window.AppLang, 1);

    choose(2);
    choose(2);
    ASSERT_EQ(fake.registry.writeLog().size(), writes + 3);
    EXPECT_EQ(fake.registry.writeLog().back(), "Language");
    EXPECT_EQ(window.AppLang, 0);
}

TEST_F(ContextMenuTest, ZoomItemsStepWithinTheBounds) {
    choose(3);
    EXPECT_EQ(window.size(), 3);
    choose(4);
    choose(4);
    EXPECT_EQ(window.size(), 1);
    choose(4);
    EXPECT_EQ(window.size(), 1);
    window.setSize(18);
    choose(3);
    EXPECT_EQ(window.size(), 18);
}

TEST_F(ContextMenuTest, WebAddressIsHandedToTheShellAndNothingElseChanges) {
    const auto writes = fake.registry.writeLog().size();
    choose(5);
    ASSERT_EQ(fake.shell.calls.size(), 1u);
    const auto& call = fake.shell.calls[0];
    EXPECT_EQ(call.owner, window.hWnd());
    EXPECT_FALSE(call.operation.has_value());
    EXPECT_EQ(call.file, std::string(menu::kHomePageUrl));
    EXPECT_FALSE(call.parameters.has_value());
    EXPECT_EQ(call.directory, std::string("C:\\"));
    EXPECT_EQ(call.showCommand, 0);
    EXPECT_EQ(window.size(), 2);
    EXPECT_EQ(window.AppLang, 1);
    EXPECT_EQ(fake.registry.writeLog().size(), writes);
}

TEST_F(ContextMenuTest, TitleOrEscapeChangesNothing) {
    const auto writes = fake.registry.writeLog().size();
    // The title and the separators have id 0, as has closing the menu without a choice.
    choose(0);
    EXPECT_EQ(window.size(), 2);
    EXPECT_EQ(window.AppLang, 1);
    EXPECT_EQ(fake.registry.writeLog().size(), writes);
    EXPECT_TRUE(fake.shell.calls.empty());
}

TEST_F(ContextMenuTest, OtherButtonsShowNoMenu) {
    fake.menus.onShow = [](const TrackedMenu&) { return 3; };
    form->mouseUp(platform::vbLeftButton);
    form->mouseUp(platform::vbMiddleButton);
    EXPECT_TRUE(fake.menus.shown().empty());
    EXPECT_EQ(window.size(), 2);
    EXPECT_EQ(fake.menus.liveMenus(), 0u);
}

TEST_F(ContextMenuTest, MenuIsAliveOnlyWhileItIsShown) {
    std::size_t whileShown = 0;
    fake.menus.onShow = [&](const TrackedMenu&) {
        whileShown = fake.menus.liveMenus();
        return 3;
    };
    form->mouseUp(kRight);
    EXPECT_EQ(whileShown, 1u);
    EXPECT_EQ(fake.menus.liveMenus(), 0u);
    form->mouseUp(kRight);
    EXPECT_EQ(fake.menus.shown().size(), 2u);
    EXPECT_EQ(fake.menus.liveMenus(), 0u);
    EXPECT_EQ(window.size(), 4);
}

}  // namespace
