#pragma once
// The window system on X11: the pointer, the root window as the desktop, the window manager's
// stacking order, "above" layer and frame extents, and window procedures for the program's own
// windows, through which every event of such a window passes as a message.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/WindowSystem.h"
#include "platform/linux/X11Changes.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11Monitors.h"
#include "platform/soft/MonitorLayout.h"
#include "platform/soft/SoftGraphics.h"
#include "platform/soft/WindowProcChain.h"

namespace platform::linux_ {

class X11WindowSystem : public WindowSystem {
public:
    // With `changes`, the pointer is read only when it may have moved.
    X11WindowSystem(X11Display& display, soft::SoftGraphics& graphics, X11Changes* changes = nullptr);

    // A window of this program, with the toolkit's own procedure at the end of its chain.
    void registerWindow(Handle hwnd, soft::WindowProcChain::OwnProcedure ownProcedure);
    void unregisterWindow(Handle hwnd);
    // Hands a message to the window's current procedure, as the system does with every event.
    LResult sendMessage(Handle hwnd, std::uint32_t message, WParam wParam, LParam lParam);

    // The window manager's frame around a client window, as it reports it.
    std::optional<FrameExtents> frameExtents(Handle hwnd);
    // The frame as the window's reparenting parent shows it, for a window manager that does not
    // report it; nothing while the window is not reparented.
    std::optional<FrameExtents> parentFrame(Handle hwnd);
    Atom frameExtentsAtom() const { return netFrameExtents_; }
    // Asks the window manager what frame a window that is not yet shown will get, waiting a
    // moment for the answer; nothing when no window manager answers.
    std::optional<FrameExtents> requestFrameExtents(Handle hwnd);
    bool isMapped(Handle hwnd);
    bool windowManagerRunning();
    // Where the pointer is when X cannot tell: on Wayland, X sees the pointer only while it is
    // over an X11 window, and the compositor reports it another way. Nothing from the source
    // falls back to X.
    void usePointerSource(std::function<std::optional<Point>()> source) { pointerSource_ = std::move(source); }

    // Whether the X server reports screen changes and pointer moves as events: only then may the
    // program sleep until it has news.
    bool reportsChanges() const {
        return !pointerSource_ && changes_ != nullptr && changes_->damageAvailable() && changes_->motionAvailable();
    }
    // The pointer's position as last read, if it was known.
    bool lastPointer(Point& point) const {
        if (pointerKnown_) point = pointer_;
        return pointerKnown_;
    }

    bool GetCursorPos(Point& point) override;
    // Warps the pointer; refused on a Wayland session, where the compositor alone moves it.
    bool SetCursorPos(int x, int y) override;
    void setPointerFixed(bool fixed) { pointerFixed_ = fixed; }
    Handle GetDesktopWindow() override { return display_.root(); }
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
    // The monitors are asked for once, and again after RandR reports a change.
    Handle MonitorFromRect(const Rect& rect, std::uint32_t flags) override;
    bool GetMonitorInfo(Handle monitor, MonitorInfo& info) override { return monitors_.info(monitor, info); }
    std::vector<Handle> EnumDisplayMonitors() override;

private:
    void refreshMonitors();
    struct OwnWindow {
        std::int32_t otherExStyle = 0;  // extended style bits X has no counterpart for
    };
    std::vector<unsigned long> windowProperty(Handle hwnd, Atom property, Atom type);
    bool hasState(Handle hwnd, Atom state);
    void setAbove(Handle hwnd, bool above);
    void activate(Handle hwnd);
    // Top-level client windows from the top of the stacking order down.
    std::vector<Handle> stackingOrder();
    // Asks the server where the pointer is.
    bool queryPointer(Point& point);

    X11Display& display_;
    soft::SoftGraphics& graphics_;
    X11Changes* changes_;
    PointerPolicy pointerPolicy_;
    Point pointer_{};  // as last read
    bool pointerKnown_ = false;
    bool pointerFixed_ = false;
    std::map<Handle, OwnWindow> own_;
    soft::WindowProcChain procedures_;
    std::function<std::optional<Point>()> pointerSource_;
    soft::MonitorLayout monitors_;
    bool monitorsKnown_ = false;
    std::unique_ptr<MonitorChanges> monitorChanges_;
    Atom netWmState_;
    Atom netWmStateAbove_;
    Atom netActiveWindow_;
    Atom netClientListStacking_;
    Atom netWmPid_;
    Atom netFrameExtents_;
    Atom netRequestFrameExtents_;
    Atom netSupportingWmCheck_;
};

}  // namespace platform::linux_
