#pragma once
// Puts a window procedure in front of the main window's own that turns every wheel message into
// one zoom step and passes every message on unchanged.
#include <cstdint>

#include "platform/WindowSystem.h"

namespace winsvc {

// Installs the wheel procedure on the window, once per run: a second installation would make the
// procedure forward to itself, so it is refused.
void hookWheel(platform::Handle hwnd);

platform::LResult MAGNIFIER_CALLBACK wheelWindowProc(platform::Handle hwnd, std::uint32_t message,
                                                     platform::WParam wParam, platform::LParam lParam);

// Bits 16 to 31 as a signed 16-bit number.
std::int16_t hiWord(std::uint32_t value);

// One zoom step in the direction of the delta's sign, within 1..18, whatever its size.
void wheelZoom(std::int16_t delta);

// The procedure the hook replaced; 0 before the hook is installed.
std::intptr_t previousWindowProc();

// Forgets the hook once its window has been destroyed.
void forgetWheelHook();

}  // namespace winsvc
