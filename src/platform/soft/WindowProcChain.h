#pragma once
// The window procedures of the windows a program may subclass: for each window the procedure its
// messages go to first, and at the end of the chain the window's own procedure. Window systems
// that are not Windows keep this chain themselves; Windows keeps it in the system.
#include <cstdint>
#include <functional>
#include <map>

#include "platform/WindowSystem.h"

namespace platform::soft {

class WindowProcChain {
public:
    // What the window's own procedure does with a message that reaches the end of the chain.
    using OwnProcedure = std::function<LResult(std::uint32_t message, WParam wParam, LParam lParam)>;

    void add(Handle hwnd, OwnProcedure own);
    void remove(Handle hwnd);
    bool contains(Handle hwnd) const { return windows_.count(hwnd) != 0; }

    // GWL_WNDPROC: the first procedure of the window's chain; 0 for a window not kept here.
    std::intptr_t current(Handle hwnd) const;
    // Puts `procedure` first and returns the one it replaces; an unknown window or a null
    // procedure changes nothing and gives 0.
    std::intptr_t replace(Handle hwnd, std::intptr_t procedure);

    // Hands a message to the window's first procedure, as the system does with every event.
    LResult send(Handle hwnd, std::uint32_t message, WParam wParam, LParam lParam) const;
    // CallWindowProc: any procedure value handed out by current() or replace() may be called,
    // the end of a chain included.
    LResult call(std::intptr_t procedure, Handle hwnd, std::uint32_t message, WParam wParam, LParam lParam) const;

private:
    struct Window {
        std::intptr_t first = 0;
        OwnProcedure own;
    };
    std::map<Handle, Window> windows_;
};

}  // namespace platform::soft
