// The Windows build's platform: every service is a thin pass-through to the Windows API of the
// same name (user32, gdi32, advapi32's ANSI registry, shell32, OLE pictures), and the form a
// window class of its own with a 10 ms SetTimer.
// Cannot: run without an interactive desktop session; pass Unicode to the ANSI functions except
// through the UTF-8 code page the manifest asks for (the caption alone uses the W functions).
#include "platform/win32/Win32Platform.h"

#include <memory>

#include "platform/win32/Win32Api.h"

namespace platform {
namespace win32 {

ComApartment::ComApartment() {
    initialized_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

ComApartment::~ComApartment() {
    if (initialized_) ::CoUninitialize();
}

}  // namespace win32

std::unique_ptr<NativePlatform> openNativePlatform(int /*argc*/, char** /*argv*/) {
    // The magnifier works in device pixels: Windows must never scale its window. The manifest
    // says so too; this covers a copy of the program whose manifest was stripped.
    ::SetProcessDPIAware();
    return std::make_unique<win32::Win32Platform>();
}

}  // namespace platform
