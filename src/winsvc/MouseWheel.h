#pragma once
// Puts a window procedure in front of the main window's own that turns every wheel message into
// one zoom step and passes every message on unchanged.
#include <cstdint>

#include "base/Zoom.h"
#include "platform/WindowSystem.h"

namespace winsvc {

// Installs the wheel procedure on the window, once per run, zooming `zoom`: a second installation
// would make the procedure forward to itself, so it is refused.
void hookWheel(platform::Handle hwnd, base::ZoomControl& zoom);

platform::LResult MAGNIFIER_CALLBACK wheelWindowProc(platform::Handle hwnd, std::uint32_t message,
                                                     platform::WParam wParam, platform::LParam lParam);

// Bits 16 to 31 as a signed 16-bit number.
std::int16_t hiWord(std::uint32_t value);

// One zoom step in the direction of the delta's sign, within 1..18, whatever its size; nothing
// once the zoom has been released.
void wheelZoom(std::int16_t delta);

// Wheel messages zoom nothing from now on; the procedure stays in the chain.
void releaseWheelZoom();

// The procedure the hook replaced; 0 before the hook is installed.
std::intptr_t previousWindowProc();

// Forgets the hook once its window has been destroyed.
void forgetWheelHook();

}  // namespace winsvc
