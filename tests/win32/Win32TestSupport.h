#pragma once
// Helpers for the tests of the Win32 back end against the real API (under Wine here): the back
// end installed as the platform services, windows of the tests' own with a recording procedure,
// a scratch registry key, and message pumping.
//
// The project's headers come first and <windows.h> last (see platform/win32/Win32Api.h); after
// it, the Windows macros stand for the platform's constants of the same names.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Services.h"
#include "platform/win32/Win32Toolkit.h"
#include "platform/win32/Win32Graphics.h"
#include "platform/win32/Win32Menus.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32WindowSystem.h"

namespace win32test {

// The platform's spelling of the current user's root (without the sign extension a 64-bit HKEY
// has), read before <windows.h> turns the name into a macro.
inline constexpr platform::Handle kPlatformCurrentUser = platform::HKEY_CURRENT_USER;

}  // namespace win32test

#include "platform/win32/Win32Handles.h"

namespace win32test {

using platform::Handle;
using platform::win32::fromHandle;
using platform::win32::toHandle;

// The Win32 services, installed for the lifetime of the object. The toolkit is made on first use,
// as it registers a window class.
class Win32Services {
public:
    Win32Services() : scope_(platform::Services{&windows, &graphics, &registry, &shell, &menus, nullptr}) {}
    platform::win32::Win32WindowSystem windows;
    platform::win32::Win32Graphics graphics;
    platform::win32::Win32Registry registry;
    platform::win32::Win32Shell shell;
    platform::win32::Win32Menus menus;

private:
    platform::ServicesScope scope_;
};

// Dispatches this thread's messages until `done` holds or the time is up; true if it held.
inline bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void pumpFor(std::chrono::milliseconds duration) {
    pumpUntil([] { return false; }, duration);
}

// One message as a window procedure saw it.
struct SeenMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A top-level window of the tests' own class whose procedure records every message and answers
// with what `answer` says (DefWindowProcW when it gives nothing).
class TestWindow {
public:
    using Answer = std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)>;

    TestWindow(DWORD style, DWORD exStyle, RECT rect, Answer answer = {});
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    Handle handle() const { return toHandle(hwnd_); }
    const std::vector<SeenMessage>& seen() const { return seen_; }
    std::vector<SeenMessage> seen(UINT message) const;
    void forget() { seen_.clear(); }
    // The procedure the window class has, for comparisons with what the chain forwards to.
    static WNDPROC classProcedure();

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    Answer answer_;
    std::vector<SeenMessage> seen_;
};

// A key below HKEY_CURRENT_USER that belongs to one test and is deleted with everything in it.
class ScratchKey {
public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    // The path below HKEY_CURRENT_USER.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Stores a value below HKEY_CURRENT_USER with the raw API, creating the key if need be.
void putRaw(const std::string& keyPath, const std::string& name, DWORD type, const void* data, DWORD size);

// A unique colour for each pixel of a small pattern, never black.
inline std::uint32_t patternColour(int x, int y) {
    return 0x800000u | (static_cast<std::uint32_t>(x & 0xFF) << 8) | static_cast<std::uint32_t>(y & 0xFF);
}

// The pixels of a bitmap as 0xRRGGBB, row by row from the top.
std::vector<std::uint32_t> bitmapPixels(HBITMAP bitmap, int width, int height);

// The pixels of a window's client area as shown now, read from the window's device context.
std::vector<std::uint32_t> clientPixels(HWND hwnd, int width, int height);

std::string hexColour(std::uint32_t rgb);

}  // namespace win32test
