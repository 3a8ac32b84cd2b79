#pragma once
// Plain value types and constants shared by every platform service. They mirror the Windows API's
// own values so that the Win32 back end can pass them through unchanged, and the other back ends
// reproduce their meaning.
#include <cstdint>

namespace platform {

// An opaque handle: window, device context, bitmap, palette, menu or registry key.
// 0 is "no handle", as in the Windows API.
using Handle = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// A monitor's whole area and its work area (without task bars and docks), and whether it is the
// primary one.
struct MonitorInfo {
    Rect monitor{};
    Rect work{};
    bool primary = false;
};

inline constexpr std::uint32_t MONITOR_DEFAULTTONULL = 0;
inline constexpr std::uint32_t MONITOR_DEFAULTTOPRIMARY = 1;
inline constexpr std::uint32_t MONITOR_DEFAULTTONEAREST = 2;

// How far a window manager's frame reaches beyond a window's client area on each side, in pixels.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
};

// A logical palette with room for the 256 entries of a palette display.
struct LogPalette {
    std::uint16_t version = 0;
    std::uint16_t numEntries = 0;
    PaletteEntry entries[256] = {};
};

// Picture description, as the picture factory takes it.
struct PictDesc {
    std::uint32_t size = 0;
    std::uint32_t type = 0;
    Handle bitmap = 0;
    Handle palette = 0;
};

// Device capabilities and raster operations.
inline constexpr int RASTERCAPS = 38;
inline constexpr int SIZEPALETTE = 104;
inline constexpr int RC_PALETTE = 0x100;
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t BLACKNESS = 0x00000042;
inline constexpr std::uint32_t PICTYPE_BITMAP = 1;
inline constexpr std::uint32_t CLR_INVALID = 0xFFFFFFFF;

// Window messages.
inline constexpr std::uint32_t WM_SIZE = 0x0005;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr std::uint32_t WM_MOUSEHWHEEL = 0x020E;
inline constexpr int WHEEL_DELTA = 120;
// Key and button flags in a mouse message's wParam.
inline constexpr std::uint32_t MK_LBUTTON = 0x1;
inline constexpr std::uint32_t MK_RBUTTON = 0x2;
inline constexpr std::uint32_t MK_SHIFT = 0x4;
inline constexpr std::uint32_t MK_CONTROL = 0x8;
inline constexpr std::uint32_t MK_MBUTTON = 0x10;

// Virtual-key codes of the form's key-down event: the numeric keypad's plus and minus.
inline constexpr std::int16_t VK_ADD = 107;
inline constexpr std::int16_t VK_SUBTRACT = 109;
// The pixel tools' keys.
inline constexpr std::int16_t VK_ESCAPE = 27;
inline constexpr std::int16_t VK_SPACE = 32;
inline constexpr std::int16_t VK_LEFT = 37;
inline constexpr std::int16_t VK_UP = 38;
inline constexpr std::int16_t VK_RIGHT = 39;
inline constexpr std::int16_t VK_DOWN = 40;
// The form's mouse-up event: which button was released.
inline constexpr std::int16_t vbLeftButton = 1;
inline constexpr std::int16_t vbRightButton = 2;
inline constexpr std::int16_t vbMiddleButton = 4;
// The shift state of the form's key and mouse events: one bit for each key held.
inline constexpr std::int16_t vbShiftMask = 1;
inline constexpr std::int16_t vbCtrlMask = 2;
inline constexpr std::int16_t vbAltMask = 4;

// Window longs, z-order and positioning.
inline constexpr int GWL_WNDPROC = -4;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr std::int32_t WS_EX_TOPMOST = 0x8;
inline constexpr Handle HWND_TOPMOST = static_cast<Handle>(-1);
inline constexpr Handle HWND_NOTOPMOST = static_cast<Handle>(-2);
inline constexpr std::uint32_t SWP_NOSIZE = 0x1;
inline constexpr std::uint32_t SWP_NOMOVE = 0x2;
inline constexpr std::uint32_t SWP_NOACTIVATE = 0x10;

// Window walk.
inline constexpr std::uint32_t GW_HWNDNEXT = 2;
inline constexpr std::uint32_t GW_CHILD = 5;

// Menus.
inline constexpr std::uint32_t MF_STRING = 0x0;
inline constexpr std::uint32_t MF_BYCOMMAND = 0x0;
inline constexpr std::uint32_t MF_GRAYED = 0x1;
inline constexpr std::uint32_t MF_DISABLED = 0x2;
inline constexpr std::uint32_t MF_CHECKED = 0x8;
inline constexpr std::uint32_t MF_POPUP = 0x10;
inline constexpr std::uint32_t MF_BYPOSITION = 0x400;
inline constexpr std::uint32_t MF_SEPARATOR = 0x800;
inline constexpr std::uint32_t TPM_RIGHTBUTTON = 0x0002;
inline constexpr std::uint32_t TPM_RETURNCMD = 0x0100;

// Registry.
inline constexpr Handle HKEY_CURRENT_USER = 0x80000001u;
inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x1;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x2;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x4;
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::int32_t ERROR_SUCCESS = 0;
inline constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::int32_t ERROR_ACCESS_DENIED = 5;
inline constexpr std::int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr std::int32_t ERROR_MORE_DATA = 234;

// Show commands.
inline constexpr int SW_HIDE = 0;

}  // namespace platform
