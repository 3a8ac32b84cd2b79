#include "platform/win32/Win32WindowClass.h"

#include <stdexcept>

#include "base/FatalError.h"
#include "platform/win32/Win32Form.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/resources/ResourceIds.h"

namespace platform::win32 {
namespace {

constexpr wchar_t kClassName[] = L"KitmoraMagnifierForm";

// The toolkit's own window procedure.
LRESULT CALLBACK formWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<Win32Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form != nullptr) {
        // Nothing the form does may unwind into the window system's frames.
        bool handled = false;
        LResult result = 0;
        const bool ok = base::runHandler([&] {
            result = form->handleMessage(message, wParam, lParam, handled);
            if (message == WM_NCDESTROY) {
                ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                form->windowDestroyed();
            }
        });
        if (!ok) ::ExitProcess(1);
        if (handled) return result;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// An icon loaded from the program's resources, destroyed when it goes.
class Icon {
public:
    explicit Icon(int size)
        : icon_(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAGNIFIER),
                                                IMAGE_ICON, size, size, LR_DEFAULTCOLOR))) {}
    ~Icon() {
        if (icon_ != nullptr) ::DestroyIcon(icon_);
    }
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;
    HICON get() const { return icon_; }

private:
    HICON icon_;
};

}  // namespace

// The registered class and the icons it shows; the class goes before the icons.
struct WindowClass::Registration {
    Icon large{32};
    Icon small{16};
    ATOM atom = 0;

    Registration() {
        WNDCLASSEXW description{};
        description.cbSize = sizeof description;
        description.style = CS_DBLCLKS;
        description.lpfnWndProc = &formWindowProc;
        description.hInstance = ::GetModuleHandleW(nullptr);
        description.hIcon = large.get();
        description.hIconSm = small.get();
        description.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        // No background brush: every tick paints the whole client area.
        description.hbrBackground = nullptr;
        description.lpszClassName = kClassName;
        atom = ::RegisterClassExW(&description);
        if (atom == 0) throw std::runtime_error("cannot register the window class");
    }
    ~Registration() { ::UnregisterClassW(kClassName, ::GetModuleHandleW(nullptr)); }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
};

WindowClass::WindowClass() : registration_(std::make_unique<Registration>()) {}

WindowClass::~WindowClass() = default;

const wchar_t* WindowClass::name() { return kClassName; }

}  // namespace platform::win32
