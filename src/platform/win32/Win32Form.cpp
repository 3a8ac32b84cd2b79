#include "platform/win32/Win32Form.h"

#include <algorithm>
#include <stdexcept>

#include "base/Arithmetic.h"
#include "platform/soft/DpiChange.h"
#include "platform/win32/Win32Toolkit.h"
#include "platform/win32/Win32BackBuffer.h"

namespace platform::win32 {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = 0;

HWND windowOf(Handle hwnd) { return fromHandle<HWND>(hwnd); }

std::int16_t shiftState(bool shift, bool control) {
    std::int16_t state = 0;
    if (shift) state |= vbShiftMask;
    if (control) state |= vbCtrlMask;
    if (::GetKeyState(VK_MENU) < 0) state |= vbAltMask;
    return state;
}

std::int16_t keyboardShiftState() {
    return shiftState(::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0);
}

// BeginPaint and EndPaint, paired on every path.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &paint_)) {}
    ~PaintScope() { ::EndPaint(hwnd_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace

Win32Form::Win32Form(Win32Toolkit& toolkit, const FormDesign& design, FormEvents& events)
    : toolkit_(toolkit),
      events_(events),
      guard_([this] { fail(); }),
      ticks_(design.timerIntervalMs, toolkit.tickSource()) {
    RECT outer{0, 0, design.clientWidth, design.clientHeight};
    ::AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    const std::wstring caption = utf8ToWide(design.caption);
    HWND hwnd = ::CreateWindowExW(kExStyle, toolkit_.className(), caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), this);
    if (hwnd == nullptr) throw std::runtime_error("cannot create the window");
    hwnd_ = toHandle(hwnd);
    ::SetTimer(hwnd, kTimerId, static_cast<UINT>(std::max(1, design.timerIntervalMs)), nullptr);
    toolkit_.addForm(*this);
}

Win32Form::~Win32Form() {
    toolkit_.removeForm(*this);
    if (hwnd_ != 0) {
        HWND hwnd = windowOf(hwnd_);
        ::KillTimer(hwnd, kTimerId);
        // No event reaches the handlers from here on; the window's own messages still run, but
        // a window destroyed with its owner ends no message loop.
        guard_.close();
        destroying_ = true;
        ::DestroyWindow(hwnd);
    }
}

void Win32Form::fail() {
    ticks_.stop();
    if (hwnd_ != 0) ::KillTimer(windowOf(hwnd_), kTimerId);
    toolkit_.quit(1);
}

void Win32Form::tickTimerSignalled() {
    if (hwnd_ != 0) ::SendMessageW(windowOf(hwnd_), WM_TIMER, kTimerId, 0);
}

bool Win32Form::isRedundantTimerMessage(std::uint32_t message, WParam wParam) const {
    return ticks_.running() && message == WM_TIMER && wParam == kTimerId;
}

LResult Win32Form::handleMessage(std::uint32_t message, WParam wParam, LParam lParam, bool& handled) {
    handled = true;
    switch (message) {
        case WM_TIMER:
            if (wParam != kTimerId) break;
            if (routesEvents()) tick();
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (routesEvents()) {
                auto key = static_cast<std::int16_t>(wParam & 0xFFFF);
                const std::int16_t shift = keyboardShiftState();
                guard_.run([&] { events_.Form_KeyDown(key, shift); });
            }
            // Alt combinations keep their system meaning (Alt+F4, Alt+Space).
            if (message == WM_SYSKEYDOWN) break;
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (routesEvents()) {
                const std::int16_t button = message == WM_LBUTTONUP   ? vbLeftButton
                                            : message == WM_RBUTTONUP ? vbRightButton
                                                                      : vbMiddleButton;
                const std::int16_t shift = shiftState((wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0);
                const auto x = static_cast<float>(GET_X_LPARAM(lParam));
                const auto y = static_cast<float>(GET_Y_LPARAM(lParam));
                guard_.run([&] { events_.Form_MouseUp(button, shift, x, y); });
            }
            return 0;
        case WM_SIZE:
            // Shown again after being minimized, or resized: the next tick paints everything.
            frame_.invalidate();
            ++sizeMessages_;
            if (routesEvents()) guard_.run([&] { events_.Form_Resize(); });
            return 0;
        case WM_CLOSE: {
            std::int16_t cancel = 0;
            if (routesEvents()) guard_.run([&] { events_.Form_Unload(cancel); });
            if (cancel == 0 || !guard_.open()) ::DestroyWindow(windowOf(hwnd_));
            return 0;
        }
        case kDpiChanged: {
            // Per-monitor DPI: the system suggests a rectangle scaled for the new monitor.
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            if (suggested == nullptr || hwnd_ == 0) return 0;
            const Rect placed = soft::keepPixelSize(
                outerRect(), Rect{suggested->left, suggested->top, suggested->right, suggested->bottom});
            ::SetWindowPos(windowOf(hwnd_), nullptr, placed.left, placed.top, placed.right - placed.left,
                           placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE);
            frame_.invalidate();
            return 0;
        }
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // Logoff or shutdown: the process may be ended as soon as this returns, so the window
            // closes now, through its procedure chain, and the unload saves as for a close.
            if (wParam != 0 && ::IsWindow(windowOf(hwnd_))) ::SendMessageW(windowOf(hwnd_), WM_CLOSE, 0, 0);
            return 0;
        case WM_DESTROY:
            ticks_.stop();
            ::KillTimer(windowOf(hwnd_), kTimerId);
            if (!destroying_) ::PostQuitMessage(0);
            return 0;
        case WM_ERASEBKGND:
            // The whole client is painted by every tick; erasing first would only flicker.
            return 1;
        case WM_PAINT: {
            frame_.invalidate();
            const PaintScope paint(windowOf(hwnd_));
            if (painted_ && buffer_ && paint.get() != nullptr) buffer_->copyTo(paint.get());
            return 0;
        }
        default: break;
    }
    handled = false;
    return 0;
}

void Win32Form::loadAndShow() {
    loaded_ = true;
    guard_.run([&] { events_.Form_Load(); });
    if (!guard_.open() || hwnd_ == 0) return;
    ::ShowWindow(windowOf(hwnd_), SW_SHOWNORMAL);
    ::UpdateWindow(windowOf(hwnd_));
}

void Win32Form::tick() {
    guard_.run([&] { events_.Timer1_Timer(); });
    if (!guard_.open() || !prepareBuffer()) {
        frame_.discard();
        return;
    }
    // A tick that would draw the frame the window shows already draws and counts nothing.
    if (!frame_.decide(buffer_->width(), buffer_->height())) return;
    buffer_->draw(frame_.frame());
    frame_.drawn(true);
    painted_ = true;
    present();
    toolkit_.countFrame();
}

void Win32Form::present() {
    if (!buffer_ || hwnd_ == 0) return;
    const OwnedWindowDc window(windowOf(hwnd_));
    if (window.get() == nullptr) return;
    buffer_->copyTo(window.get());
}

std::string Win32Form::Caption() const {
    if (hwnd_ == 0) return {};
    // Read from the window's own text directly: asking with WM_GETTEXT would pass the text
    // through the ANSI procedure the core puts in front of the window's.
    const auto length = ::DefWindowProcW(windowOf(hwnd_), WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = ::DefWindowProcW(windowOf(hwnd_), WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                         reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, copied)));
    return wideToUtf8(text);
}

void Win32Form::setCaption(const std::string& caption) {
    if (hwnd_ == 0 || Caption() == caption) return;
    const std::wstring text = utf8ToWide(caption);
    // Set as the default procedure sets it, without WM_SETTEXT travelling the chain: the core's
    // procedure is an ANSI one, and the text would be narrowed to the ANSI code page on the way.
    ::DefWindowProcW(windowOf(hwnd_), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

Rect Win32Form::outerRect() const {
    HWND hwnd = windowOf(hwnd_);
    RECT r{};
    if (::IsIconic(hwnd)) {
        // A minimised window's own rectangle is its icon's: the geometry that counts is the
        // one it comes back to.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (::GetWindowPlacement(hwnd, &placement)) {
            r = placement.rcNormalPosition;
            // Given in workspace coordinates, from the monitor's work area, unless a tool window.
            if ((::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0) {
                MONITORINFO monitor{};
                monitor.cbSize = sizeof monitor;
                if (::GetMonitorInfoW(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) {
                    ::OffsetRect(&r, monitor.rcWork.left - monitor.rcMonitor.left,
                                 monitor.rcWork.top - monitor.rcMonitor.top);
                }
            }
            return Rect{r.left, r.top, r.right, r.bottom};
        }
    }
    ::GetWindowRect(hwnd, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
}

float Win32Form::Width() const {
    const Rect r = outerRect();
    return base::pixelsToTwips(r.right - r.left);
}

float Win32Form::Height() const {
    const Rect r = outerRect();
    return base::pixelsToTwips(r.bottom - r.top);
}

float Win32Form::Left() const { return base::pixelsToTwips(outerRect().left); }

float Win32Form::Top() const { return base::pixelsToTwips(outerRect().top); }

void Win32Form::resizeOuter(int width, int height) {
    if (hwnd_ == 0) return;
    const unsigned long before = sizeMessages_;
    // SetWindowPos sends WM_SIZE before it returns when the size changes; a write that keeps the
    // size raises the resize event all the same, as every write does.
    ::SetWindowPos(windowOf(hwnd_), nullptr, 0, 0, std::max(0, width), std::max(0, height),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (sizeMessages_ == before) {
        RECT client{};
        ::GetClientRect(windowOf(hwnd_), &client);
        const WPARAM kind = ::IsIconic(windowOf(hwnd_)) ? SIZE_MINIMIZED
                            : ::IsZoomed(windowOf(hwnd_)) ? SIZE_MAXIMIZED
                                                          : SIZE_RESTORED;
        ::SendMessageW(windowOf(hwnd_), WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
    }
}

void Win32Form::setWidth(float twips) {
    RECT r{};
    ::GetWindowRect(windowOf(hwnd_), &r);
    resizeOuter(base::twipsToPixels(twips), r.bottom - r.top);
}

void Win32Form::setHeight(float twips) {
    RECT r{};
    ::GetWindowRect(windowOf(hwnd_), &r);
    resizeOuter(r.right - r.left, base::twipsToPixels(twips));
}

void Win32Form::setLeft(float twips) {
    RECT r{};
    ::GetWindowRect(windowOf(hwnd_), &r);
    ::SetWindowPos(windowOf(hwnd_), nullptr, base::twipsToPixels(twips), r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::setTop(float twips) {
    RECT r{};
    ::GetWindowRect(windowOf(hwnd_), &r);
    ::SetWindowPos(windowOf(hwnd_), nullptr, r.left, base::twipsToPixels(twips), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32Form::WindowState() const {
    if (::IsIconic(windowOf(hwnd_))) return WINDOW_MINIMIZED;
    if (::IsZoomed(windowOf(hwnd_))) return WINDOW_MAXIMIZED;
    return WINDOW_NORMAL;
}

float Win32Form::ScaleWidth() const {
    RECT r{};
    ::GetClientRect(windowOf(hwnd_), &r);
    return static_cast<float>(r.right - r.left);
}

float Win32Form::ScaleHeight() const {
    RECT r{};
    ::GetClientRect(windowOf(hwnd_), &r);
    return static_cast<float>(r.bottom - r.top);
}

bool Win32Form::prepareBuffer() {
    if (hwnd_ == 0) return false;
    RECT client{};
    ::GetClientRect(windowOf(hwnd_), &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return false;
    if (buffer_ && buffer_->width() == width && buffer_->height() == height) return true;
    buffer_.reset();
    buffer_ = BackBuffer::create(windowOf(hwnd_), width, height);
    // A new buffer holds none of the frames drawn before.
    frame_.invalidate();
    return buffer_ != nullptr;
}

void Win32Form::PaintPicture(const PictureRef& picture, float x1, float y1, float w1, float h1, float x2, float y2,
                             float w2, float h2) {
    if (!picture || w1 <= 0 || h1 <= 0 || w2 <= 0 || h2 <= 0) return;
    frame_.paint(picture, soft::StretchRect{x1, y1, w1, h1}, soft::StretchRect{x2, y2, w2, h2});
}

void Win32Form::Line(float x1, float y1, float x2, float y2, bool box) { frame_.line(x1, y1, x2, y2, box); }

float Win32Form::TextWidth(const std::string& text) const {
    if (buffer_) return static_cast<float>(buffer_->textWidth(text));
    // Before the first frame there is no buffer yet: the stock font on the screen measures the same at 96 DPI.
    const std::wstring wide = utf8ToWide(text);
    const OwnedWindowDc screen(nullptr);
    if (screen.get() == nullptr) return 0;
    const Selection font(screen.get(), ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    const bool measured = ::GetTextExtentPoint32W(screen.get(), wide.c_str(), static_cast<int>(wide.size()), &size) != 0;
    return measured ? static_cast<float>(size.cx) : 0.0f;
}

void Win32Form::Print(const std::string& text) {
    if (text.empty()) return;
    frame_.print(currentX_, currentY_, text);
}

}  // namespace platform::win32
