#include "platform/linux/QtForm.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <unistd.h>

#include <algorithm>

#include "base/Arithmetic.h"
#include "platform/linux/KeyCodes.h"
#include "platform/linux/TextOverlay.h"
#include "platform/linux/X11BackBuffer.h"
#include "platform/linux/X11RenderBuffer.h"
#include "platform/linux/WindowIcon.h"

namespace platform::linux_ {
namespace {

// Half a second of unchanged ticks before resting; at rest the pointer is still read every 50 ms,
// and a tick runs at least once a second.
constexpr int kQuietTicksBeforeRest = 50;
constexpr int kRestingIntervalMs = 50;
constexpr int kRestingTimerMs = 1000;

}  // namespace

QtForm::QtForm(const FormDesign& design, FormEvents& events, X11Display& display, X11WindowSystem& windows,
               soft::SoftGraphics& graphics, soft::FrameStats& stats, bool serverDrawing,
               bool screenInServer)
    : events_(events),
      display_(display),
      windows_(windows),
      stats_(stats),
      guard_([this] {
          timer_.stop();
          QCoreApplication::exit(1);
      }),
      frame_(graphics) {
    widget_ = std::make_unique<FormWidget>(*this);
    caption_ = design.caption;
    widget_->setWindowTitle(QString::fromStdString(caption_));
    widget_->resize(design.clientWidth, design.clientHeight);
    hwnd_ = static_cast<Handle>(widget_->winId());
    // The form's own procedure, at the end of the window's chain.
    windows_.registerWindow(
        hwnd_, [this](std::uint32_t message, WParam wParam, LParam lParam) { return handleMessage(message, wParam, lParam); });
    if (serverDrawing) {
        buffer_ = std::make_unique<X11RenderBuffer>(display_, hwnd_, graphics, screenInServer);
    } else {
        buffer_ = std::make_unique<X11BackBuffer>(display_, hwnd_);
    }
    // A change the screen reports is copied inside the server without being read, except where
    // the view shows its own window.
    frame_.drawChangesDirect(serverDrawing && screenInServer);

    // The window manager's frame is known before the window is shown, so that the outer size
    // read at start-up is the size the user will see.
    const std::optional<FrameExtents> answered = windows_.requestFrameExtents(hwnd_);
    frameKnown_ = answered.has_value();
    expectedFrame_ = answered.value_or(FrameExtents{});
    designWidth_ = design.clientWidth;
    designHeight_ = design.clientHeight;
    // Some window managers never answer the request, others answer late (busy, or started
    // after the program): the frame is then learned when the window is framed.
    if (!frameKnown_) {
        frameWatch_ = std::make_unique<FrameWatch>(
            widget_.get(), hwnd_, static_cast<std::uint32_t>(windows_.frameExtentsAtom()), [this] { learnFrame(); });
    }

    gone_ = std::make_unique<WindowGone>(hwnd_, [this] { windowDestroyed(); });

    news_ = std::make_unique<QSocketNotifier>(ConnectionNumber(display_.get()), QSocketNotifier::Read);
    news_->setEnabled(false);
    QObject::connect(news_.get(), &QSocketNotifier::activated, [this] {
        // Read now, so that the connection does not stay readable and call again.
        display_.dispatchPending(true);
        if (timer_.isActive()) tick();
    });

    tickIntervalMs_ = design.timerIntervalMs;
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(design.timerIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start();
}

QtForm::~QtForm() {
    timer_.stop();
    windows_.unregisterWindow(hwnd_);
    buffer_.reset();
    widget_.reset();
    XSync(display_.get(), kXFalse);
}

LResult QtForm::send(std::uint32_t message, WParam wParam, LParam lParam) {
    LResult result = 0;
    wake();
    guard_.run([&] { result = windows_.sendMessage(hwnd_, message, wParam, lParam); });
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
    guard_.run([&] { events_.Form_Load(); });
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
    guard_.run([&] { events_.Timer1_Timer(); });
    if (windowGone_) {
        frame_.discard();
        return;
    }
    const QPoint corner = widget_->mapToGlobal(QPoint(0, 0));
    frame_.setOwnArea(Rect{corner.x(), corner.y(), corner.x() + widget_->width(), corner.y() + widget_->height()});
    // Only what changes the picture reaches the window; a still screen costs no X request.
    if (!buffer_->prepare(widget_->width(), widget_->height())) {
        frame_.discard();
        afterTick(false);
        return;
    }
    const bool drew = buffer_->draw(frame_);
    if (drew) {
        present();
        stats_.count();
    }
    afterTick(drew);
}

void QtForm::afterTick(bool drew) {
    if (drew) {
        wake();
        return;
    }
    if (!resting_ && ++quietTicks_ >= kQuietTicksBeforeRest) rest();
    // Events read in with a reply of this tick leave the connection unreadable: they are handed
    // out at the next tick, which must not wait for the pointer's poll.
    if (resting_ && XEventsQueued(display_.get(), QueuedAlready) > 0) wake();
}

void QtForm::restOnScreenNews(int descriptor, std::function<bool()> mayRest) {
    screenNews_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    screenNews_->setEnabled(false);
    mayRestOnScreenNews_ = std::move(mayRest);
    QObject::connect(screenNews_.get(), &QSocketNotifier::activated, [this] {
        drainScreenNews();
        wake();
        if (timer_.isActive()) tick();
    });
}

void QtForm::drainScreenNews() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(static_cast<int>(screenNews_->socket()), &count, sizeof count);
}

void QtForm::rest() {
    if (resting_ || !timer_.isActive()) return;
    if (screenNews_ && mayRestOnScreenNews_()) {
        // Frames, pointer moves and changes of the sharing come as news; input and exposures
        // come from the X connection; the timer keeps the tick's other duties going.
        resting_ = true;
        drainScreenNews();
        screenNews_->setEnabled(true);
        news_->setEnabled(true);
        timer_.setInterval(kRestingTimerMs);
        return;
    }
    if (!windows_.reportsChanges()) return;
    resting_ = true;
    news_->setEnabled(true);
    if (!watch_) {
        watch_ = std::make_unique<X11PointerWatch>();
        if (watch_->ok()) {
            watchNews_ = std::make_unique<QSocketNotifier>(watch_->descriptor(), QSocketNotifier::Read);
            QObject::connect(watchNews_.get(), &QSocketNotifier::activated, [this] { pointerPolled(); });
        }
    }
    if (watch_->ok()) {
        watch_->ask(std::chrono::milliseconds(kRestingIntervalMs));
        // The timer only keeps the rest of the tick's duties going, should the server not answer.
        timer_.setInterval(kRestingTimerMs);
    } else {
        timer_.setInterval(kRestingIntervalMs);
    }
}

void QtForm::pointerPolled() {
    Point polled{}, last{};
    bool known = false;
    if (!watch_->answered(polled, known) || !resting_) return;
    const bool lastKnown = windows_.lastPointer(last);
    if (known != lastKnown || (known && (polled.x != last.x || polled.y != last.y))) {
        wake();
        if (timer_.isActive()) tick();
        return;
    }
    watch_->ask(std::chrono::milliseconds(kRestingIntervalMs));
}

void QtForm::wake() {
    quietTicks_ = 0;
    if (!resting_) return;
    resting_ = false;
    news_->setEnabled(false);
    if (screenNews_) screenNews_->setEnabled(false);
    if (timer_.isActive()) timer_.setInterval(tickIntervalMs_);
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

void QtForm::learnFrame(bool fromParent) {
    if (frameKnown_ || windowGone_) return;
    std::optional<FrameExtents> learned = windows_.frameExtents(hwnd_);
    if (!learned && !fromParent) {
        // Right after the reparenting the frame may not have its final shape: the window
        // manager's own word is waited for a moment before the parent's geometry counts.
        if (windows_.parentFrame(hwnd_)) QTimer::singleShot(500, widget_.get(), [this] { learnFrame(true); });
        return;
    }
    if (!learned) learned = windows_.parentFrame(hwnd_);
    if (!learned) return;
    frameKnown_ = true;
    expectedFrame_ = *learned;
    // The minimum taken at start-up was the client alone; held in outer terms it is the client's
    // size at creation within whatever frame.
    widget_->setMinimumSize(designWidth_, designHeight_);
    const FrameExtents& f = *learned;
    if (askedWidth_ || askedHeight_) {
        setClientSize(askedWidth_ ? *askedWidth_ - f.left - f.right : widget_->width(),
                      askedHeight_ ? *askedHeight_ - f.top - f.bottom : widget_->height());
    }
    if (askedLeft_ && askedTop_)
        widget_->setGeometry(*askedLeft_ + f.left, *askedTop_ + f.top, widget_->width(), widget_->height());
}

void QtForm::setWidth(float twips) {
    if (!frameKnown_) askedWidth_ = base::twipsToPixels(twips);
    const FrameExtents f = frame();
    setClientSize(base::twipsToPixels(twips) - f.left - f.right, widget_->height());
}

void QtForm::setHeight(float twips) {
    if (!frameKnown_) askedHeight_ = base::twipsToPixels(twips);
    const FrameExtents f = frame();
    setClientSize(widget_->width(), base::twipsToPixels(twips) - f.top - f.bottom);
}

float QtForm::Left() const {
    // A minimised window is unmapped, and where its frame is then is the window manager's
    // business: the geometry kept for it is the one it comes back to.
    if (widget_->isVisible() && WindowState() != WINDOW_MINIMIZED) {
        Rect rect;
        if (windows_.GetWindowRect(hwnd_, rect)) return base::pixelsToTwips(rect.left);
    }
    return base::pixelsToTwips(widget_->geometry().x() - frame().left);
}

float QtForm::Top() const {
    if (widget_->isVisible() && WindowState() != WINDOW_MINIMIZED) {
        Rect rect;
        if (windows_.GetWindowRect(hwnd_, rect)) return base::pixelsToTwips(rect.top);
    }
    return base::pixelsToTwips(widget_->geometry().y() - frame().top);
}

void QtForm::moveOuterTo(int left, int top) {
    if (!frameKnown_) {
        askedLeft_ = left;
        askedTop_ = top;
    }
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

void QtForm::PaintPicture(const PictureRef& picture, float x1, float y1, float w1, float h1, float x2, float y2,
                          float w2, float h2) {
    frame_.paint(picture, soft::StretchRect{x1, y1, w1, h1}, soft::StretchRect{x2, y2, w2, h2});
}

void QtForm::Line(float x1, float y1, float x2, float y2, bool box) { frame_.line(x1, y1, x2, y2, box); }

void QtForm::Print(const std::string& text) { frame_.print(currentX_, currentY_, text); }

float QtForm::TextWidth(const std::string& text) const {
    if (!metrics_) metrics_.emplace(overlayFont());
    return static_cast<float>(metrics_->horizontalAdvance(QString::fromStdString(text)));
}

void QtForm::present() {
    if (windowGone_) return;
    buffer_->present(widget_->width(), widget_->height());
}

}  // namespace platform::linux_
