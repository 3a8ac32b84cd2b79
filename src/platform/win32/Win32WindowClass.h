#pragma once
// The window class of the forms' windows, registered with the program's icons for as long as the
// toolkit lives. Its window procedure is the toolkit's own, the last one in the chain when the
// core subclasses a window: it hands each message to the form the window was made for.
#include <memory>

namespace platform::win32 {

class WindowClass {
public:
    WindowClass();
    ~WindowClass();
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    // For CreateWindowEx; the window's creation parameter is its Win32Form.
    static const wchar_t* name();

private:
    struct Registration;
    std::unique_ptr<Registration> registration_;
};

}  // namespace platform::win32
