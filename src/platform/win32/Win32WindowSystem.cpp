#include "platform/win32/Win32WindowSystem.h"

#include "platform/win32/Win32Handles.h"

namespace platform::win32 {

// The platform's window procedure has the Win32 procedure's shape, so the core's procedures can
// be installed as they are.
static_assert(sizeof(WindowProc) == sizeof(WNDPROC));
static_assert(sizeof(Handle) == sizeof(HWND) && sizeof(WParam) == sizeof(WPARAM) && sizeof(LParam) == sizeof(LPARAM) &&
              sizeof(LResult) == sizeof(LRESULT));
static_assert(sizeof(Point) == sizeof(POINT) && sizeof(Rect) == sizeof(RECT));

bool Win32WindowSystem::SetCursorPos(int x, int y) { return ::SetCursorPos(x, y) != FALSE; }

bool Win32WindowSystem::GetCursorPos(Point& point) {
    POINT p{};
    const BOOL ok = ::GetCursorPos(&p);
    if (ok) point = Point{p.x, p.y};
    return ok != FALSE;
}

Handle Win32WindowSystem::GetDesktopWindow() { return toHandle(::GetDesktopWindow()); }

Handle Win32WindowSystem::GetWindowDC(Handle hwnd) { return toHandle(::GetWindowDC(fromHandle<HWND>(hwnd))); }

Handle Win32WindowSystem::GetDC(Handle hwnd) { return toHandle(::GetDC(fromHandle<HWND>(hwnd))); }

int Win32WindowSystem::ReleaseDC(Handle hwnd, Handle hdc) {
    return ::ReleaseDC(fromHandle<HWND>(hwnd), fromHandle<HDC>(hdc));
}

bool Win32WindowSystem::SetWindowPos(Handle hwnd, Handle insertAfter, int x, int y, int cx, int cy,
                                     std::uint32_t flags) {
    return ::SetWindowPos(fromHandle<HWND>(hwnd), fromHandle<HWND>(insertAfter), x, y, cx, cy, flags) != FALSE;
}

std::intptr_t Win32WindowSystem::SetWindowLongPtr(Handle hwnd, int index, std::intptr_t value) {
    return ::SetWindowLongPtrA(fromHandle<HWND>(hwnd), index, value);
}

std::intptr_t Win32WindowSystem::GetWindowLongPtr(Handle hwnd, int index) {
    return ::GetWindowLongPtrA(fromHandle<HWND>(hwnd), index);
}

LResult Win32WindowSystem::CallWindowProc(std::intptr_t proc, Handle hwnd, std::uint32_t message, WParam wParam,
                                          LParam lParam) {
    return ::CallWindowProcA(reinterpret_cast<WNDPROC>(proc), fromHandle<HWND>(hwnd), message, wParam, lParam);
}

Handle Win32WindowSystem::GetWindow(Handle hwnd, std::uint32_t command) {
    return toHandle(::GetWindow(fromHandle<HWND>(hwnd), command));
}

std::uint32_t Win32WindowSystem::GetWindowThreadProcessId(Handle hwnd, std::uint32_t* processId) {
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(fromHandle<HWND>(hwnd), processId != nullptr ? &process : nullptr);
    if (processId != nullptr) *processId = process;
    return thread;
}

std::uint32_t Win32WindowSystem::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

bool Win32WindowSystem::GetWindowRect(Handle hwnd, Rect& rect) {
    RECT r{};
    const BOOL ok = ::GetWindowRect(fromHandle<HWND>(hwnd), &r);
    if (ok) rect = Rect{r.left, r.top, r.right, r.bottom};
    return ok != FALSE;
}

Handle Win32WindowSystem::MonitorFromRect(const Rect& rect, std::uint32_t flags) {
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    return toHandle(::MonitorFromRect(&r, flags));
}

bool Win32WindowSystem::GetMonitorInfo(Handle monitor, MonitorInfo& info) {
    MONITORINFO native{};
    native.cbSize = sizeof native;
    if (!::GetMonitorInfoW(fromHandle<HMONITOR>(monitor), &native)) return false;
    const RECT& m = native.rcMonitor;
    const RECT& w = native.rcWork;
    info = MonitorInfo{Rect{m.left, m.top, m.right, m.bottom}, Rect{w.left, w.top, w.right, w.bottom},
                       (native.dwFlags & MONITORINFOF_PRIMARY) != 0};
    return true;
}

std::vector<Handle> Win32WindowSystem::EnumDisplayMonitors() {
    std::vector<Handle> monitors;
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<Handle>*>(data)->push_back(toHandle(monitor));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

}  // namespace platform::win32
