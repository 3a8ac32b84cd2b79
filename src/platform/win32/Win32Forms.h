#pragma once
// The form toolkit on user32 and gdi32. A form is a top-level window of a class registered by the
// toolkit; the class's window procedure (the toolkit's own procedure, the last one in the chain
// when the core subclasses the window) turns messages into the form's events. The timer is a
// window timer whose WM_TIMER passes through the whole chain like any other message.
//
// The client area is drawn by the program into a bitmap of its size and put on the window once a
// tick has painted it, so the window never shows a picture without its texts.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/FormToolkit.h"
#include "platform/win32/Win32FrameMemo.h"

namespace platform::win32 {

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
    struct BackBuffer;
    // Runs an event handler. An error it raises must not unwind through the window system's
    // frames: it is reported on stderr and ends the program with status 1, as an untrapped
    // run-time error would; no further event reaches the handlers.
    template <typename Handler>
    void guarded(Handler&& handler);
    // After an error a handler raised (already reported): no more events, and the loop ends with 1.
    void fail();
    void tick();
    void present();
    void resizeOuter(int width, int height);
    bool prepareBuffer();
    void stretch(const PictureRef& picture, const FrameMemo::Geometry& geometry);
    void drawText(float x, float y, const std::string& text);
    // Paints the picture held back as unchanged, and the tick's texts over it.
    void paintHeld();
    bool routesEvents() const { return loaded_ && !failed_ && hwnd_ != 0; }

    Win32Toolkit& toolkit_;
    FormEvents& events_;
    Handle hwnd_ = 0;
    std::unique_ptr<BackBuffer> buffer_;
    bool loaded_ = false;
    bool failed_ = false;
    bool destroying_ = false;
    bool dirty_ = false;
    bool painted_ = false;
    FrameMemo memo_;
    PictureRef held_;  // this tick's picture, held back while the frame equals the last one
    FrameMemo::Geometry heldGeometry_{};
    unsigned long sizeMessages_ = 0;
    float currentX_ = 0;
    float currentY_ = 0;
};

class Win32Toolkit : public FormToolkit {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    std::unique_ptr<Form> createForm(const FormDesign& design, FormEvents& events) override;
    float ScreenWidth() const override;
    float ScreenHeight() const override;
    AppVersion version() const override;
    // GetMessage/DispatchMessage until the window is destroyed (status 0) or an event handler
    // failed (status 1). With MAGNIFIER_STATS set, reports the frames painted on stderr at the end.
    int run() override;

    // The registered class's name, for CreateWindowEx.
    const wchar_t* className() const;
    // An event handler failed: the message loop ends with this status.
    void quit(int status);
    void countFrame() { ++frames_; }
    unsigned long frames() const { return frames_; }

private:
    struct WindowClass;
    std::unique_ptr<WindowClass> class_;
    std::optional<int> failureStatus_;
    unsigned long frames_ = 0;
};

}  // namespace platform::win32
