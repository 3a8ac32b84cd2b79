// The in-memory back end the core's unit tests run on, held to what the real back ends do.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FormToolkitConformance.h"
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
        std::vector<SeenItem> shown;
        for (const platform::fake::FakeMenuItem& item : *items) {
            SeenItem s;
            if (item.flags & platform::MF_SEPARATOR) {
                s.separator = true;
            } else if (item.flags & platform::MF_POPUP) {
                s.text = item.text;
                s.submenu = true;
                s.items = seen(item.id).value_or(std::vector<SeenItem>{});
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
            shown.push_back(s);
        }
        return shown;
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

class FakeToolkitBackend {
public:
    static constexpr bool kDrawsText = false;  // the texts are recorded, not drawn

    platform::FormToolkit& toolkit() { return fake_.toolkit; }
    static platform::fake::FakeForm& fakeForm(platform::Form& form) {
        return static_cast<platform::fake::FakeForm&>(form);
    }
    // No loop and no clock here: every turn is one tick of the form's timer.
    bool runUntil(platform::Form& form, const std::function<bool()>& done) {
        for (int turn = 0; turn < 100; ++turn) {
            if (done()) return true;
            fakeForm(form).tick();
        }
        return done();
    }
    bool visible(platform::Form& form) {
        return fakeForm(form).shown() && fake_.windows.window(form.hWnd()) != nullptr;
    }
    // The pattern put on the screen's top-left corner, and a picture of it taken as the
    // magnifier takes one.
    platform::PictureRef pattern(int width, int height) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) fake_.screen.setPixel(x, y, conformance::patternColour(x, y));
        auto& graphics = fake_.graphics;
        const Handle screen = fake_.windows.GetWindowDC(fake_.windows.GetDesktopWindow());
        const Handle memory = graphics.CreateCompatibleDC(screen);
        const Handle bitmap = graphics.CreateCompatibleBitmap(screen, width, height);
        const Handle previous = graphics.SelectObject(memory, bitmap);
        graphics.BitBlt(memory, 0, 0, width, height, screen, 0, 0, platform::SRCCOPY);
        graphics.SelectObject(memory, previous);
        graphics.DeleteDC(memory);
        fake_.windows.ReleaseDC(fake_.windows.GetDesktopWindow(), screen);
        platform::PictDesc description;
        description.size = 20;
        description.type = platform::PICTYPE_BITMAP;
        description.bitmap = bitmap;
        return graphics.OleCreatePictureIndirect(description, true);
    }
    std::vector<std::uint32_t> clientPixels(platform::Form& form) {
        const auto& f = fakeForm(form);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < f.clientHeight(); ++y)
            for (int x = 0; x < f.clientWidth(); ++x) pixels.push_back(f.clientPixel(x, y));
        return pixels;
    }
    void pressKey(platform::Form& form, conformance::Key key) {
        fakeForm(form).keyDown(key == conformance::Key::KeypadPlus ? platform::VK_ADD : platform::VK_SUBTRACT);
    }
    void releaseButton(platform::Form& form, int button, int x, int y) {
        fakeForm(form).mouseUp(static_cast<std::int16_t>(button), static_cast<float>(x), static_cast<float>(y));
    }
    void askToClose(platform::Form& form) { fakeForm(form).close(); }
    int screenWidth() { return fake_.screen.width(); }
    int screenHeight() { return fake_.screen.height(); }

private:
    platform::fake::FakePlatform fake_;
};

}  // namespace

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(FakeRegistry, RegistryConformance, FakeRegistryBackend);
INSTANTIATE_TYPED_TEST_SUITE_P(FakeMenus, MenusConformance, FakeMenusBackend);
INSTANTIATE_TYPED_TEST_SUITE_P(FakeToolkit, FormToolkitConformance, FakeToolkitBackend);
}  // namespace conformance
