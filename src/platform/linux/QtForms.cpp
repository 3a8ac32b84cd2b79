#include "platform/linux/QtForms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWheelEvent>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <exception>

#include "base/Arithmetic.h"
#include "base/DebugSwitches.h"
#include "base/FatalError.h"
#include "base/Version.h"
#include "base/Warn.h"
#include "platform/linux/KeyCodes.h"
#include "platform/linux/WindowIcon.h"

namespace platform::linuxx11 {
namespace {


LParam pointParam(int x, int y) {
    return static_cast<LParam>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                               static_cast<std::uint16_t>(x));
}

std::uint32_t mouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    std::uint32_t flags = 0;
    if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
FormWidget::FormWidget(QtForm& form) : form_(form) {
    // The program draws the client area itself, straight to the native window.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
    const int key = virtualKeyFor(*event);
    if (key == 0) return;
    const LParam repeat = event->isAutoRepeat() ? (LParam{1} << 30) | 1 : 1;
    form_.send((event->modifiers() & Qt::AltModifier) ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WParam>(key), repeat);
}

void FormWidget::mouseReleaseEvent(QMouseEvent* event) {
    std::uint32_t message = 0;
    switch (event->button()) {
        case Qt::LeftButton: message = WM_LBUTTONUP; break;
        case Qt::RightButton: message = WM_RBUTTONUP; break;
        case Qt::MiddleButton: message = WM_MBUTTONUP; break;
        default: return;
    }
    const QPoint at = event->position().toPoint();
    form_.send(message, mouseKeyFlags(event->buttons(), event->modifiers()), pointParam(at.x(), at.y()));
}

void FormWidget::wheelEvent(QWheelEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    const std::uint32_t flags = mouseKeyFlags(event->buttons(), event->modifiers());
    const auto wheel = [&](std::uint32_t message, int delta) {
        if (delta == 0) return;
        const auto high = static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(delta)));
        form_.send(message, static_cast<WParam>((high << 16) | flags), pointParam(global.x(), global.y()));
    };
    // Qt turns a horizontal wheel into a vertical one while Alt is held; keep the axes as sent.
    wheel(WM_MOUSEWHEEL, event->angleDelta().y());
    wheel(WM_MOUSEHWHEEL, event->angleDelta().x());
    event->accept();
}

void FormWidget::resizeEvent(QResizeEvent* /*event*/) {
    // A size the program writes raises the event itself, once, inside the write.
    if (!form_.sizeWriteInProgress()) form_.send(WM_SIZE, 0, pointParam(width(), height()));
}

void FormWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        form_.invalidate();
        form_.send(WM_SIZE, 0, pointParam(width(), height()));
    }
    QWidget::changeEvent(event);
}

void FormWidget::closeEvent(QCloseEvent* event) {
    if (form_.send(WM_CLOSE, 0, 0) != 0) {
        event->accept();
    } else {
        event->ignore();
    }
}

void FormWidget::paintEvent(QPaintEvent* /*event*/) {
    form_.invalidate();
    form_.present();
}

// ---------------------------------------------------------------------------------------------
QtForm::QtForm(const FormDesign& design, FormEvents& events, X11Display& display, X11WindowSystem& windows,
               soft::SoftGraphics& graphics)
    : events_(events), display_(display), windows_(windows), graphics_(graphics), overlay_(screenFormat_), frame_(graphics) {
    widget_ = std::make_unique<FormWidget>(*this);
    caption_ = design.caption;
    widget_->setWindowTitle(QString::fromStdString(caption_));
    widget_->resize(design.clientWidth, design.clientHeight);
    hwnd_ = static_cast<Handle>(widget_->winId());
    // The toolkit's own procedure, at the end of the window's chain.
    windows_.registerWindow(
        hwnd_, [this](std::uint32_t message, WParam wParam, LParam lParam) { return handleMessage(message, wParam, lParam); });

    XWindowAttributes attributes{};
    XGetWindowAttributes(display_.get(), hwnd_, &attributes);
    ::Display* x = display_.get();
    const int screen = display_.screen();
    // The window shows the screen's colours through the screen's colormap: on palette and
    // DirectColor displays a colormap of the toolkit's own would show other colours.
    if (attributes.visual == DefaultVisual(x, screen)) XSetWindowColormap(x, hwnd_, DefaultColormap(x, screen));
    screenFormat_ = PixelFormat::of(x, DefaultVisual(x, screen), DefaultDepth(x, screen), DefaultColormap(x, screen));
    windowFormat_ = attributes.visual == DefaultVisual(x, screen)
                        ? screenFormat_
                        : PixelFormat::of(x, attributes.visual, attributes.depth, attributes.colormap);
    surface_ = std::make_unique<X11Image>(display_, attributes.visual, attributes.depth);
    if (!(screenFormat_ == windowFormat_)) surface_->setTranslation(&screenFormat_, &windowFormat_);
    gc_ = XCreateGC(display_.get(), hwnd_, 0, nullptr);
    // Nothing is painted before the first tick, and the server must not clear what the tick put.
    XSetWindowBackgroundPixmap(display_.get(), hwnd_, kXNone);

    // The window manager's frame is known before the window is shown, so that the outer size
    // read at start-up is the size the user will see.
    expectedFrame_ = windows_.requestFrameExtents(hwnd_).value_or(FrameExtents{});

    gone_ = std::make_unique<WindowGone>(hwnd_, [this] { windowDestroyed(); });

    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(design.timerIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start();
}

QtForm::~QtForm() {
    timer_.stop();
    // Frame counts for measuring the cost of a frame from outside.
    if (base::debugSwitches().frameStats) {
        base::warn("frames " + std::to_string(frames_));
        // On the monotonic clock every process shares, for measuring the start-up from outside.
        const auto first = std::chrono::duration_cast<std::chrono::microseconds>(firstFrame_.time_since_epoch());
        base::warn("first frame at " + std::to_string(first.count()) + " us");
    }
    windows_.unregisterWindow(hwnd_);
    if (gc_ != nullptr) XFreeGC(display_.get(), gc_);
    surface_.reset();
    widget_.reset();
    XSync(display_.get(), kXFalse);
}

template <typename Handler>
void QtForm::guarded(Handler&& handler) {
    if (!base::runHandler(handler)) {
        timer_.stop();
        QCoreApplication::exit(1);
    }
}

LResult QtForm::send(std::uint32_t message, WParam wParam, LParam lParam) {
    LResult result = 0;
    guarded([&] { result = windows_.sendMessage(hwnd_, message, wParam, lParam); });
    return result;
}

LResult QtForm::handleMessage(std::uint32_t message, WParam wParam, LParam lParam) {
    const auto x = static_cast<float>(static_cast<std::int16_t>(lParam & 0xFFFF));
    const auto y = static_cast<float>(static_cast<std::int16_t>((lParam >> 16) & 0xFFFF));
    const auto shift = static_cast<std::int16_t>(shiftStateFor(QGuiApplication::keyboardModifiers()));
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            auto key = static_cast<std::int16_t>(wParam & 0xFFFF);
            events_.Form_KeyDown(key, shift);
            return 0;
        }
        case WM_LBUTTONUP: events_.Form_MouseUp(vbLeftButton, shift, x, y); return 0;
        case WM_RBUTTONUP: events_.Form_MouseUp(vbRightButton, shift, x, y); return 0;
        case WM_MBUTTONUP: events_.Form_MouseUp(vbMiddleButton, shift, x, y); return 0;
        case WM_SIZE: events_.Form_Resize(); return 0;
        case WM_CLOSE: {
            std::int16_t cancel = 0;
            events_.Form_Unload(cancel);
            if (cancel != 0) return 0;
            timer_.stop();
            return 1;
        }
        default: return 0;
    }
}

bool QtForm::closeFromSession() { return windowGone_ || widget_->close(); }

void QtForm::windowDestroyed() {
    // Nothing asked first, so the unload runs now, as for a close, and the program ends with it.
    windowGone_ = true;
    timer_.stop();
    if (send(WM_CLOSE, 0, 0) != 0) QCoreApplication::exit(0);
}

void QtForm::loadAndShow() {
    guarded([&] { events_.Form_Load(); });
    widget_->show();
    // The first picture is made as soon as the event loop runs, not one timer interval later:
    // it is then ready when the window manager maps the window.
    QTimer::singleShot(0, widget_.get(), [this] {
        if (timer_.isActive()) tick();
    });
    // The icon is drawn after the first picture, which need not wait for it: window managers
    // take up an icon set later as well.
    QTimer::singleShot(0, widget_.get(), [this] { widget_->setWindowIcon(windowIcon()); });
}

void QtForm::tick() {
    guarded([&] { events_.Timer1_Timer(); });
    if (windowGone_) {
        frame_.discard();
        return;
    }
    // Where the user looks: why the screen is read another way than expected.
    if (!notice_.empty()) frame_.print(4, 4, notice_);
    // Only what changes the picture reaches the window; a still screen costs no X request.
    if (!prepareSurface()) {
        frame_.discard();
        return;
    }
    if (frame_.finish(surface_->surface(), &overlay_)) {
        painted_ = true;
        present();
        if (frames_++ == 0) firstFrame_ = std::chrono::steady_clock::now();
    }
}

std::string QtForm::Caption() const { return widget_->windowTitle().toStdString(); }

void QtForm::setCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    widget_->setWindowTitle(QString::fromStdString(caption));
}

FrameExtents QtForm::frame() const {
    if (widget_->isVisible()) {
        if (auto live = windows_.frameExtents(hwnd_)) return *live;
    }
    return expectedFrame_;
}

float QtForm::Width() const {
    const FrameExtents f = frame();
    return base::pixelsToTwips(widget_->width() + f.left + f.right);
}

float QtForm::Height() const {
    const FrameExtents f = frame();
    return base::pixelsToTwips(widget_->height() + f.top + f.bottom);
}

void QtForm::setClientSize(int width, int height) {
    sizeWrite_ = true;
    widget_->resize(std::max(1, width), std::max(1, height));
    sizeWrite_ = false;
    send(WM_SIZE, 0, pointParam(widget_->width(), widget_->height()));
}

void QtForm::setWidth(float twips) {
    const FrameExtents f = frame();
    setClientSize(base::twipsToPixels(twips) - f.left - f.right, widget_->height());
}

void QtForm::setHeight(float twips) {
    const FrameExtents f = frame();
    setClientSize(widget_->width(), base::twipsToPixels(twips) - f.top - f.bottom);
}

float QtForm::Left() const {
    if (widget_->isVisible()) {
        Rect rect;
        if (windows_.GetWindowRect(hwnd_, rect)) return base::pixelsToTwips(rect.left);
    }
    return base::pixelsToTwips(widget_->geometry().x() - frame().left);
}

float QtForm::Top() const {
    if (widget_->isVisible()) {
        Rect rect;
        if (windows_.GetWindowRect(hwnd_, rect)) return base::pixelsToTwips(rect.top);
    }
    return base::pixelsToTwips(widget_->geometry().y() - frame().top);
}

void QtForm::moveOuterTo(int left, int top) {
    // The client area is placed, with the frame the window manager gives it around: before the
    // window is first shown Qt does not know that frame, and would put the client where the
    // frame's corner belongs.
    const FrameExtents f = frame();
    widget_->setGeometry(left + f.left, top + f.top, widget_->width(), widget_->height());
}

void QtForm::setLeft(float twips) { moveOuterTo(base::twipsToPixels(twips), base::twipsToPixels(Top())); }

void QtForm::setTop(float twips) { moveOuterTo(base::twipsToPixels(Left()), base::twipsToPixels(twips)); }

int QtForm::WindowState() const {
    const Qt::WindowStates state = widget_->windowState();
    if (state & Qt::WindowMinimized) return WINDOW_MINIMIZED;
    if (state & Qt::WindowMaximized) return WINDOW_MAXIMIZED;
    return WINDOW_NORMAL;
}

float QtForm::ScaleWidth() const { return static_cast<float>(widget_->width()); }
float QtForm::ScaleHeight() const { return static_cast<float>(widget_->height()); }

bool QtForm::prepareSurface() {
    const int width = widget_->width(), height = widget_->height();
    surface_->awaitWritten();
    if (surface_->width() == width && surface_->height() == height) return true;
    if (!surface_->resize(width, height)) return false;
    const soft::Surface s = surface_->surface();
    for (int y = 0; y < s.height; ++y) std::fill(s.row(y), s.row(y) + s.width, 0u);
    return true;
}

void QtForm::PaintPicture(const PictureRef& picture, float x1, float y1, float w1, float h1, float x2, float y2,
                          float w2, float h2) {
    frame_.paint(picture, soft::StretchRect{x1, y1, w1, h1}, soft::StretchRect{x2, y2, w2, h2});
}

void QtForm::Print(const std::string& text) { frame_.print(currentX_, currentY_, text); }

void QtForm::present() {
    // Nothing is shown before the first tick has painted.
    if (!painted_ || windowGone_) return;
    if (surface_->width() != widget_->width() || surface_->height() != widget_->height()) return;
    surface_->write(hwnd_, gc_);
}

// ---------------------------------------------------------------------------------------------
QtToolkit::QtToolkit(X11Display& display, X11WindowSystem& windows, soft::SoftGraphics& graphics)
    : display_(display), windows_(windows), graphics_(graphics) {}

std::unique_ptr<Form> QtToolkit::createForm(const FormDesign& design, FormEvents& events) {
    auto form = std::make_unique<QtForm>(design, events, display_, windows_, graphics_);
    form->setNotice(notice_);
    return form;
}

float QtToolkit::ScreenWidth() const { return base::pixelsToTwips(DisplayWidth(display_.get(), display_.screen())); }
float QtToolkit::ScreenHeight() const { return base::pixelsToTwips(DisplayHeight(display_.get(), display_.screen())); }

AppVersion QtToolkit::version() const {
    return AppVersion{base::kVersionMajor, base::kVersionMinor, base::kVersionPatch};
}

int QtToolkit::run() { return QApplication::exec(); }

void QtToolkit::endSession() {
    bool allClosed = true;
    // Every form has one top-level widget. A copy of the list: the unload handlers run from
    // inside the loop.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* formWidget = dynamic_cast<FormWidget*>(window)) {
            allClosed = formWidget->form().closeFromSession() && allClosed;
        }
    }
    if (allClosed) QCoreApplication::exit(0);
}

}  // namespace platform::linuxx11
