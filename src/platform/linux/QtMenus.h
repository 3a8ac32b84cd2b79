#pragma once
// Popup menus on Qt: the items are kept as the program describes them and turned into a real
// modal QMenu when shown.
#include <cstdint>
#include <memory>

#include "platform/soft/MenuTable.h"
#include "platform/soft/SoftGraphics.h"

class QMenu;

namespace platform::linux_ {

class QtMenus : public soft::MenuTable {
public:
    explicit QtMenus(soft::SoftGraphics& graphics) : graphics_(graphics) {}

    int TrackPopupMenuEx(Handle menu, std::uint32_t flags, int x, int y, Handle owner) override;

    // The Qt menu a menu handle is shown as; empty for an unknown handle.
    std::unique_ptr<QMenu> buildMenu(Handle menu);

private:
    void build(QMenu& into, Handle menu, int depth);

    soft::SoftGraphics& graphics_;
};

}  // namespace platform::linux_
