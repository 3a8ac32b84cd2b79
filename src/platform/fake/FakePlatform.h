#pragma once
// The whole in-memory desktop, installed as the platform services for as long as it lives.
// Implements every service deterministically and headless: screen pixels, cursor, windows in
// z-order with procedure chains, registry, menus (a test picks the item), shell calls recorded.
// Cannot: show anything, run a message loop by itself (tests raise events and ticks), or time
// anything: the timer ticks only when a test calls it.
#include <cstdint>

#include "platform/Services.h"
#include "platform/fake/FakeClipboard.h"
#include "platform/fake/FakeForms.h"
#include "platform/fake/FakeMenus.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeScreen.h"
#include "platform/fake/FakeScreenStatus.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FakeWindowSystem.h"
#include "platform/soft/SoftGraphics.h"

namespace platform::fake {

class FakePlatform {
public:
    static constexpr std::uint32_t kProcessId = 4242;

    explicit FakePlatform(int screenWidth = 1920, int screenHeight = 1080);
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeScreen screen;
    soft::SoftGraphics graphics;
    FakeWindowSystem windows;
    FakeRegistry registry;
    FakeShell shell;
    FakeMenus menus;
    FakeToolkit toolkit;
    FakeClipboard clipboard;
    FakeDialogs dialogs;
    FakeScreenStatus screenStatus;

private:
    ServicesScope scope_;
};

}  // namespace platform::fake
