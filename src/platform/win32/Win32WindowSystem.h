#pragma once
// The window system on user32: each call goes to the Win32 function of the same name with the
// same arguments (the ANSI and pointer-sized forms where there is a choice).
#include "platform/WindowSystem.h"

namespace platform::win32 {

class Win32WindowSystem : public WindowSystem {
public:
    bool GetCursorPos(Point& point) override;
    bool SetCursorPos(int x, int y) override;
    Handle GetDesktopWindow() override;
    Handle GetWindowDC(Handle hwnd) override;
    Handle GetDC(Handle hwnd) override;
    int ReleaseDC(Handle hwnd, Handle hdc) override;
    bool SetWindowPos(Handle hwnd, Handle insertAfter, int x, int y, int cx, int cy, std::uint32_t flags) override;
    std::intptr_t SetWindowLongPtr(Handle hwnd, int index, std::intptr_t value) override;
    std::intptr_t GetWindowLongPtr(Handle hwnd, int index) override;
    LResult CallWindowProc(std::intptr_t proc, Handle hwnd, std::uint32_t message, WParam wParam,
                           LParam lParam) override;
    Handle GetWindow(Handle hwnd, std::uint32_t command) override;
    std::uint32_t GetWindowThreadProcessId(Handle hwnd, std::uint32_t* processId) override;
    std::uint32_t GetCurrentProcessId() override;
    bool GetWindowRect(Handle hwnd, Rect& rect) override;
    Handle MonitorFromRect(const Rect& rect, std::uint32_t flags) override;
    bool GetMonitorInfo(Handle monitor, MonitorInfo& info) override;
    std::vector<Handle> EnumDisplayMonitors() override;
};

}  // namespace platform::win32
