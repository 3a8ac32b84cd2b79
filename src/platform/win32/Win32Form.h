#pragma once
// A form on user32 and gdi32: a top-level window of the toolkit's class, whose window procedure
// (the toolkit's own, the last one in the chain when the core subclasses the window) turns
// messages into the form's events. Each tick is a WM_TIMER that passes through the whole chain
// like any other message: sent by the toolkit's loop when the form's tick timer is signalled, or
// posted by the window timer, which stands in where the tick timer is missing and in loops that
// are not the toolkit's (a menu open, the window being moved).
//
// A tick's drawing is collected; at its end a frame record decides whether it changes anything,
// and only then is it drawn into the back buffer and put on the window.
#include <cstdint>
#include <memory>
#include <string>

#include "base/EventGuard.h"
#include "platform/FormToolkit.h"
#include "platform/soft/FrameRecord.h"
#include "platform/win32/Win32FramePixels.h"
#include "platform/win32/Win32TickTimer.h"

namespace platform::win32 {

class BackBuffer;
class Win32Toolkit;

class Win32Form : public Form {
public:
    Win32Form(Win32Toolkit& toolkit, const FormDesign& design, FormEvents& events);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

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

    // The window procedure's work for this form; `handled` is false when the message goes on to
    // the default procedure.
    LResult handleMessage(std::uint32_t message, WParam wParam, LParam lParam, bool& handled);
    // Called once the window is gone.
    void windowDestroyed() { hwnd_ = 0; }
    // The tick timer to wait on, null when the window timer alone ticks.
    void* tickTimer() const { return ticks_.handle(); }
    // The tick timer was signalled: one tick through the window's procedure chain.
    void tickTimerSignalled();
    // A window-timer tick the toolkit's own loop need not dispatch: the tick timer keeps time.
    bool isRedundantTimerMessage(std::uint32_t message, WParam wParam) const;

private:
    // After an error a handler raised (already reported): no more ticks, and the loop ends with 1.
    void fail();
    void tick();
    void present();
    void resizeOuter(int width, int height);
    // The outer rectangle in screen pixels; while minimised, the normal one.
    Rect outerRect() const;
    // The back buffer, the client area's size; false when there is none (minimized).
    bool prepareBuffer();
    bool routesEvents() const { return loaded_ && guard_.open() && hwnd_ != 0; }

    Win32Toolkit& toolkit_;
    FormEvents& events_;
    Handle hwnd_ = 0;
    // Runs the event handlers; an error one raises ends the program with status 1, as an
    // untrapped run-time error would.
    base::EventGuard guard_;
    TickTimer ticks_;
    GdiFramePixels pixels_;
    soft::FrameRecord frame_{pixels_};
    std::unique_ptr<BackBuffer> buffer_;
    bool loaded_ = false;
    bool destroying_ = false;
    bool painted_ = false;
    unsigned long sizeMessages_ = 0;
    float currentX_ = 0;
    float currentY_ = 0;
};

}  // namespace platform::win32
