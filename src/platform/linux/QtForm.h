#pragma once
// A form on Qt Widgets. Its window is a native X window whose events pass, as window messages,
// through the window system's procedure chain before the form's own procedure turns them into
// the form's events. Each tick's drawing is collected and reaches the window at the end of the
// tick, only when it changes the picture.
#include <QFontMetrics>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/EventGuard.h"
#include "platform/FormToolkit.h"
#include "platform/linux/FormWidget.h"
#include "platform/linux/FrameWatch.h"
#include "platform/linux/WindowGone.h"
#include "platform/linux/ViewBuffer.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11PointerWatch.h"
#include "platform/linux/X11WindowSystem.h"
#include "platform/soft/FrameStats.h"
#include "platform/soft/SoftGraphics.h"
#include "platform/soft/ViewFrame.h"

namespace platform::linux_ {

class QtForm : public Form {
public:
    // Frames drawn are counted in `stats`, which outlives the form. With `serverDrawing` the view
    // is drawn inside the X server (X11RenderBuffer), else in the program's memory.
    QtForm(const FormDesign& design, FormEvents& events, X11Display& display, X11WindowSystem& windows,
           soft::SoftGraphics& graphics, soft::FrameStats& stats, bool serverDrawing = false,
           bool screenInServer = true);
    ~QtForm() override;

    void loadAndShow() override;
    std::string Caption() const override;
    void setCaption(const std::string& caption) override;
    float Width() const override;
    void setWidth(float twips) override;
    float Height() const override;
    void setHeight(float twips) override;
    float Left() const override;
    void setLeft(float twips) override;
    float Top() const override;
    void setTop(float twips) override;
    int WindowState() const override;
    Handle hWnd() const override { return hwnd_; }
    float ScaleWidth() const override;
    float ScaleHeight() const override;
    float CurrentX() const override { return currentX_; }
    void setCurrentX(float x) override { currentX_ = x; }
    float CurrentY() const override { return currentY_; }
    void setCurrentY(float y) override { currentY_ = y; }
    void PaintPicture(const PictureRef& picture, float x1, float y1, float w1, float h1, float x2, float y2, float w2,
                      float h2) override;
    void Line(float x1, float y1, float x2, float y2, bool box) override;
    void Print(const std::string& text) override;
    float TextWidth(const std::string& text) const override;

    // From the widget: the event as a message through the window's procedure chain.
    LResult send(std::uint32_t message, WParam wParam, LParam lParam);
    bool sizeWriteInProgress() const { return sizeWrite_; }
    // Puts the client picture on the window.
    void present();
    // Closes the window as its close button would: the unload handler runs first. True when
    // the window is closed now.
    bool closeFromSession();
    // The screen comes from elsewhere than the X server (the screen-cast portal): the window
    // may rest, while `mayRest` says so, until `descriptor` (an eventfd) has news.
    void restOnScreenNews(int descriptor, std::function<bool()> mayRest);
    void drainScreenNews();
    // The window was shown again, uncovered or restacked: the next tick paints everything.
    void invalidate() {
        frame_.invalidate();
        wake();
    }

private:
    LResult handleMessage(std::uint32_t message, WParam wParam, LParam lParam);
    void tick();
    FrameExtents frame() const;
    void setClientSize(int width, int height);
    void moveOuterTo(int left, int top);
    void windowDestroyed();
    // After a while of ticks that changed nothing the timer slows to the pointer's poll for
    // warps, and news on the X connection (a damaged area, raw motion, any event) or a message
    // of the window brings the full rate back at once: a still screen costs few wake-ups, and a
    // change still shows at the next tick.
    void afterTick(bool drew);
    void rest();
    void wake();
    // The pointer's poll at rest has answered: a move shows now, else the next poll is asked.
    void pointerPolled();
    // Once the frame is known after all: what was asked for in outer terms is applied in them.
    // `fromParent`: the reparenting parent's geometry counts when the window manager tells none.
    void learnFrame(bool fromParent = false);

    FormEvents& events_;
    X11Display& display_;
    X11WindowSystem& windows_;
    soft::FrameStats& stats_;
    std::unique_ptr<FormWidget> widget_;
    Handle hwnd_ = 0;
    QTimer timer_;
    base::EventGuard guard_;
    std::unique_ptr<ViewBuffer> buffer_;
    // The caption last set, so that a tick setting the same one does no toolkit work.
    std::string caption_;
    mutable std::optional<QFontMetrics> metrics_;  // the overlay font's, made when first asked
    soft::ViewFrame frame_;
    FrameExtents expectedFrame_;
    // Whether the window manager told the frame before the window was shown; until it tells,
    // the outer geometry asked for is kept.
    bool frameKnown_ = false;
    std::optional<int> askedWidth_, askedHeight_, askedLeft_, askedTop_;
    int designWidth_ = 0;
    int designHeight_ = 0;
    std::unique_ptr<FrameWatch> frameWatch_;
    bool sizeWrite_ = false;
    std::unique_ptr<WindowGone> gone_;
    bool windowGone_ = false;
    float currentX_ = 0;
    float currentY_ = 0;
    int tickIntervalMs_ = 10;
    int quietTicks_ = 0;
    bool resting_ = false;
    std::unique_ptr<QSocketNotifier> news_;
    // At rest, the pointer's poll answered by the server when due, without a timer.
    std::unique_ptr<X11PointerWatch> watch_;
    std::unique_ptr<QSocketNotifier> watchNews_;
    // At rest, the screen's own news where it is not the X server's.
    std::unique_ptr<QSocketNotifier> screenNews_;
    std::function<bool()> mayRestOnScreenNews_;
};

}  // namespace platform::linux_
