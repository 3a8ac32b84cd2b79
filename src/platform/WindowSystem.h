#pragma once
// The window system: the cursor, the desktop and top-level windows, device contexts of windows,
// z-order, window longs and window procedures. Shaped after the user32 calls of the same names.
#include <cstdint>
#include <vector>

#include "platform/Types.h"

namespace platform {

// A window procedure, as the window system calls it for every message of a window.
#if defined(_WIN32) && !defined(_WIN64)
#define MAGNIFIER_CALLBACK __stdcall
#else
#define MAGNIFIER_CALLBACK
#endif
using WindowProc = LResult(MAGNIFIER_CALLBACK*)(Handle hwnd, std::uint32_t message, WParam wParam, LParam lParam);

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    virtual bool GetCursorPos(Point& point) = 0;
    // Moves the pointer to the screen point; false where the desktop lets no program move it.
    virtual bool SetCursorPos(int x, int y) = 0;

    virtual Handle GetDesktopWindow() = 0;
    virtual Handle GetWindowDC(Handle hwnd) = 0;
    virtual Handle GetDC(Handle hwnd) = 0;
    virtual int ReleaseDC(Handle hwnd, Handle hdc) = 0;

    // Z-order and extended style.
    virtual bool SetWindowPos(Handle hwnd, Handle insertAfter, int x, int y, int cx, int cy,
                              std::uint32_t flags) = 0;
    // Pointer-sized window longs: GWL_EXSTYLE and GWL_WNDPROC. Returns the previous value.
    virtual std::intptr_t SetWindowLongPtr(Handle hwnd, int index, std::intptr_t value) = 0;
    virtual std::intptr_t GetWindowLongPtr(Handle hwnd, int index) = 0;
    // Calls a window procedure obtained with GWL_WNDPROC, whatever it is.
    virtual LResult CallWindowProc(std::intptr_t proc, Handle hwnd, std::uint32_t message, WParam wParam,
                                   LParam lParam) = 0;

    // The top-level window walk and window geometry.
    virtual Handle GetWindow(Handle hwnd, std::uint32_t command) = 0;
    virtual std::uint32_t GetWindowThreadProcessId(Handle hwnd, std::uint32_t* processId) = 0;
    virtual std::uint32_t GetCurrentProcessId() = 0;
    virtual bool GetWindowRect(Handle hwnd, Rect& rect) = 0;

    // Monitors, in screen pixels. The monitor a rectangle overlaps most; when it overlaps none,
    // what `flags` asks for (MONITOR_DEFAULTTONULL gives 0).
    virtual Handle MonitorFromRect(const Rect& rect, std::uint32_t flags) = 0;
    virtual bool GetMonitorInfo(Handle monitor, MonitorInfo& info) = 0;
    // Every monitor the desktop shows.
    virtual std::vector<Handle> EnumDisplayMonitors() = 0;
};

}  // namespace platform
