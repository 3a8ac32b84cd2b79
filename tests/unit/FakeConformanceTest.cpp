// The in-memory back end the core's unit tests run on, held to what the real back ends do.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "MenusConformance.h"
#include "RegistryConformance.h"
#include "platform/fake/FakePlatform.h"

namespace {

using conformance::SeenItem;
using platform::Handle;

class FakeRegistryBackend {
public:
    platform::Registry& registry() { return registry_; }
    const std::string& scratch() const { return scratch_; }
    void storeElsewhere(const std::string& keyPath, const std::string& name, std::uint32_t type,
                        const std::vector<std::uint8_t>& bytes) {
        registry_.put(keyPath, name, platform::fake::RegistryValue{type, bytes});
    }

private:
    platform::fake::FakeRegistry registry_;
    std::string scratch_ = "Software\\Conformance";
};

class FakeMenusBackend {
public:
    ~FakeMenusBackend() {
        if (mark_ != 0) fake_.graphics.DeleteObject(mark_);
    }
    platform::Menus& menus() { return fake_.menus; }

    // The items as kept, read as the platform would draw them.
    std::optional<std::vector<SeenItem>> seen(Handle menu) {
        const auto* items = fake_.menus.items(menu);
        if (items == nullptr) return std::nullopt;
        std::vector<SeenItem> seen;
        for (const platform::fake::FakeMenuItem& item : *items) {
            SeenItem s;
            if (item.flags & platform::MF_SEPARATOR) {
                s.separator = true;
            } else if (item.flags & platform::MF_POPUP) {
                s.text = item.text;
                s.submenu = true;
            } else {
                s.text = item.text;
                s.id = item.id;
                if (item.flags & platform::MF_GRAYED) {
                    s.look = SeenItem::Look::Grayed;
                } else if (item.flags & platform::MF_DISABLED) {
                    s.look = SeenItem::Look::Inert;
                    s.id = 0;
                }
                const bool checked = (item.flags & platform::MF_CHECKED) != 0;
                s.mark = (checked ? item.checkedBitmap : item.uncheckedBitmap) != 0;
                s.checked = checked && item.checkedBitmap == 0;
                s.isDefault = item.isDefault;
            }
            seen.push_back(s);
        }
        return seen;
    }

    Handle markBitmap() {
        const Handle screen = fake_.graphics.createScreenDC();
        mark_ = fake_.graphics.CreateCompatibleBitmap(screen, 13, 13);
        fake_.graphics.releaseScreenDC(screen);
        return mark_;
    }
    Handle owner() { return owner_; }
    // The fake asks the test instead of a user.
    void answerNextShow(Handle /*menu*/, std::optional<std::size_t> position) {
        fake_.menus.onShow = [position](const platform::fake::TrackedMenu& shown) {
            return position ? static_cast<int>(shown.items.at(*position).id) : 0;
        };
    }

private:
    platform::fake::FakePlatform fake_;
    Handle owner_ = fake_.windows.createWindow(platform::fake::FakePlatform::kProcessId, platform::Rect{0, 0, 50, 50});
    Handle mark_ = 0;
};

}  // namespace

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, RegistryConformance, FakeRegistryBackend);
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, MenusConformance, FakeMenusBackend);
}  // namespace conformance
