#pragma once
// A form on user32 and gdi32: a top-level window of the toolkit's class, whose window procedure
// (the toolkit's own, the last one in the chain when the core subclasses the window) turns
// messages into the form's events. The timer is a window timer whose WM_TIMER passes through the
// whole chain like any other message.
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
    void Print(const std::string& text) override;

    // The window procedure's work for this form; `handled` is false when the message goes on to
    // the default procedure.
    LResult handleMessage(std::uint32_t message, WParam wParam, LParam lParam, bool& handled);
    // Called once the window is gone.
    void windowDestroyed() { hwnd_ = 0; }

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
