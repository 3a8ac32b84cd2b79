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
