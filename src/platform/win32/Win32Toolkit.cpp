#include "base/Version.h"
#include "platform/win32/Win32Toolkit.h"

#include <algorithm>

#include "base/Arithmetic.h"
#include "platform/win32/Win32WindowClass.h"
#include "platform/win32/Win32Handles.h"

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

void Win32Toolkit::removeForm(Win32Form& form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), &form), forms_.end());
}

bool Win32Toolkit::pumpOnce(int& status) {
    // The timers come first in the wait, so a signalled one is seen even with messages queued;
    // the queue is then emptied before the next wait, so neither starves the other.
    std::vector<Win32Form*> timed;
    std::vector<HANDLE> timers;
    for (Win32Form* form : forms_) {
        if (form->tickTimer() == nullptr || timers.size() == MAXIMUM_WAIT_OBJECTS - 1) continue;
        timed.push_back(form);
        timers.push_back(form->tickTimer());
    }
    const auto count = static_cast<DWORD>(timers.size());
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, timers.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) {
        status = 1;
        return false;
    }
    if (woke < WAIT_OBJECT_0 + count) {
        // The form may go in its tick; it is looked up again rather than trusted.
        Win32Form* form = timed[woke - WAIT_OBJECT_0];
        if (std::find(forms_.begin(), forms_.end(), form) != forms_.end()) form->tickTimerSignalled();
    }
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            status = static_cast<int>(message.wParam);
            return false;
        }
        const bool redundant = std::any_of(forms_.begin(), forms_.end(), [&](const Win32Form* form) {
            return fromHandle<HWND>(form->hWnd()) == message.hwnd &&
                   form->isRedundantTimerMessage(message.message, message.wParam);
        });
        if (redundant) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

int Win32Toolkit::run() {
    int status = 0;
    if (!failureStatus_) {
        while (pumpOnce(status)) {
        }
    }
    if (failureStatus_) status = *failureStatus_;
    stats_.print();
    return status;
}

}  // namespace platform::win32
