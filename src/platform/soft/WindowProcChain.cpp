#include "platform/soft/WindowProcChain.h"

#include <utility>

namespace platform::soft {
namespace {

// Stands for "the window's own procedure" wherever a procedure value is handed out: a real
// function, so that the value is unique and never 0, but call() runs the window's own procedure
// in its place.
LResult MAGNIFIER_CALLBACK endOfChain(Handle, std::uint32_t, WParam, LParam) { return 0; }

const std::intptr_t kEndOfChain = reinterpret_cast<std::intptr_t>(&endOfChain);

}  // namespace

void WindowProcChain::add(Handle hwnd, OwnProcedure own) { windows_[hwnd] = Window{kEndOfChain, std::move(own)}; }

void WindowProcChain::remove(Handle hwnd) { windows_.erase(hwnd); }

std::intptr_t WindowProcChain::current(Handle hwnd) const {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? 0 : it->second.first;
}

std::intptr_t WindowProcChain::replace(Handle hwnd, std::intptr_t procedure) {
    auto it = windows_.find(hwnd);
    if (it == windows_.end() || procedure == 0) return 0;
    return std::exchange(it->second.first, procedure);
}

LResult WindowProcChain::send(Handle hwnd, std::uint32_t message, WParam wParam, LParam lParam) const {
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return 0;
    return call(it->second.first, hwnd, message, wParam, lParam);
}

LResult WindowProcChain::call(std::intptr_t procedure, Handle hwnd, std::uint32_t message, WParam wParam,
                              LParam lParam) const {
    if (procedure == 0) return 0;
    if (procedure == kEndOfChain) {
        auto it = windows_.find(hwnd);
        if (it == windows_.end() || !it->second.own) return 0;
        // A copy: the procedure may remove its own window.
        const OwnProcedure own = it->second.own;
        return own(message, wParam, lParam);
    }
    return reinterpret_cast<WindowProc>(procedure)(hwnd, message, wParam, lParam);
}

}  // namespace platform::soft
