#include "winsvc/MouseWheel.h"

#include "app/FrmMain.h"
#include "platform/Services.h"

namespace winsvc {
namespace {

std::intptr_t prevWndProc = 0;

}  // namespace

std::intptr_t previousWindowProc() { return prevWndProc; }

void forgetWheelHook() { prevWndProc = 0; }

void hookWheel(platform::Handle hwnd) {
    if (prevWndProc != 0) return;
    prevWndProc = platform::windows().SetWindowLongPtr(hwnd, platform::GWL_WNDPROC,
                                                       reinterpret_cast<std::intptr_t>(&wheelWindowProc));
}

platform::LResult MAGNIFIER_CALLBACK wheelWindowProc(platform::Handle hwnd, std::uint32_t message,
                                                     platform::WParam wParam, platform::LParam lParam) {
    if (message == platform::WM_MOUSEWHEEL) wheelZoom(hiWord(static_cast<std::uint32_t>(wParam)));
    return platform::windows().CallWindowProc(prevWndProc, hwnd, message, wParam, lParam);
}

std::int16_t hiWord(std::uint32_t value) { return static_cast<std::int16_t>((value >> 16) & 0xFFFF); }

void wheelZoom(std::int16_t delta) {
    app::FrmMain* window = app::frmMain;
    // Messages still arrive after unload, until the window is gone; there is nothing to zoom then.
    if (window == nullptr) return;
    if (delta > 0) {
        if (window->size() < app::kMaxZoom) window->setSize(static_cast<std::int16_t>(window->size() + 1));
    } else if (delta < 0) {
        if (window->size() > app::kMinZoom) window->setSize(static_cast<std::int16_t>(window->size() - 1));
    }
}

}  // namespace winsvc
