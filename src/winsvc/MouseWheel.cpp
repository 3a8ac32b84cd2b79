#include "winsvc/MouseWheel.h"

#include "platform/Services.h"

namespace winsvc {
namespace {

std::intptr_t prevWndProc = 0;
// The window procedure has no room for a context, so the hook keeps what it zooms here.
base::ZoomControl* wheelTarget = nullptr;

}  // namespace

std::intptr_t previousWindowProc() { return prevWndProc; }

void forgetWheelHook() {
    prevWndProc = 0;
    wheelTarget = nullptr;
}

void releaseWheelZoom() { wheelTarget = nullptr; }

void hookWheel(platform::Handle hwnd, base::ZoomControl& zoom) {
    if (prevWndProc != 0) return;
    wheelTarget = &zoom;
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
    // Messages still arrive after unload, until the window is gone; there is nothing to zoom then.
    if (wheelTarget == nullptr) return;
    wheelTarget->stepZoom(delta);
}

}  // namespace winsvc
