#pragma once
// The form toolkit on Qt Widgets. The form's window is a native X window whose events pass, as
// window messages, through the window system's procedure chain before the toolkit's own
// procedure turns them into the form's events. The client area is drawn by the program itself in
// device pixels and put on the window with the X server, so Qt never rescales or smooths it.
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/FormToolkit.h"
#include "platform/linux/TextOverlay.h"
#include "platform/linux/WindowGone.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11Image.h"
#include "platform/linux/X11WindowSystem.h"
#include "platform/soft/SoftGraphics.h"
#include "platform/soft/ViewFrame.h"

namespace platform::linuxx11 {

class QtForm;

// The native window: forwards Qt's events to the form as messages.
class FormWidget : public QWidget {
public:
    explicit FormWidget(QtForm& form);
    QPaintEngine* paintEngine() const override { return nullptr; }
    QtForm& form() { return form_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QtForm& form_;
};

class QtForm : public Form {
public:
    QtForm(const FormDesign& design, FormEvents& events, X11Display& display, X11WindowSystem& windows,
           soft::SoftGraphics& graphics);
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
    void Print(const std::string& text) override;

    // From the widget: the event as a message through the window's procedure chain.
    LResult send(std::uint32_t message, WParam wParam, LParam lParam);
    bool sizeWriteInProgress() const { return sizeWrite_; }
    // Puts the client picture on the window.
    void present();
    // Closes the window as its close button would: the unload handler runs first. True when
    // the window is closed now.
    bool closeFromSession();
    // A line shown at the top of the view on every painted tick, where the user looks: why the
    // screen is read another way than expected. Empty: none.
    void setNotice(std::string notice) { notice_ = std::move(notice); }
    // The window was shown again, uncovered or restacked: the next tick paints everything.
    void invalidate() { frame_.invalidate(); }
    // Painted ticks, for the statistics printed at exit on request.
    unsigned long frames() const { return frames_; }

private:
    LResult handleMessage(std::uint32_t message, WParam wParam, LParam lParam);
    void tick();
    // Runs an event handler; an error it raises ends the program with a message, as an
    // untrapped run-time error would.
    template <typename Handler>
    void guarded(Handler&& handler);
    FrameExtents frame() const;
    bool prepareSurface();
    void setClientSize(int width, int height);
    void moveOuterTo(int left, int top);
    void windowDestroyed();

    FormEvents& events_;
    X11Display& display_;
    X11WindowSystem& windows_;
    soft::SoftGraphics& graphics_;
    std::unique_ptr<FormWidget> widget_;
    Handle hwnd_ = 0;
    QTimer timer_;
    // The view's pixels are the screen's; the window's visual may differ.
    PixelFormat screenFormat_;
    PixelFormat windowFormat_;
    std::unique_ptr<X11Image> surface_;
    GC gc_ = nullptr;
    TextOverlay overlay_;
    // The caption last set, so that a tick setting the same one does no toolkit work.
    std::string caption_;
    std::string notice_;
    soft::ViewFrame frame_;
    FrameExtents expectedFrame_;
    bool sizeWrite_ = false;
    std::unique_ptr<WindowGone> gone_;
    bool windowGone_ = false;
    bool painted_ = false;
    float currentX_ = 0;
    float currentY_ = 0;
    unsigned long frames_ = 0;
    std::chrono::steady_clock::time_point firstFrame_{};
};

class QtToolkit : public FormToolkit {
public:
    QtToolkit(X11Display& display, X11WindowSystem& windows, soft::SoftGraphics& graphics);
    std::unique_ptr<Form> createForm(const FormDesign& design, FormEvents& events) override;
    float ScreenWidth() const override;
    float ScreenHeight() const override;
    AppVersion version() const override;
    int run() override;
    // The session ends the program: every form closes as if by its close button, and the
    // message loop ends once they are closed.
    void endSession();
    // The notice every form of this toolkit shows (see QtForm::setNotice).
    void setNotice(std::string notice) { notice_ = std::move(notice); }

private:
    std::string notice_;
    X11Display& display_;
    X11WindowSystem& windows_;
    soft::SoftGraphics& graphics_;
};

}  // namespace platform::linuxx11
