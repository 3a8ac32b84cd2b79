#include "Win32TestSupport.h"

#include <cstdio>

namespace win32test {
namespace {

constexpr wchar_t kTestClass[] = L"MagnifierWin32TestWindow";

// An open registry key, closed when it goes.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (key != nullptr) ::RegCloseKey(key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY key = nullptr;
};

}  // namespace

WNDPROC TestWindow::classProcedure() { return &TestWindow::procedure; }

TestWindow::TestWindow(DWORD style, DWORD exStyle, RECT rect, Answer answer) : answer_(std::move(answer)) {
    static const ATOM atom = [] {
        WNDCLASSEXW description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = &TestWindow::procedure;
        description.hInstance = ::GetModuleHandleW(nullptr);
        description.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        description.lpszClassName = kTestClass;
        return ::RegisterClassExW(&description);
    }();
    if (atom == 0) throw std::runtime_error("cannot register the test window class");
    hwnd_ = ::CreateWindowExW(exStyle, kTestClass, L"test window", style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    if (hwnd_ == nullptr) throw std::runtime_error("cannot create a test window");
}

TestWindow::~TestWindow() {
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

std::vector<SeenMessage> TestWindow::seen(UINT message) const {
    std::vector<SeenMessage> matching;
    for (const SeenMessage& m : seen_)
        if (m.message == message) matching.push_back(m);
    return matching;
}

LRESULT CALLBACK TestWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window != nullptr) {
        window->seen_.push_back(SeenMessage{message, wParam, lParam});
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            window->hwnd_ = nullptr;
        } else if (window->answer_) {
            LRESULT result = 0;
            if (window->answer_(message, wParam, lParam, result)) return result;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

ScratchKey::ScratchKey() {
    char name[96];
    std::snprintf(name, sizeof name, "Software\\MagnifierWin32Tests\\run-%lu-%llu", ::GetCurrentProcessId(),
                  static_cast<unsigned long long>(::GetTickCount64()));
    path_ = name;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

ScratchKey::~ScratchKey() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\MagnifierWin32Tests");
}

void putRaw(const std::string& keyPath, const std::string& name, DWORD type, const void* data, DWORD size) {
    OpenKey key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key.key,
                                nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key.key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

std::vector<std::uint32_t> bitmapPixels(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0);
    const platform::win32::OwnedWindowDc screen(nullptr);
    const int rows =
        ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    if (rows != height) return {};
    for (auto& pixel : pixels) pixel &= 0xFFFFFFu;  // BGRX in memory: 0x00RRGGBB as a number
    return pixels;
}

std::vector<std::uint32_t> clientPixels(HWND hwnd, int width, int height) {
    const platform::win32::OwnedWindowDc window(hwnd);
    const platform::win32::OwnedGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(window.get(), width, height));
    {
        const platform::win32::MemoryDc memory(window.get());
        const platform::win32::Selection selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, window.get(), 0, 0, SRCCOPY);
    }
    return bitmapPixels(bitmap.get(), width, height);
}

std::string hexColour(std::uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
    return text;
}

}  // namespace win32test
