#include "platform/win32/Win32Forms.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <stdexcept>

#include "base/Arithmetic.h"
#include "base/DebugSwitches.h"
#include "base/FatalError.h"
#include "base/Version.h"
#include "base/Warn.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/resources/ResourceIds.h"

namespace platform::win32 {
namespace {

constexpr wchar_t kClassName[] = L"KitmoraMagnifierForm";
constexpr UINT_PTR kTimerId = 1;
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

// ---------------------------------------------------------------------------------------------
// The registered class and the icons it shows; the class goes before the icons.
struct Win32Toolkit::WindowClass {
    Icon large{32};
    Icon small{16};
    ATOM atom = 0;

    WindowClass() {
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
    ~WindowClass() { ::UnregisterClassW(kClassName, ::GetModuleHandleW(nullptr)); }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
};

// The client picture: a bitmap like the window's, selected into a memory context.
struct Win32Form::BackBuffer {
    int width = 0;
    int height = 0;
    GdiObject<HBITMAP> bitmap;
    MemoryDc dc;
    std::optional<Selection> selected;  // goes first, so the bitmap is out before both are deleted
};

// ---------------------------------------------------------------------------------------------
Win32Form::Win32Form(Win32Toolkit& toolkit, const FormDesign& design, FormEvents& events)
    : toolkit_(toolkit), events_(events) {
    RECT outer{0, 0, design.clientWidth, design.clientHeight};
    ::AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    const std::wstring caption = utf8ToWide(design.caption);
    HWND hwnd = ::CreateWindowExW(kExStyle, toolkit_.className(), caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), this);
    if (hwnd == nullptr) throw std::runtime_error("cannot create the window");
    hwnd_ = toHandle(hwnd);
    ::SetTimer(hwnd, kTimerId, static_cast<UINT>(std::max(1, design.timerIntervalMs)), nullptr);
}

Win32Form::~Win32Form() {
    if (hwnd_ != 0) {
        HWND hwnd = windowOf(hwnd_);
        ::KillTimer(hwnd, kTimerId);
        // No event reaches the handlers from here on; the window's own messages still run, but
        // a window destroyed with its owner ends no message loop.
        failed_ = true;
        destroying_ = true;
        ::DestroyWindow(hwnd);
    }
}

template <typename Handler>
void Win32Form::guarded(Handler&& handler) {
    if (failed_) return;
    if (!base::runHandler(handler)) fail();
}

void Win32Form::fail() {
    failed_ = true;
    if (hwnd_ != 0) ::KillTimer(windowOf(hwnd_), kTimerId);
    toolkit_.quit(1);
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
                guarded([&] { events_.Form_KeyDown(key, shift); });
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
                guarded([&] { events_.Form_MouseUp(button, shift, x, y); });
            }
            return 0;
        case WM_SIZE:
            // Shown again after being minimized, or resized: the next tick paints everything.
            memo_.invalidate();
            ++sizeMessages_;
            if (routesEvents()) guarded([&] { events_.Form_Resize(); });
            return 0;
        case WM_CLOSE: {
            std::int16_t cancel = 0;
            if (routesEvents()) guarded([&] { events_.Form_Unload(cancel); });
            if (cancel == 0 || failed_) ::DestroyWindow(windowOf(hwnd_));
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
            ::KillTimer(windowOf(hwnd_), kTimerId);
            if (!destroying_) ::PostQuitMessage(0);
            return 0;
        case WM_ERASEBKGND:
            // The whole client is painted by every tick; erasing first would only flicker.
            return 1;
        case WM_PAINT: {
            memo_.invalidate();
            const PaintScope paint(windowOf(hwnd_));
            if (painted_ && buffer_ && paint.get() != nullptr) {
                ::BitBlt(paint.get(), 0, 0, buffer_->width, buffer_->height, buffer_->dc.get(), 0, 0, SRCCOPY);
            }
            return 0;
        }
        default: break;
    }
    handled = false;
    return 0;
}

void Win32Form::loadAndShow() {
    loaded_ = true;
    guarded([&] { events_.Form_Load(); });
    if (failed_ || hwnd_ == 0) return;
    ::ShowWindow(windowOf(hwnd_), SW_SHOWNORMAL);
    ::UpdateWindow(windowOf(hwnd_));
}

void Win32Form::tick() {
    memo_.begin();
    guarded([&] { events_.Timer1_Timer(); });
    // Fewer texts than the last frame had: the picture without them.
    if (held_ && !memo_.sameAsLast() && buffer_) paintHeld();
    held_.reset();
    memo_.end();
    if (dirty_ && !failed_) {
        present();
        toolkit_.countFrame();
    }
    dirty_ = false;
}

void Win32Form::present() {
    if (!buffer_ || hwnd_ == 0) return;
    const WindowDc window(windowOf(hwnd_));
    if (window.get() == nullptr) return;
    ::BitBlt(window.get(), 0, 0, buffer_->width, buffer_->height, buffer_->dc.get(), 0, 0, SRCCOPY);
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

float Win32Form::Width() const {
    RECT r{};
    ::GetWindowRect(windowOf(hwnd_), &r);
    return base::pixelsToTwips(r.right - r.left);
}

float Win32Form::Height() const {
    RECT r{};
    ::GetWindowRect(windowOf(hwnd_), &r);
    return base::pixelsToTwips(r.bottom - r.top);
}

float Win32Form::Left() const {
    RECT r{};
    ::GetWindowRect(windowOf(hwnd_), &r);
    return base::pixelsToTwips(r.left);
}

float Win32Form::Top() const {
    RECT r{};
    ::GetWindowRect(windowOf(hwnd_), &r);
    return base::pixelsToTwips(r.top);
}

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
    if (buffer_ && buffer_->width == width && buffer_->height == height) return true;

    buffer_.reset();
    auto buffer = std::make_unique<BackBuffer>();
    {
        const WindowDc window(windowOf(hwnd_));
        if (window.get() == nullptr) return false;
        buffer->dc = MemoryDc(window.get());
        buffer->bitmap.reset(::CreateCompatibleBitmap(window.get(), width, height));
    }
    if (buffer->dc.get() == nullptr || buffer->bitmap.get() == nullptr) return false;
    buffer->selected.emplace(buffer->dc.get(), buffer->bitmap.get());
    buffer->width = width;
    buffer->height = height;
    ::PatBlt(buffer->dc.get(), 0, 0, width, height, BLACKNESS);
    buffer_ = std::move(buffer);
    memo_.invalidate();
    return true;
}

void Win32Form::PaintPicture(const PictureRef& picture, float x1, float y1, float w1, float h1, float x2, float y2,
                             float w2, float h2) {
    if (!picture || w1 <= 0 || h1 <= 0 || w2 <= 0 || h2 <= 0 || !prepareBuffer()) return;
    const auto bitmap = fromHandle<HBITMAP>(picture->bitmap());
    if (bitmap == nullptr) return;
    const FrameMemo::Geometry geometry{x1, y1, w1, h1, x2, y2, w2, h2};
    if (memo_.samePicture(toHandle(buffer_->dc.get()), picture->bitmap(), geometry)) {
        // The same picture is on the buffer already; it is painted only if a text differs.
        held_ = picture;
        heldGeometry_ = geometry;
        return;
    }
    stretch(picture, geometry);
}

void Win32Form::stretch(const PictureRef& picture, const FrameMemo::Geometry& g) {
    const auto [x1, y1, w1, h1, x2, y2, w2, h2] = g;
    const auto bitmap = fromHandle<HBITMAP>(picture->bitmap());
    const auto palette = fromHandle<HPALETTE>(picture->palette());

    // StretchBlt takes whole pixels. The source rectangle is widened to the whole pixels it
    // touches and the destination by the same scale, so a source of (client / zoom) pixels maps
    // every source pixel onto exactly zoom x zoom destination pixels, with the block of the first
    // one at the destination's origin; what lies beyond the client is clipped.
    const double scaleX = static_cast<double>(w1) / w2;
    const double scaleY = static_cast<double>(h1) / h2;
    const double sx0 = std::floor(x2), sy0 = std::floor(y2);
    const double sx1 = std::ceil(static_cast<double>(x2) + w2), sy1 = std::ceil(static_cast<double>(y2) + h2);
    const long left = std::lround(x1 + (sx0 - x2) * scaleX);
    const long top = std::lround(y1 + (sy0 - y2) * scaleY);
    const long right = std::lround(x1 + (sx1 - x2) * scaleX);
    const long bottom = std::lround(y1 + (sy1 - y2) * scaleY);

    HDC dest = buffer_->dc.get();
    const MemoryDc source(dest);
    if (source.get() == nullptr) return;
    const Selection selected(source.get(), bitmap);
    std::optional<PaletteSelection> sourcePalette;
    std::optional<PaletteSelection> destPalette;
    if (palette != nullptr) {
        sourcePalette.emplace(source.get(), palette);
        destPalette.emplace(dest, palette);
    }
    ::SetStretchBltMode(dest, COLORONCOLOR);
    ::StretchBlt(dest, static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                 static_cast<int>(bottom - top), source.get(), static_cast<int>(sx0), static_cast<int>(sy0),
                 static_cast<int>(sx1 - sx0), static_cast<int>(sy1 - sy0), SRCCOPY);
    dirty_ = painted_ = true;
}

void Win32Form::Print(const std::string& text) {
    if (text.empty() || !prepareBuffer()) return;
    const bool same = memo_.sameText(currentX_, currentY_, text);
    if (held_) {
        if (same) return;
        // The frame differs after all: the picture goes down again, then every text so far.
        paintHeld();
        return;
    }
    drawText(currentX_, currentY_, text);
}

void Win32Form::paintHeld() {
    stretch(held_, heldGeometry_);
    held_.reset();
    for (const FrameMemo::Text& t : memo_.texts()) drawText(t.x, t.y, t.text);
}

void Win32Form::drawText(float atX, float atY, const std::string& text) {
    const std::wstring wide = utf8ToWide(text);
    HDC dc = buffer_->dc.get();
    const int x = static_cast<int>(std::floor(atX));
    const int y = static_cast<int>(std::floor(atY));
    const Selection font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    // A dark outline under white letters: readable over any picture.
    ::SetTextColor(dc, RGB(0, 0, 0));
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (dx != 0 || dy != 0) ::TextOutW(dc, x + dx, y + dy, wide.c_str(), static_cast<int>(wide.size()));
        }
    }
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
    dirty_ = painted_ = true;
}

// ---------------------------------------------------------------------------------------------
Win32Toolkit::Win32Toolkit() : class_(std::make_unique<WindowClass>()) {}

Win32Toolkit::~Win32Toolkit() = default;

const wchar_t* Win32Toolkit::className() const { return kClassName; }

std::unique_ptr<Form> Win32Toolkit::createForm(const FormDesign& design, FormEvents& events) {
    return std::make_unique<Win32Form>(*this, design, events);
}

float Win32Toolkit::ScreenWidth() const { return base::pixelsToTwips(::GetSystemMetrics(SM_CXSCREEN)); }
float Win32Toolkit::ScreenHeight() const { return base::pixelsToTwips(::GetSystemMetrics(SM_CYSCREEN)); }

AppVersion Win32Toolkit::version() const {
    return AppVersion{base::kVersionMajor, base::kVersionMinor, base::kVersionPatch};
}

void Win32Toolkit::quit(int status) {
    if (!failureStatus_) failureStatus_ = status;
    ::PostQuitMessage(status);
}

int Win32Toolkit::run() {
    int status = 0;
    if (!failureStatus_) {
        MSG message{};
        BOOL got = FALSE;
        while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        status = got == 0 ? static_cast<int>(message.wParam) : 1;
    }
    if (failureStatus_) status = *failureStatus_;
    if (base::debugSwitches().frameStats) {
        base::warn("frames " + std::to_string(frames_));
    }
    return status;
}

}  // namespace platform::win32
