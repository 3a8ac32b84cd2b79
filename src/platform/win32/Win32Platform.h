#pragma once
// The Windows build's platform: user32, gdi32, advapi32, shell32 and the OLE picture factory.
#include "platform/NativePlatform.h"
#include "platform/win32/Win32Clipboard.h"
#include "platform/win32/Win32Toolkit.h"
#include "platform/win32/Win32Graphics.h"
#include "platform/win32/Win32Menus.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32WindowSystem.h"

namespace platform::win32 {

// COM for this thread, for as long as the platform lives: the shell may hand a document to a
// handler that needs it.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_ = false;
};

class Win32Platform : public NativePlatform {
public:
    Win32Platform() = default;
    Services services() override {
        return Services{&windows_, &graphics_, &registry_, &shell_, &menus_, &toolkit_, &clipboard_, &dialogs_, &screenStatus_};
    }
    FormToolkit& toolkit() override { return toolkit_; }

private:
    ComApartment com_;
    Win32WindowSystem windows_;
    Win32Graphics graphics_;
    Win32Registry registry_;
    Win32Shell shell_;
    Win32Menus menus_;
    Win32Toolkit toolkit_;
    Win32Clipboard clipboard_;
    Win32Dialogs dialogs_;
    WholeScreen screenStatus_;  // Windows shares its whole screen with any program
};

}  // namespace platform::win32
