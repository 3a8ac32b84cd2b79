#include "base/Version.h"
#include "platform/win32/Win32Toolkit.h"

#include "base/Arithmetic.h"
#include "platform/win32/Win32WindowClass.h"
#include "platform/win32/Win32Api.h"

namespace platform::win32 {

Win32Toolkit::Win32Toolkit() : class_(std::make_unique<WindowClass>()) {}

Win32Toolkit::~Win32Toolkit() = default;

const wchar_t* Win32Toolkit::className() const { return WindowClass::name(); }

std::unique_ptr<Form> Win32Toolkit::createForm(const FormDesign& design, FormEvents& events) {
    return std::make_unique<Win32Form>(*this, design, events);
}

float Win32Toolkit::ScreenWidth() const { return base::pixelsToTwips(::GetSystemMetrics(SM_CXSCREEN)); }
float Win32Toolkit::ScreenHeight() const { return base::pixelsToTwips(::GetSystemMetrics(SM_CYSCREEN)); }

AppVersion Win32Toolkit::version() const {
    return AppVersion{base::kVersionMajor, base::kVersionMinor, base::kVersionPatch};
}

void Win32Toolkit::quit(int status) {
    if (!failureStatus_) failureStatus_ = status;
    ::PostQuitMessage(status);
}

int Win32Toolkit::run() {
    int status = 0;
    if (!failureStatus_) {
        MSG message{};
        BOOL got = FALSE;
        while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        status = got == 0 ? static_cast<int>(message.wParam) : 1;
    }
    if (failureStatus_) status = *failureStatus_;
    stats_.print();
    return status;
}

}  // namespace platform::win32
