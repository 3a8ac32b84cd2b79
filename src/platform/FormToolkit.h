#pragma once
// The form toolkit: a top-level window ("form") with its events, properties and drawing
// operations, a timer belonging to it, the screen's size, the application's version and the
// message loop. Outer geometry is in twips, the client area's drawing scale in pixels.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Picture.h"
#include "platform/Types.h"

namespace platform {

// The handlers a form raises. Every handler runs on the user-interface thread from the message
// loop, one at a time, except that writing Width or Height raises Form_Resize inside the write.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    virtual void Form_Load() = 0;
    virtual void Form_Resize() = 0;
    // Setting `cancel` to non-zero keeps the form open.
    virtual void Form_Unload(std::int16_t& cancel) = 0;
    virtual void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) = 0;
    // Button codes vbLeftButton, vbRightButton, vbMiddleButton. Position in the client's drawing scale.
    virtual void Form_MouseUp(std::int16_t button, std::int16_t shift, float x, float y) = 0;
    virtual void Timer1_Timer() = 0;
};

// What a form is at creation.
struct FormDesign {
    std::string caption;        // UTF-8
    int clientWidth = 200;      // pixels
    int clientHeight = 200;     // pixels
    int timerIntervalMs = 10;   // the timer runs from creation until the form is destroyed
};

inline constexpr int WINDOW_NORMAL = 0;
inline constexpr int WINDOW_MINIMIZED = 1;
inline constexpr int WINDOW_MAXIMIZED = 2;

class Form {
public:
    virtual ~Form() = default;

    // Raises Form_Load, then shows the window.
    virtual void loadAndShow() = 0;

    virtual std::string Caption() const = 0;
    virtual void setCaption(const std::string& caption) = 0;

    // Outer geometry in twips. Writing Width or Height resizes the window at once and raises
    // Form_Resize before the write returns. While the window is minimised, reading gives the
    // normal geometry it comes back to, not its icon's.
    virtual float Width() const = 0;
    virtual void setWidth(float twips) = 0;
    virtual float Height() const = 0;
    virtual void setHeight(float twips) = 0;
    virtual float Left() const = 0;
    virtual void setLeft(float twips) = 0;
    virtual float Top() const = 0;
    virtual void setTop(float twips) = 0;

    virtual int WindowState() const = 0;
    virtual Handle hWnd() const = 0;

    // The client area, in pixels.
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;
    virtual float CurrentX() const = 0;
    virtual void setCurrentX(float x) = 0;
    virtual float CurrentY() const = 0;
    virtual void setCurrentY(float y) = 0;

    // Stretches the source rectangle (x2, y2, w2, h2) of the picture onto the client rectangle
    // (x1, y1, w1, h1), plain copy, nearest pixel, no smoothing.
    virtual void PaintPicture(const PictureRef& picture, float x1, float y1, float w1, float h1, float x2, float y2,
                              float w2, float h2) = 0;
    // Draws a one-pixel line from (x1, y1) to (x2, y2), both ends included, or with `box` the
    // outline of the rectangle with these corners; only across or down. Its pixels are black and
    // white by turns (white where x + y is odd), so that it shows over any picture.
    virtual void Line(float x1, float y1, float x2, float y2, bool box) = 0;
    // Draws one line of text with its top-left corner at (CurrentX, CurrentY), over what is there.
    virtual void Print(const std::string& text) = 0;
    // The width, in pixels, that Print gives the text.
    virtual float TextWidth(const std::string& text) const = 0;
};

struct AppVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

class FormToolkit {
public:
    virtual ~FormToolkit() = default;
    virtual std::unique_ptr<Form> createForm(const FormDesign& design, FormEvents& events) = 0;
    // The screen's size in twips.
    virtual float ScreenWidth() const = 0;
    virtual float ScreenHeight() const = 0;
    virtual AppVersion version() const = 0;
    // Runs the message loop until every form has been unloaded; returns the exit status.
    virtual int run() = 0;
};


}  // namespace platform
