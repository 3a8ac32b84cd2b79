#pragma once
// In-memory top-level windows in z-order, each with a process, a rectangle, an extended style and
// a window procedure; the cursor; the screen's device contexts.
#include <cstdint>
#include <functional>
#include <list>
#include <vector>

#include "platform/WindowSystem.h"
#include "platform/soft/MonitorLayout.h"
#include "platform/soft/SoftGraphics.h"
#include "platform/soft/WindowProcChain.h"

namespace platform::fake {

struct FakeWindow {
    Handle hwnd = 0;
    std::uint32_t processId = 0;
    Rect rect{};
    std::int32_t exStyle = 0;
    // What the window's own procedure does with a message that reaches it.
    std::function<LResult(std::uint32_t, WParam, LParam)> onMessage;
    // Messages that reached the window's own procedure, in order.
    struct Message {
        std::uint32_t message;
        WParam wParam;
        LParam lParam;
    };
    std::vector<Message> received;
};

class FakeWindowSystem : public WindowSystem {
public:
    FakeWindowSystem(soft::SoftGraphics& graphics, std::uint32_t ownProcessId);

    // Test controls.
    void setCursor(int x, int y) { cursor_ = Point{x, y}; }
    void setCursorFails(bool fails) { cursorFails_ = fails; }
    // Like a desktop on which no program may move the pointer.
    void setCursorFixed(bool fixed) { cursorFixed_ = fixed; }
    // Moves asked for with SetCursorPos, refused ones included.
    const std::vector<Point>& cursorMoves() const { return cursorMoves_; }
    // A new window at the top of the normal (non-topmost) group.
    Handle createWindow(std::uint32_t processId, const Rect& rect);
    void destroyWindow(Handle hwnd);
    FakeWindow* window(Handle hwnd);
    // Top-level windows from the top of the z-order down.
    std::vector<Handle> zOrder() const;
    // Sends a message through the window's current procedure, as the system would.
    LResult sendMessage(Handle hwnd, std::uint32_t message, WParam wParam, LParam lParam);
    int openDeviceContexts() const { return openDCs_; }
    // The desktop's monitors; the first one is primary unless another is marked.
    void setMonitors(std::vector<MonitorInfo> monitors) { monitors_.set(std::move(monitors), 0, 0); }

    bool GetCursorPos(Point& point) override;
    bool SetCursorPos(int x, int y) override;
    Handle GetDesktopWindow() override { return kDesktop; }
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
    std::uint32_t GetCurrentProcessId() override { return ownProcessId_; }
    bool GetWindowRect(Handle hwnd, Rect& rect) override;
    Handle MonitorFromRect(const Rect& rect, std::uint32_t flags) override { return monitors_.fromRect(rect, flags); }
    bool GetMonitorInfo(Handle monitor, MonitorInfo& info) override { return monitors_.info(monitor, info); }
    std::vector<Handle> EnumDisplayMonitors() override { return monitors_.handles(); }

    static constexpr Handle kDesktop = 0x10010;

private:
    std::list<FakeWindow>::iterator findWindow(Handle hwnd);
    soft::SoftGraphics& graphics_;
    std::uint32_t ownProcessId_;
    Point cursor_{};
    bool cursorFails_ = false;
    bool cursorFixed_ = false;
    std::vector<Point> cursorMoves_;
    std::list<FakeWindow> windows_;  // front is the top of the z-order
    soft::WindowProcChain procedures_;
    Handle nextWindow_ = 0x20000;
    int openDCs_ = 0;
    soft::MonitorLayout monitors_;
};

}  // namespace platform::fake
