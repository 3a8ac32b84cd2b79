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

namespace platform::linux_ {
namespace {

// Submenus nest; a menu inserted into itself must not recurse for ever.
constexpr int kMaxDepth = 16;

}  // namespace

void QtMenus::build(QMenu& into, Handle menu, int depth) {
    const auto* menuItems = items(menu);
    if (menuItems == nullptr || depth > kMaxDepth) return;
    for (const soft::MenuItem& item : *menuItems) {
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
            const Handle bitmap = checkedMark ? item.checkedBitmap : item.uncheckedBitmap;
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
    if (items(menu) == nullptr) return nullptr;
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

}  // namespace platform::linux_
