// The menus as Qt shows them: what each kind of item becomes.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QWidgetAction>

#include "QtTestApplication.h"
#include "platform/linux/QtMenus.h"
#include "platform/soft/SoftGraphics.h"

namespace platform::linux_ {
namespace {

class NoScreen : public soft::ScreenSource {
public:
    int width() const override { return 1; }
    int height() const override { return 1; }
    void read(int, int, const soft::Surface&) override {}
};

class QtMenusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application = backendtest::startQtApplication(); }
    static void TearDownTestSuite() { application.reset(); }
    static inline std::unique_ptr<QApplication> application;
    NoScreen screen;
    soft::SoftGraphics graphics{screen};
    QtMenus menus{graphics};
};

TEST_F(QtMenusTest, ItemsBecomeTheirQtCounterparts) {
    const Handle menu = menus.CreatePopupMenu();
    menus.AppendMenu(menu, MF_STRING, 1, "Title");
    menus.AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    menus.AppendMenu(menu, MF_CHECKED, 2, "English\ten");
    menus.AppendMenu(menu, MF_STRING, 3, "Grey");
    menus.AppendMenu(menu, MF_STRING, 4, "Inert\tx");
    menus.EnableMenuItem(menu, 3, MF_GRAYED);
    menus.EnableMenuItem(menu, 4, MF_DISABLED);
    menus.SetMenuDefaultItem(menu, 1, 0);

    auto shown = menus.buildMenu(menu);
    ASSERT_TRUE(shown);
    const auto actions = shown->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_TRUE(actions[0]->font().bold());
    EXPECT_EQ(actions[0]->data().toULongLong(), 1u);
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_TRUE(actions[2]->isChecked());
    EXPECT_EQ(actions[2]->text(), "English\ten");  // Qt right-aligns what follows the tab
    EXPECT_FALSE(actions[3]->isEnabled());
    // Disabled but not grey: no action that could be triggered, only the item's texts.
    auto* inert = qobject_cast<QWidgetAction*>(actions[4]);
    ASSERT_NE(inert, nullptr);
    ASSERT_NE(inert->defaultWidget(), nullptr);
    const auto labels = inert->defaultWidget()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels[0]->text(), "Inert");
    EXPECT_EQ(labels[1]->text(), "x");
    EXPECT_TRUE(labels[0]->isEnabled());
    EXPECT_TRUE(menus.DestroyMenu(menu));
}

TEST_F(QtMenusTest, SubmenusOpenTheirItemsAndGoWithTheirParent) {
    const Handle parent = menus.CreatePopupMenu();
    const Handle child = menus.CreatePopupMenu();
    menus.AppendMenu(child, MF_STRING, 7, "Inner");
    EXPECT_TRUE(menus.AppendMenu(parent, MF_POPUP, child, "More"));
    EXPECT_FALSE(menus.AppendMenu(parent, MF_POPUP, parent, "Itself"));

    auto shown = menus.buildMenu(parent);
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->actions().size(), 1);
    QMenu* submenu = shown->actions()[0]->menu();
    ASSERT_NE(submenu, nullptr);
    EXPECT_EQ(submenu->title(), "More");
    ASSERT_EQ(submenu->actions().size(), 1);
    EXPECT_EQ(submenu->actions()[0]->data().toULongLong(), 7u);

    EXPECT_TRUE(menus.DeleteMenu(parent, 0, MF_BYPOSITION));
    EXPECT_FALSE(menus.DestroyMenu(child)) << "deleting the submenu item destroys the submenu";
    EXPECT_TRUE(menus.DestroyMenu(parent));
    EXPECT_FALSE(menus.buildMenu(parent));
}

TEST_F(QtMenusTest, ItemBitmapsAreTheItemsMarks) {
    const Handle screenDC = graphics.createScreenDC();
    const Handle mark = graphics.CreateCompatibleBitmap(screenDC, 8, 8);
    const Handle menu = menus.CreatePopupMenu();
    menus.AppendMenu(menu, MF_STRING, 1, "Plain");
    menus.AppendMenu(menu, MF_CHECKED, 2, "Marked");
    EXPECT_TRUE(menus.SetMenuItemBitmaps(menu, 2, MF_BYCOMMAND, 0, mark));
    EXPECT_TRUE(menus.SetMenuItemBitmaps(menu, 1, MF_BYCOMMAND, 0, 0));
    auto shown = menus.buildMenu(menu);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->actions()[0]->icon().isNull());
    EXPECT_FALSE(shown->actions()[1]->icon().isNull());
    menus.DestroyMenu(menu);
    graphics.DeleteObject(mark);
    graphics.releaseScreenDC(screenDC);
}

}  // namespace
}  // namespace platform::linux_
