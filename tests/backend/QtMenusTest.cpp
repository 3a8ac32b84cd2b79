// The menus as Qt shows them, held to what every back end's menus do: each kind of item becomes
// its Qt counterpart, and a shown menu answers the keys a user presses.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QWidgetAction>

#include <optional>
#include <vector>

#include "MenusConformance.h"
#include "QtTestApplication.h"
#include "platform/linux/QtMenus.h"
#include "platform/soft/SoftGraphics.h"

namespace platform::linux_ {
namespace {

using conformance::SeenItem;

class NoScreen : public soft::ScreenSource {
public:
    int width() const override { return 1; }
    int height() const override { return 1; }
    void read(int, int, const soft::Surface&) override {}
};

// What a user sees of one Qt action of a shown menu.
SeenItem seenAction(QAction& action) {
    SeenItem item;
    if (action.isSeparator()) {
        item.separator = true;
        return item;
    }
    if (QMenu* submenu = action.menu()) {
        item.text = submenu->title().toStdString();
        item.submenu = true;
        for (QAction* inner : submenu->actions()) item.items.push_back(seenAction(*inner));
        return item;
    }
    if (auto* row = qobject_cast<QWidgetAction*>(&action)) {
        // An item that cannot be chosen yet is drawn like any other: its texts, not greyed.
        const QList<QLabel*> labels =
            row->defaultWidget() ? row->defaultWidget()->findChildren<QLabel*>() : QList<QLabel*>{};
        QStringList texts;
        bool grey = labels.isEmpty();
        for (QLabel* label : labels) {
            texts << label->text();
            grey = grey || !label->isEnabled();
        }
        item.text = texts.join('\t').toStdString();
        item.look = grey ? SeenItem::Look::Grayed : SeenItem::Look::Inert;
        return item;
    }
    // Qt draws what follows the tab right-aligned, as the item's second column.
    item.text = action.text().toStdString();
    item.id = action.data().toULongLong();
    if (!action.isEnabled()) item.look = SeenItem::Look::Grayed;
    item.checked = action.isCheckable() && action.isChecked();
    item.mark = !action.icon().isNull();
    item.isDefault = action.font().bold();
    return item;
}

// Presses keys in the menu Qt shows next, once it is up.
void pressInNextMenu(std::optional<int> actionIndex, int attempts = 200) {
    QTimer::singleShot(5, [actionIndex, attempts] {
        auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (shown == nullptr) {
            if (attempts > 0) pressInNextMenu(actionIndex, attempts - 1);
            return;
        }
        if (actionIndex) shown->setActiveAction(shown->actions().at(*actionIndex));
        QKeyEvent press(QEvent::KeyPress, actionIndex ? Qt::Key_Return : Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(shown, &press);
    });
}

class QtMenusBackend {
public:
    ~QtMenusBackend() {
        if (mark_ != 0) graphics_.DeleteObject(mark_);
        graphics_.releaseScreenDC(screenDC_);
    }
    platform::Menus& menus() { return menus_; }
    std::optional<std::vector<SeenItem>> seen(Handle menu) {
        std::unique_ptr<QMenu> shown = menus_.buildMenu(menu);
        if (!shown) return std::nullopt;
        std::vector<SeenItem> items;
        for (QAction* action : shown->actions()) items.push_back(seenAction(*action));
        return items;
    }
    Handle markBitmap() { return mark_ = graphics_.CreateCompatibleBitmap(screenDC_, 8, 8); }
    Handle owner() { return 0; }
    void answerNextShow(Handle /*menu*/, std::optional<std::size_t> position) {
        pressInNextMenu(position ? std::optional<int>(static_cast<int>(*position)) : std::nullopt);
    }

    static void SetUpTestSuite() { application = backendtest::startQtApplication(); }
    static void TearDownTestSuite() { application.reset(); }

private:
    static inline std::unique_ptr<QApplication> application;
    NoScreen screen_;
    soft::SoftGraphics graphics_{screen_};
    QtMenus menus_{graphics_};
    Handle screenDC_ = graphics_.createScreenDC();
    Handle mark_ = 0;
};

}  // namespace
}  // namespace platform::linux_

namespace conformance {

INSTANTIATE_TYPED_TEST_SUITE_P(QtMenus, MenusConformance, platform::linux_::QtMenusBackend);

}  // namespace conformance

namespace platform::linux_ {
namespace {

class QtMenusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application = backendtest::startQtApplication(); }
    static void TearDownTestSuite() { application.reset(); }
    static inline std::unique_ptr<QApplication> application;
    NoScreen screen;
    soft::SoftGraphics graphics{screen};
    QtMenus menus{graphics};
};

TEST_F(QtMenusTest, AMenuCannotOpenItself) {
    const Handle parent = menus.CreatePopupMenu();
    EXPECT_FALSE(menus.AppendMenu(parent, MF_POPUP, parent, "Itself"));
    auto shown = menus.buildMenu(parent);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->actions().isEmpty());
    EXPECT_TRUE(menus.DestroyMenu(parent));
}

}  // namespace
}  // namespace platform::linux_
