#include "platform/linux/QtMenus.h"

#include <QAction>
#include <QFont>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QWidgetAction>

#include <memory>

namespace platform::linuxx11 {
namespace {

// Submenus nest; a menu inserted into itself must not recurse for ever.
constexpr int kMaxDepth = 16;

}  // namespace

Handle QtMenus::CreatePopupMenu() {
    const Handle menu = next_++;
    menus_[menu];
    return menu;
}

bool QtMenus::DestroyMenu(Handle menu) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    std::vector<Handle> submenus;
    for (const Item& item : it->second)
        if (item.flags & MF_POPUP) submenus.push_back(item.id);
    menus_.erase(it);
    // A submenu goes with the menu it was inserted into.
    for (Handle submenu : submenus) DestroyMenu(submenu);
    return true;
}

bool QtMenus::AppendMenu(Handle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu, const char* text) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    if ((flags & MF_POPUP) && (menus_.count(idOrSubmenu) == 0 || idOrSubmenu == menu)) return false;
    Item item;
    item.flags = flags;
    item.id = idOrSubmenu;
    if (text != nullptr && (flags & MF_SEPARATOR) == 0) item.text = text;
    it->second.push_back(std::move(item));
    return true;
}

bool QtMenus::DeleteMenu(Handle menu, std::uint32_t position, std::uint32_t flags) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    auto& items = it->second;
    std::size_t index = items.size();
    if (flags & MF_BYPOSITION) {
        index = position;
    } else {
        for (std::size_t i = 0; i < items.size(); ++i)
            if ((items[i].flags & MF_POPUP) == 0 && items[i].id == position) {
                index = i;
                break;
            }
    }
    if (index >= items.size()) return false;
    const Item removed = items[index];
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
    if (removed.flags & MF_POPUP) DestroyMenu(removed.id);
    return true;
}

QtMenus::Item* QtMenus::byCommand(Handle menu, std::uint32_t id) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return nullptr;
    for (Item& item : it->second)
        if ((item.flags & (MF_POPUP | MF_SEPARATOR)) == 0 && item.id == id) return &item;
    // Separators carry ids too; they are found when nothing else has the id.
    for (Item& item : it->second)
        if ((item.flags & MF_POPUP) == 0 && item.id == id) return &item;
    return nullptr;
}

bool QtMenus::SetMenuItemBitmaps(Handle menu, std::uint32_t position, std::uint32_t flags, Handle unchecked,
                                 Handle checked) {
    if (flags & MF_BYPOSITION) return false;
    Item* item = byCommand(menu, position);
    if (item == nullptr) return false;
    item->unchecked = unchecked;
    item->checked = checked;
    return true;
}

bool QtMenus::SetMenuDefaultItem(Handle menu, std::uint32_t item, std::uint32_t byPosition) {
    if (byPosition != 0) return false;
    Item* target = byCommand(menu, item);
    if (target == nullptr) return false;
    for (Item& other : menus_[menu]) other.isDefault = false;
    target->isDefault = true;
    return true;
}

int QtMenus::EnableMenuItem(Handle menu, std::uint32_t item, std::uint32_t flags) {
    Item* target = byCommand(menu, item);
    if (target == nullptr) return -1;
    const int previous = static_cast<int>(target->flags & (MF_GRAYED | MF_DISABLED));
    target->flags = (target->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

void QtMenus::build(QMenu& into, Handle menu, int depth) {
    auto it = menus_.find(menu);
    if (it == menus_.end() || depth > kMaxDepth) return;
    for (const Item& item : it->second) {
        // The part after a tab is the item's second column, which Qt draws right-aligned.
        const QString text = QString::fromStdString(item.text);
        if (item.flags & MF_SEPARATOR) {
            into.addSeparator();
        } else if (item.flags & MF_POPUP) {
            QMenu* submenu = into.addMenu(text);
            build(*submenu, item.id, depth + 1);
        } else if ((item.flags & MF_DISABLED) && !(item.flags & MF_GRAYED)) {
            // Cannot be chosen, yet drawn like any other item: the item's texts in its place.
            auto row = std::make_unique<QWidget>();
            auto layout = std::make_unique<QHBoxLayout>();
            layout->setContentsMargins(28, 3, 12, 3);
            layout->addWidget(std::make_unique<QLabel>(text.section('\t', 0, 0)).release());
            layout->addStretch();
            if (text.contains('\t')) layout->addWidget(std::make_unique<QLabel>(text.section('\t', 1)).release());
            row->setLayout(layout.release());  // the widget owns its layout, the layout its labels
            auto action = std::make_unique<QWidgetAction>(&into);
            action->setDefaultWidget(row.release());  // the action owns its widget
            into.addAction(action.release());         // and the menu, its parent, the action
        } else {
            QAction* action = into.addAction(text);
            action->setData(QVariant::fromValue<qulonglong>(item.id));
            const bool checkedMark = (item.flags & MF_CHECKED) != 0;
            const Handle bitmap = checkedMark ? item.checked : item.unchecked;
            if (bitmap != 0) {
                if (auto pixels = graphics_.bitmapPixels(bitmap)) {
                    QImage image(reinterpret_cast<const uchar*>(pixels->pixels), pixels->width, pixels->height,
                                 pixels->stride * 4, QImage::Format_RGB32);
                    action->setIcon(QPixmap::fromImage(image.copy()));
                }
            } else if (checkedMark) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            if (item.isDefault) {
                QFont bold = action->font();
                bold.setBold(true);
                action->setFont(bold);
            }
            if (item.flags & MF_GRAYED) action->setEnabled(false);
        }
    }
}

std::unique_ptr<QMenu> QtMenus::buildMenu(Handle menu) {
    if (menus_.count(menu) == 0) return nullptr;
    auto popup = std::make_unique<QMenu>();
    build(*popup, menu, 0);
    return popup;
}

int QtMenus::TrackPopupMenuEx(Handle menu, std::uint32_t /*flags*/, int x, int y, Handle /*owner*/) {
    std::unique_ptr<QMenu> popup = buildMenu(menu);
    if (!popup) return 0;
    // Modal: returns once the menu closes; Escape or a click elsewhere chooses nothing. Qt keeps
    // the menu on the screen.
    QAction* chosen = popup->exec(QPoint(x, y));
    if (chosen == nullptr || !chosen->data().isValid()) return 0;
    return static_cast<int>(chosen->data().toULongLong());
}

}  // namespace platform::linuxx11
