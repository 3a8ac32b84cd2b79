// The form toolkit on Qt, held to what every back end's toolkit does, on a private X server with
// a window manager: forms there are native X windows that the toolkit paints itself.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FormToolkitConformance.h"
#include "harness/Screen.h"
#include "harness/VirtualDisplay.h"
#include "platform/linux/QtToolkit.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11Screen.h"
#include "platform/linux/X11WindowSystem.h"
#include "platform/soft/SoftGraphics.h"

namespace platform::linux_ {
namespace {

// Errors about windows that went away between two requests are expected here.
int ignoreXError(::Display*, XErrorEvent*) { return 0; }

class QtToolkitBackend {
public:
    static constexpr bool kDrawsText = true;

    // One X server and one application for the suite: Qt allows one application at a time, made
    // once the display is known.
    static void SetUpTestSuite() {
        try {
            display = std::make_unique<e2e::VirtualDisplay>(e2e::VirtualDisplay::Options{1280, 1024, 24});
        } catch (const std::exception& error) {
            setupError = error.what();
            return;
        }
        ::setenv("DISPLAY", display->name().c_str(), 1);
        ::unsetenv("WAYLAND_DISPLAY");
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
        static int argc = 1;
        static char name[] = "magnifier-qt-form-tests";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QApplication>(argc, argv);
        XSetErrorHandler(ignoreXError);
        awaitWindowManager();
    }
    static void TearDownTestSuite() {
        application.reset();
        display.reset();
    }

    QtToolkitBackend() {
        if (!display) ADD_FAILURE() << "cannot start the X server: " << setupError;
    }

    platform::FormToolkit& toolkit() { return parts().toolkit; }
    bool runUntil(platform::Form& /*form*/, const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    static QWidget* widget(platform::Form& form) { return QWidget::find(static_cast<WId>(form.hWnd())); }
    bool visible(platform::Form& form) {
        QWidget* w = widget(form);
        return w != nullptr && w->isVisible();
    }
    // The pattern as the root window's background, and a picture of it taken as the magnifier
    // takes one.
    platform::PictureRef pattern(int width, int height) {
        e2e::Image image{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) image.at(x, y) = conformance::patternColour(x, y);
        e2e::paint_root_background(display->x(), image);
        XSync(display->x(), kXFalse);
        Parts& p = parts();
        const Handle desktop = p.windows.GetDesktopWindow();
        const Handle screen = p.windows.GetWindowDC(desktop);
        const Handle memory = p.graphics.CreateCompatibleDC(screen);
        const Handle bitmap = p.graphics.CreateCompatibleBitmap(screen, width, height);
        const Handle previous = p.graphics.SelectObject(memory, bitmap);
        p.graphics.BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        p.graphics.SelectObject(memory, previous);
        p.graphics.DeleteDC(memory);
        p.windows.ReleaseDC(desktop, screen);
        PictDesc description;
        description.size = 20;
        description.type = PICTYPE_BITMAP;
        description.bitmap = bitmap;
        return p.graphics.OleCreatePictureIndirect(description, true);
    }
    std::vector<std::uint32_t> clientPixels(platform::Form& form) {
        const int width = static_cast<int>(form.ScaleWidth());
        const int height = static_cast<int>(form.ScaleHeight());
        try {
            return e2e::grab_window(display->x(), static_cast<Window>(form.hWnd()), e2e::Rect{0, 0, width, height})
                .pixels;
        } catch (const std::exception&) {
            return {};
        }
    }
    void pressKey(platform::Form& form, conformance::Key key) {
        QKeyEvent press(QEvent::KeyPress, key == conformance::Key::KeypadPlus ? Qt::Key_Plus : Qt::Key_Minus,
                        Qt::KeypadModifier);
        QApplication::sendEvent(widget(form), &press);
    }
    void releaseButton(platform::Form& form, int button, int x, int y) {
        const Qt::MouseButton which = button == platform::vbLeftButton ? Qt::LeftButton : button == platform::vbRightButton ? Qt::RightButton : Qt::MiddleButton;
        QWidget* w = widget(form);
        const QPointF local(x, y);
        QMouseEvent release(QEvent::MouseButtonRelease, local, w->mapToGlobal(local), which, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    }
    void askToClose(platform::Form& form) { widget(form)->close(); }
    int screenWidth() { return DisplayWidth(display->x(), DefaultScreen(display->x())); }
    int screenHeight() { return DisplayHeight(display->x(), DefaultScreen(display->x())); }

private:
    // The back end as the program puts it together, less what reads the desktop's events.
    struct Parts {
        X11Display x11;
        X11Screen screen{x11};
        soft::SoftGraphics graphics{screen};
        X11WindowSystem windows{x11, graphics};
        QtToolkit toolkit{x11, windows, graphics};
    };
    // A window manager just started answers its first frame request late, and a form made
    // before then does not know its frame until it is shown. In a desktop session the manager has
    // long settled when the program starts: wait for that here.
    static void awaitWindowManager() {
        Parts probe;
        ::Display* x = probe.x11.get();
        const Window window = XCreateSimpleWindow(x, probe.x11.root(), 0, 0, 10, 10, 0, 0, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!probe.windows.requestFrameExtents(static_cast<Handle>(window)) &&
               std::chrono::steady_clock::now() < deadline) {
        }
        XDestroyWindow(x, window);
        XSync(x, kXFalse);
    }
    Parts& parts() {
        if (!parts_) parts_ = std::make_unique<Parts>();
        return *parts_;
    }

    static inline std::unique_ptr<e2e::VirtualDisplay> display;
    static inline std::unique_ptr<QApplication> application;
    static inline std::string setupError;
    std::unique_ptr<Parts> parts_;
};

}  // namespace
}  // namespace platform::linux_

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(QtToolkit, FormToolkitConformance, platform::linux_::QtToolkitBackend);
}  // namespace conformance
