#include "platform/fake/FakeWindowSystem.h"

#include <algorithm>

namespace platform::fake {

FakeWindowSystem::FakeWindowSystem(soft::SoftGraphics& graphics, std::uint32_t ownProcessId)
    : graphics_(graphics), ownProcessId_(ownProcessId) {}

std::list<FakeWindow>::iterator FakeWindowSystem::findWindow(Handle hwnd) {
    return std::find_if(windows_.begin(), windows_.end(), [hwnd](const FakeWindow& w) { return w.hwnd == hwnd; });
}

FakeWindow* FakeWindowSystem::window(Handle hwnd) {
    auto it = findWindow(hwnd);
    return it == windows_.end() ? nullptr : &*it;
}

Handle FakeWindowSystem::createWindow(std::uint32_t processId, const Rect& rect) {
    FakeWindow w;
    w.hwnd = nextWindow_++;
    w.processId = processId;
    w.rect = rect;
    // Every fake window's own procedure records the message and answers as the test says.
    procedures_.add(w.hwnd, [this, hwnd = w.hwnd](std::uint32_t message, WParam wParam, LParam lParam) -> LResult {
        FakeWindow* target = window(hwnd);
        if (target == nullptr) return 0;
        target->received.push_back({message, wParam, lParam});
        return target->onMessage ? target->onMessage(message, wParam, lParam) : 0;
    });
    auto firstNormal = std::find_if(windows_.begin(), windows_.end(),
                                    [](const FakeWindow& x) { return (x.exStyle & WS_EX_TOPMOST) == 0; });
    windows_.insert(firstNormal, std::move(w));
    return nextWindow_ - 1;
}

void FakeWindowSystem::destroyWindow(Handle hwnd) {
    auto it = findWindow(hwnd);
    if (it != windows_.end()) windows_.erase(it);
    procedures_.remove(hwnd);
}

std::vector<Handle> FakeWindowSystem::zOrder() const {
    std::vector<Handle> order;
    for (const auto& w : windows_) order.push_back(w.hwnd);
    return order;
}

LResult FakeWindowSystem::sendMessage(Handle hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    return procedures_.send(hwnd, message, wParam, lParam);
}

bool FakeWindowSystem::SetCursorPos(int x, int y) {
    cursorMoves_.push_back(Point{x, y});
    if (cursorFixed_) return false;
    cursor_ = Point{x, y};
    return true;
}

bool FakeWindowSystem::GetCursorPos(Point& point) {
    if (cursorFails_) return false;
    point = cursor_;
    return true;
}

Handle FakeWindowSystem::GetWindowDC(Handle hwnd) {
    // Only the desktop's context is readable here: the screen.
    if (hwnd != kDesktop) return 0;
    ++openDCs_;
    return graphics_.createScreenDC();
}

Handle FakeWindowSystem::GetDC(Handle hwnd) { return GetWindowDC(hwnd); }

int FakeWindowSystem::ReleaseDC(Handle /*hwnd*/, Handle hdc) {
    if (!graphics_.releaseScreenDC(hdc)) return 0;
    --openDCs_;
    return 1;
}

bool FakeWindowSystem::SetWindowPos(Handle hwnd, Handle insertAfter, int x, int y, int cx, int cy,
                                    std::uint32_t flags) {
    auto it = findWindow(hwnd);
    if (it == windows_.end()) return false;
    if ((flags & SWP_NOMOVE) == 0) {
        it->rect.right += x - it->rect.left;
        it->rect.bottom += y - it->rect.top;
        it->rect.left = x;
        it->rect.top = y;
    }
    if ((flags & SWP_NOSIZE) == 0) {
        it->rect.right = it->rect.left + cx;
        it->rect.bottom = it->rect.top + cy;
    }
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        FakeWindow moved = std::move(*it);
        windows_.erase(it);
        if (insertAfter == HWND_TOPMOST) {
            moved.exStyle |= WS_EX_TOPMOST;
            windows_.push_front(std::move(moved));
        } else {
            // Leaves the topmost group for the top of the normal windows.
            moved.exStyle &= ~WS_EX_TOPMOST;
            auto firstNormal = std::find_if(windows_.begin(), windows_.end(),
                                            [](const FakeWindow& w) { return (w.exStyle & WS_EX_TOPMOST) == 0; });
            windows_.insert(firstNormal, std::move(moved));
        }
    }
    return true;
}

std::intptr_t FakeWindowSystem::SetWindowLongPtr(Handle hwnd, int index, std::intptr_t value) {
    FakeWindow* w = window(hwnd);
    if (w == nullptr) return 0;
    std::intptr_t previous = 0;
    if (index == GWL_EXSTYLE) {
        previous = w->exStyle;
        w->exStyle = static_cast<std::int32_t>(value);
    } else if (index == GWL_WNDPROC) {
        previous = procedures_.replace(hwnd, value);
    }
    return previous;
}

std::intptr_t FakeWindowSystem::GetWindowLongPtr(Handle hwnd, int index) {
    FakeWindow* w = window(hwnd);
    if (w == nullptr) return 0;
    if (index == GWL_EXSTYLE) return w->exStyle;
    if (index == GWL_WNDPROC) return procedures_.current(hwnd);
    return 0;
}

LResult FakeWindowSystem::CallWindowProc(std::intptr_t proc, Handle hwnd, std::uint32_t message, WParam wParam,
                                         LParam lParam) {
    return procedures_.call(proc, hwnd, message, wParam, lParam);
}

Handle FakeWindowSystem::GetWindow(Handle hwnd, std::uint32_t command) {
    if (command == GW_CHILD) {
        return hwnd == kDesktop && !windows_.empty() ? windows_.front().hwnd : 0;
    }
    if (command == GW_HWNDNEXT) {
        auto it = findWindow(hwnd);
        if (it == windows_.end() || ++it == windows_.end()) return 0;
        return it->hwnd;
    }
    return 0;
}

std::uint32_t FakeWindowSystem::GetWindowThreadProcessId(Handle hwnd, std::uint32_t* processId) {
    FakeWindow* w = window(hwnd);
    if (w == nullptr) return 0;
    if (processId != nullptr) *processId = w->processId;
    return 1;
}

bool FakeWindowSystem::GetWindowRect(Handle hwnd, Rect& rect) {
    FakeWindow* w = window(hwnd);
    if (w == nullptr) return false;
    rect = w->rect;
    return true;
}

}  // namespace platform::fake
